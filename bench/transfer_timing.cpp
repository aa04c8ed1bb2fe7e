#include "transfer_timing.h"

#include "app/operations.h"
#include "folder_tree.h"
#include "platform/file_system.h"
#include "platform/path_names.h"
#include "platform/unique_handle.h"
#include "stopwatch.h"
#include "transfer/transfer_plan.h"
#include "transfer/transfer_runner.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace bench {

namespace {

// Counts what it is told, so the observer calls cost what the program's would, and
// notes when the closing message could be shown: what the player waits for.
struct CountingObserver final : transfer::TransferObserver {
    explicit CountingObserver(const Stopwatch& started) noexcept : watch(started) {}
    void OnStarted(size_t) override { ++calls; }
    void OnProgress(size_t, size_t) override { ++calls; }
    void OnFinished() override { ++calls; }
    void OnResult(const transfer::TransferReport&) override {
        ++calls;
        resultMs = watch.ElapsedMs();
    }
    const Stopwatch& watch;
    std::optional<double> resultMs;
    size_t calls = 0;
};

// The least the platform needs for an Install's result: delete the older files by
// the plan's own wildcard patterns and copy the files the transfer carried with
// CopyFileW, in place. Returns the number of files that failed.
size_t RunBareTransfer(const std::wstring& source, const std::wstring& destination,
                       const std::vector<std::wstring>& copies) {
    size_t failures = 0;
    for (const transfer::PlanStep& step : transfer::TransferPlanSteps()) {
        if (step.kind != transfer::StepKind::Delete) continue;
        const std::wstring pattern(step.name);  // "年表*.*", "nationDATA\*.*"
        const std::wstring folder = destination + pattern.substr(0, pattern.find_last_of(L'\\') + 1);
        WIN32_FIND_DATAW data;
        platform::UniqueFind find(::FindFirstFileW((destination + pattern).c_str(), &data));
        if (!find) continue;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !::DeleteFileW((folder + data.cFileName).c_str()))
                ++failures;
        } while (::FindNextFileW(find.get(), &data));
    }
    for (const std::wstring& name : copies) {
        if (!::CopyFileW((source + name).c_str(), (destination + name).c_str(), FALSE)) ++failures;
    }
    return failures;
}

// Names and sizes of every file under `root`, sorted.
std::vector<std::pair<std::wstring, ULONGLONG>> SignatureOf(const std::wstring& root) {
    std::vector<std::pair<std::wstring, ULONGLONG>> signature;
    for (TreeFile& file : ListTree(root)) signature.emplace_back(std::move(file.relative), file.size);
    std::sort(signature.begin(), signature.end());
    return signature;
}

}  // namespace

TransferFigures MeasureTransfer(const BenchOptions& options, const TransferSample& sample) {
    if (!::SetCurrentDirectoryW(sample.package.c_str()))
        throw std::runtime_error(ErrorMessage(L"entering " + sample.package, ::GetLastError()));
    ::CreateDirectoryW(options.work.c_str(), nullptr);
    // The game folder; the utility runs from the package, whose world file every operation reads.
    const std::wstring game = options.work + L"\\install";
    const transfer::TransferRequest request = app::TransferRequestFor(sample.operation, game, sample.package);
    TransferFigures figures;
    std::vector<std::wstring> copies;
    std::vector<std::pair<std::wstring, ULONGLONG>> afterTransfer;  // the first transfer's result
    bool bareChecked = false;

    // A new folder each time: a folder that had its files deleted makes creating files slower.
    // Default comes from the older game; Backup holds the package, as if saved after an earlier Install.
    const bool withBackup = sample.operation == app::Operation::Backup || sample.operation == app::Operation::Restore;
    const auto prepare = [&] {
        RemoveTree(game);
        std::vector<std::wstring> skipped{L"Backup"};
        if (sample.operation != app::Operation::Default) skipped.emplace_back(L"Default");
        CopyTree(sample.game, game, skipped, options.flush != 0);
        if (withBackup) CopyTree(sample.package, game + L"\\Backup", {}, options.flush != 0);
        ::Sleep(static_cast<DWORD>(options.settleMs));
    };
    const auto timeTransfer = [&](platform::FileSystem& fileSystem, std::vector<transfer::PhaseTimes>* phases) {
        const Stopwatch watch;
        CountingObserver observer(watch);
        const transfer::TransferReport report = transfer::TransferDataSet(request, &observer, fileSystem);
        const double ms = observer.resultMs.value_or(watch.ElapsedMs());  // at return if never told
        if (report.outcome != transfer::TransferOutcome::Completed)
            throw std::runtime_error("the transfer refused to run (outcome " +
                                     std::to_string(static_cast<int>(report.outcome)) + ")");
        if (phases) phases->push_back(report.phases);
        figures.transferFailures = std::max(figures.transferFailures, report.failures.size());
        for (const transfer::ChangeFailure& problem : report.failures)
            std::fprintf(stderr, "  transfer failure: %s (error %lu)\n", Utf8(problem.name).c_str(), problem.error);
        // The first transfer tells which files the bare loop copies, and what it must leave.
        if (afterTransfer.empty()) {
            for (const TreeFile& file : CarriedFiles(platform::WithoutTrailingSeparators(request.source),
                                                          platform::WithoutTrailingSeparators(request.destination))) {
                copies.push_back(file.relative);
                figures.bytes += file.size;
            }
            figures.files = copies.size();
            afterTransfer = SignatureOf(game);
        }
        return ms;
    };
    const auto timeBare = [&] {
        const Stopwatch watch;
        const size_t failures = RunBareTransfer(request.source, request.destination, copies);
        const double ms = watch.ElapsedMs();
        figures.bareFailures = std::max(figures.bareFailures, failures);
        if (!bareChecked) figures.sameResult = SignatureOf(game) == afterTransfer;
        bareChecked = true;
        return ms;
    };

    // A first run of each kind warms the page cache.
    if (sample.full) {
        prepare();
        const double firstTransfer = timeTransfer(platform::SystemFileSystem(), nullptr);
        prepare();
        const double firstBare = timeBare();
        std::printf("  warm-up: transfer %.1f ms, bare loop %.1f ms\n", firstTransfer, firstBare);
    }

    const int kinds = sample.full ? 3 : 2;
    for (int run = 0; run < sample.runs; ++run) {
        // Rotate which goes first, so none always follows another; the very first is a
        // transfer, which the bare loop needs.
        for (int turn = 0; turn < kinds; ++turn) {
            prepare();
            switch ((run + turn) % kinds) {
            case 0: figures.transferMs.push_back(timeTransfer(platform::SystemFileSystem(), &figures.phases)); break;
            case 1: figures.bareMs.push_back(timeBare()); break;
            default: figures.unflushedMs.push_back(timeTransfer(platform::UnflushedFileSystem(), nullptr));
            }
        }
        std::printf("  run %d: transfer %.1f ms, ", run + 1, figures.transferMs.back());
        if (sample.full) std::printf("without flushing %.1f ms, ", figures.unflushedMs.back());
        std::printf("bare loop %.1f ms\n", figures.bareMs.back());
        std::fflush(stdout);
    }
    RemoveTree(game);
    return figures;
}

}  // namespace bench
