#include "bench_options.h"

#include <stdexcept>
#include <string_view>

namespace bench {

namespace {

constexpr const char* kUsage =
    "usage: transfer_benchmark --package DIR --game DIR --large-package DIR --large-game DIR --work DIR\n"
    "                          --program TorvanelInstaller.exe --bare-window bare_window.exe\n"
    "                          [--runs 9] [--startup-runs 15] [--sessions 1] [--settle-ms 500] [--flush 0]\n"
    "Folders as made by scripts/make_sample_data.py (package = the data set to install,\n"
    "game = the older game folder); scripts/bench.sh passes them all.";

int Number(std::wstring_view text) {
    try {
        const int value = std::stoi(std::wstring(text));
        if (value > 0 || text == L"0") return value;
    } catch (const std::exception&) {
    }
    throw std::invalid_argument(kUsage);
}

}  // namespace

BenchOptions ParseOptions(int argc, wchar_t** argv) {
    struct TextOption {
        std::wstring_view name;
        std::wstring BenchOptions::*field;
    };
    struct NumberOption {
        std::wstring_view name;
        int BenchOptions::*field;
    };
    static constexpr TextOption kTexts[] = {
        {L"--package", &BenchOptions::package},
        {L"--game", &BenchOptions::game},
        {L"--large-package", &BenchOptions::largePackage},
        {L"--large-game", &BenchOptions::largeGame},
        {L"--work", &BenchOptions::work},
        {L"--program", &BenchOptions::program},
        {L"--bare-window", &BenchOptions::bareWindow},
    };
    static constexpr NumberOption kNumbers[] = {
        {L"--runs", &BenchOptions::runs},         {L"--startup-runs", &BenchOptions::startupRuns},
        {L"--sessions", &BenchOptions::sessions}, {L"--settle-ms", &BenchOptions::settleMs},
        {L"--flush", &BenchOptions::flush},
    };

    BenchOptions options;
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) throw std::invalid_argument(kUsage);
        const std::wstring_view name = argv[i];
        bool known = false;
        for (const TextOption& option : kTexts) {
            if (name != option.name) continue;
            options.*option.field = argv[i + 1];
            known = true;
        }
        for (const NumberOption& option : kNumbers) {
            if (name != option.name) continue;
            options.*option.field = Number(argv[i + 1]);
            known = true;
        }
        if (!known) throw std::invalid_argument(kUsage);
    }
    if (options.package.empty() || options.game.empty() || options.largePackage.empty() || options.largeGame.empty() ||
        options.work.empty() || options.program.empty() || options.bareWindow.empty() || options.runs < 1 ||
        options.startupRuns < 1 || options.sessions < 1)
        throw std::invalid_argument(kUsage);
    // Folders are joined with "\" below; a trailing one would double it.
    for (std::wstring* folder :
         {&options.package, &options.game, &options.largePackage, &options.largeGame, &options.work}) {
        while (folder->size() > 3 && (folder->back() == L'\\' || folder->back() == L'/')) folder->pop_back();
    }
    return options;
}

}  // namespace bench
