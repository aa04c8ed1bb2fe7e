// transfer_benchmark: times an Install transfer against a bare copy loop, the busy
// window's replies during a large Install, the program's start-up against a bare
// window, and Backup, Restore and Default against their bare loops; ends with
// summary lines for comparing runs.
#include "bench_options.h"
#include "check_timing.h"
#include "folder_tree.h"
#include "install_session.h"
#include "startup_timing.h"
#include "stopwatch.h"
#include "transfer_timing.h"
#include "platform/path_names.h"
#include "platform/system_function.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <stdexcept>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: transfer_benchmark --package DIR --game DIR --large-package DIR --large-game DIR --work DIR\n"
    "                          --program TorvanelInstaller.exe --bare-window bare_window.exe\n"
    "                          [--runs 9] [--startup-runs 15] [--sessions 1] [--settle-ms 500] [--flush 0]\n"
    "                          [--many-package DIR --many-game DIR [--many-runs 1]] [--check-runs 5]\n"
    "       transfer_benchmark --work DIR --check-only 1     (the package check alone)\n"
    "Folders as made by scripts/make_sample_data.py (package = the data set to install,\n"
    "game = the older game folder); scripts/bench.sh passes them all.";

// Throws std::invalid_argument with the usage text when the line is wrong.
bench::BenchOptions ParseOptions(int argc, wchar_t** argv) {
    using bench::BenchOptions;
    const std::pair<std::wstring_view, std::wstring BenchOptions::*> texts[] = {
        {L"--package", &BenchOptions::package},     {L"--game", &BenchOptions::game},
        {L"--large-package", &BenchOptions::largePackage}, {L"--large-game", &BenchOptions::largeGame},
        {L"--work", &BenchOptions::work},           {L"--program", &BenchOptions::program},
        {L"--bare-window", &BenchOptions::bareWindow}, {L"--many-package", &BenchOptions::manyPackage},
        {L"--many-game", &BenchOptions::manyGame}};
    const std::pair<std::wstring_view, int BenchOptions::*> numbers[] = {
        {L"--runs", &BenchOptions::runs},         {L"--startup-runs", &BenchOptions::startupRuns},
        {L"--sessions", &BenchOptions::sessions}, {L"--settle-ms", &BenchOptions::settleMs},
        {L"--flush", &BenchOptions::flush},       {L"--many-runs", &BenchOptions::manyRuns},
        {L"--check-runs", &BenchOptions::checkRuns}, {L"--check-only", &BenchOptions::checkOnly}};
    BenchOptions options;
    for (int i = 1; i < argc; i += 2) {
        const std::wstring_view name = argv[i];
        bool known = false;
        for (const auto& [option, field] : texts) {
            if (name != option || i + 1 >= argc) continue;
            options.*field = argv[i + 1];
            known = true;
        }
        for (const auto& [option, field] : numbers) {
            if (name != option || i + 1 >= argc) continue;
            wchar_t* end = nullptr;
            options.*field = static_cast<int>(std::wcstol(argv[i + 1], &end, 10));
            known = *end == L'\0' && end != argv[i + 1] && options.*field >= 0;
        }
        if (!known) throw std::invalid_argument(kUsage);
    }
    for (std::wstring* folder : {&options.package, &options.game, &options.largePackage, &options.largeGame,
                                 &options.work, &options.program, &options.bareWindow}) {
        if (folder->empty() && (folder == &options.work || !options.checkOnly)) throw std::invalid_argument(kUsage);
        // Folders are joined with "\" later; a trailing one would double it.
        *folder = platform::WithoutTrailingSeparators(std::move(*folder));
    }
    if (options.runs < 1 || options.startupRuns < 1 || options.sessions < 1 || options.manyRuns < 1 || options.checkRuns < 1 ||
        options.manyPackage.empty() != options.manyGame.empty())
        throw std::invalid_argument(kUsage);
    options.manyPackage = platform::WithoutTrailingSeparators(std::move(options.manyPackage));
    options.manyGame = platform::WithoutTrailingSeparators(std::move(options.manyGame));
    return options;
}

double Megabytes(ULONGLONG bytes) noexcept {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// The version Windows really is (GetVersionEx answers what the manifest claims).
OSVERSIONINFOW RealVersion() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto getVersion =
        platform::SystemFunction<RtlGetVersionFunction>(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    if (getVersion) getVersion(&version);
    return version;
}

void PrintSystem() {
    SYSTEM_INFO system;
    ::GetNativeSystemInfo(&system);
    const OSVERSIONINFOW version = RealVersion();
    const bool wine = ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    std::printf("system: Windows %lu.%lu.%lu%s, %lu processors, ANSI code page %u\n", version.dwMajorVersion,
                version.dwMinorVersion, version.dwBuildNumber, wine ? " (Wine)" : "", system.dwNumberOfProcessors,
                ::GetACP());
}

// Keeps one window of ours open for the whole run: Wine ends its desktop process
// shortly after the last window closes and restarting it would add to every start.
HWND OpenKeepAliveWindow() {
    return ::CreateWindowExW(0, L"STATIC", L"transfer_benchmark", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             ::GetModuleHandleW(nullptr), nullptr);
}

// The lines [1] and [5] share: what was carried, whether both agree, the times.
void PrintTransfer(const bench::TransferFigures& transfer) {
    using bench::Utf8;
    std::printf("  carried %zu files, %.1f MB; failures: transfer %zu, bare loop %zu\n", transfer.files,
                Megabytes(transfer.bytes), transfer.transferFailures, transfer.bareFailures);
    std::printf("  same result from both: %s\n", transfer.sameResult ? "yes" : "NO");
    std::printf("  transfer  ms: %s\n", Utf8(bench::Spread(transfer.transferMs)).c_str());
    std::printf("  bare loop ms: %s\n", Utf8(bench::Spread(transfer.bareMs)).c_str());
}

void PrintPhases(const bench::TransferFigures& transfer) {
    const auto phase = [&](double transfer::PhaseTimes::*field) {
        std::vector<double> values;
        for (const transfer::PhaseTimes& times : transfer.phases) values.push_back(times.*field);
        return bench::Median(values);
    };
    std::printf("  transfer's phases, median ms: checks %.1f, staging %.1f, journal %.1f, commit %.1f, clean-up %.1f\n",
                phase(&transfer::PhaseTimes::checks), phase(&transfer::PhaseTimes::staging),
                phase(&transfer::PhaseTimes::journal), phase(&transfer::PhaseTimes::commit),
                phase(&transfer::PhaseTimes::cleanUp));
}

// [6]: the figure and its summary line.
double PrintPackageCheck(const bench::BenchOptions& options) {
    using namespace bench;
    std::printf("\n[6] Package check of 20,000 files and a world file of 100,000 names (%d runs, warm)\n", options.checkRuns);
    std::fflush(stdout);
    const CheckFigures check = MeasurePackageCheck(options.work, options.checkRuns);
    std::printf("  %zu files, %zu names, %zu missing found; check ms: %s; its text ms: %s\n", check.files, check.names,
                check.missing, Utf8(Spread(check.checkMs)).c_str(), Utf8(Spread(check.reportMs)).c_str());
    return Median(check.checkMs);
}

int Run(const bench::BenchOptions& options) {
    using namespace bench;
    PrintSystem();
    if (options.checkOnly) {
        std::printf("\npackage check: %.0f ms\n", PrintPackageCheck(options));
        return 0;
    }
    const HWND keepAlive = OpenKeepAliveWindow();

    const ULONGLONG exeSize = FileSize(options.program);
    std::printf("program: %s, %.2f MB\n", Utf8(options.program).c_str(), Megabytes(exeSize));

    std::printf("\n[1] Install transfer against the bare loop (%d runs each, alternating)\n", options.runs);
    std::fflush(stdout);
    const TransferFigures transfer = MeasureTransfer(options, {options.package, options.game, options.runs});
    const double t = Median(transfer.transferMs);
    const double baseline = Median(transfer.bareMs);
    PrintTransfer(transfer);
    bool sameResults = transfer.sameResult;
    std::printf("  transfer without flushing its new files ms: %s (flushing costs %.1f ms, %.2f ms a file)\n",
                Utf8(Spread(transfer.unflushedMs)).c_str(), t - Median(transfer.unflushedMs),
                transfer.files ? (t - Median(transfer.unflushedMs)) / transfer.files : 0.0);
    PrintPhases(transfer);
    // Each transfer against the bare loop run next to it: steadier than the ratio of
    // the medians when the machine's speed drifts during the run.
    std::vector<double> pairRatios;
    for (size_t i = 0; i < transfer.transferMs.size() && i < transfer.bareMs.size(); ++i)
        pairRatios.push_back(transfer.transferMs[i] / transfer.bareMs[i]);
    std::printf("  transfer over the bare loop run beside it: median %.2f (%s)\n", Median(pairRatios),
                Utf8(Spread(pairRatios, 2)).c_str());

    std::printf("\n[2] Install of the large package through the program (busy window polled every %lu ms, %d run%s)\n",
                kPollMs, options.sessions, options.sessions == 1 ? "" : "s");
    std::fflush(stdout);
    InstallSessionFigures session;  // the worst of the runs
    for (int run = 0; run < options.sessions; ++run) {
        const InstallSessionFigures figures = RunInstallSession(options);
        std::printf("  carried %zu files, %.1f MB in %.0f ms with the busy window shown (%.0f MB/s)\n", figures.files,
                    Megabytes(figures.bytes), figures.busyMs,
                    figures.busyMs > 0 ? Megabytes(figures.bytes) / (figures.busyMs / 1000) : 0);
        std::printf("  busy window: %zu replies, worst %.1f ms (sent %.0f ms after it appeared), %zu over %.0f ms\n",
                    figures.replies, figures.worstReplyMs, figures.worstReplyAtMs, figures.slowReplies, kSlowReplyMs);
        std::printf(
            "  program's peak working set: %.1f MB shown and idle, %.1f MB as the busy window appeared, "
            "%.1f MB after the Install\n",
            Megabytes(figures.idleWorkingSet), Megabytes(figures.busyShownWorkingSet),
            Megabytes(figures.peakWorkingSet));
        std::printf("  closing message: %s\n", Utf8(figures.closingMessage).c_str());
        if (figures.replies == 0) std::printf("  (the busy window was never seen: no reply was measured)\n");
        std::fflush(stdout);
        session.worstReplyMs = std::max(session.worstReplyMs, figures.worstReplyMs);
        session.peakWorkingSet = std::max(session.peakWorkingSet, figures.peakWorkingSet);
    }

    std::printf("\n[3] Start-up to a visible main window (%d starts each, alternating)\n", options.startupRuns);
    std::fflush(stdout);
    const StartupFigures startup =
        MeasureStartup(options.program, options.bareWindow, options.package, options.startupRuns);
    const double s = Median(startup.programMs);
    const double bare = Median(startup.bareMs);
    std::printf("  program     ms: %s\n", Utf8(Spread(startup.programMs)).c_str());
    std::printf("  bare window ms: %s\n", Utf8(Spread(startup.bareMs)).c_str());
    // The fastest starts show the cost of the program itself, with the least of the
    // machine's other load in them.
    const double fastestProgram = *std::min_element(startup.programMs.begin(), startup.programMs.end());
    const double fastestBare = *std::min_element(startup.bareMs.begin(), startup.bareMs.end());
    std::printf("  fastest starts: %.1f ms against %.1f ms, %.2f x bare window\n", fastestProgram, fastestBare,
                fastestProgram / fastestBare);

    if (keepAlive) ::DestroyWindow(keepAlive);
    std::printf("  bare window's peak working set: %.1f MB\n", Megabytes(startup.bareWorkingSet));

    std::printf("\n[4] Backup, Restore and Default against their bare loops (%d runs each, alternating)\n",
                options.runs);
    std::fflush(stdout);
    std::vector<std::pair<const char*, double>> operationRatios;
    for (const auto& [operation, name] : {std::pair{app::Operation::Backup, "Backup"},
                                          std::pair{app::Operation::Restore, "Restore"},
                                          std::pair{app::Operation::Default, "Default"}}) {
        const TransferFigures figures =
            MeasureTransfer(options, {options.package, options.game, options.runs, false, operation});
        std::vector<double> ratios;
        for (size_t i = 0; i < figures.transferMs.size() && i < figures.bareMs.size(); ++i)
            ratios.push_back(figures.transferMs[i] / figures.bareMs[i]);
        std::printf("  %s: %zu files, %.1f MB, same result: %s; transfer %.1f ms, bare loop %.1f ms (medians); "
                    "over the loop beside it: median %.2f\n",
                    name, figures.files, Megabytes(figures.bytes), figures.sameResult ? "yes" : "NO",
                    Median(figures.transferMs), Median(figures.bareMs), Median(ratios));
        PrintPhases(figures);
        std::fflush(stdout);
        operationRatios.emplace_back(name, Median(figures.transferMs) / Median(figures.bareMs));
        sameResults = sameResults && figures.sameResult;
    }

    TransferFigures many;
    if (!options.manyPackage.empty()) {
        std::printf("\n[5] Install with 10,000 files in nationDATA and pastDATA (%d run%s each)\n", options.manyRuns,
                    options.manyRuns == 1 ? "" : "s");
        std::fflush(stdout);
        many = MeasureTransfer(options, {options.manyPackage, options.manyGame, options.manyRuns, false});
        PrintTransfer(many);
        std::printf("  transfer over the bare loop: %.2f\n", Median(many.transferMs) / Median(many.bareMs));
    }

    const double checkMs = PrintPackageCheck(options);

    std::printf("\nexe size %.2f MB; peak working set %.1f MB during an Install (bare window: %.1f MB)\n",
                Megabytes(exeSize), Megabytes(session.peakWorkingSet), Megabytes(startup.bareWorkingSet));
    std::printf(
        "transfer: %zu files, %.1f MB, %.0f ms, %.2f x baseline; worst busy-window reply %.0f ms; "
        "start-up %.0f ms, %.2f x bare window\n",
        transfer.files, Megabytes(transfer.bytes), t, baseline > 0 ? t / baseline : 0, session.worstReplyMs, s,
        bare > 0 ? s / bare : 0);
    std::printf("operations:");
    for (const auto& [name, ratio] : operationRatios) std::printf(" %s %.2f,", name, ratio);
    std::printf(" x baseline\n");
    std::printf("package check: 20,000 files, 100,000 names, %.0f ms\n", checkMs);
    if (options.manyPackage.empty()) return sameResults ? 0 : 1;
    std::printf("many files: %zu files, %.1f MB, %.0f ms, %.2f x baseline\n", many.files, Megabytes(many.bytes),
                Median(many.transferMs), Median(many.transferMs) / Median(many.bareMs));
    return sameResults && many.sameResult ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    ::SetConsoleOutputCP(CP_UTF8);
    try {
        return Run(ParseOptions(argc, argv));
    } catch (const std::invalid_argument& usage) {
        std::fprintf(stderr, "%s\n", usage.what());
        return 2;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "transfer_benchmark: %s\n", failure.what());
        return 1;
    }
}
