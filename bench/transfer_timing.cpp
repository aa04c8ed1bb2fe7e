#include "transfer_timing.h"

#include "folder_tree.h"
#include "platform/file_system.h"
#include "platform/unique_handle.h"
#include "stopwatch.h"
#include "transfer/transfer_plan.h"
#include "transfer/transfer_runner.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace bench {

namespace {

// Counts what it is told, so the observer calls cost what the program's would.
struct CountingObserver final : transfer::TransferObserver {
    void OnStarted(size_t) override { ++calls; }
    void OnProgress(size_t, size_t) override { ++calls; }
    void OnFinished() override { ++calls; }
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

TransferFigures MeasureTransfer(const BenchOptions& options) {
    if (!::SetCurrentDirectoryW(options.package.c_str()))
        throw std::runtime_error(ErrorMessage(L"entering " + options.package, ::GetLastError()));
    ::CreateDirectoryW(options.work.c_str(), nullptr);
    const std::wstring source = options.package + L"\\", destination = options.work + L"\\install";
    TransferFigures figures;
    std::vector<std::wstring> copies;

    // A new folder each time: a folder that had its files deleted makes creating files slower.
    const auto prepare = [&] {
        RemoveTree(destination);
        CopyTree(options.game, destination, {L"Default", L"Backup"}, options.flush != 0);
        ::Sleep(static_cast<DWORD>(options.settleMs));
    };
    const auto timeTransfer = [&](platform::FileSystem& fileSystem, std::vector<transfer::PhaseTimes>* phases) {
        CountingObserver observer;
        const Stopwatch watch;
        const transfer::TransferReport report = transfer::TransferDataSet(
            {source, destination + L"\\", std::wstring(transfer::kMusicOn), source + std::wstring(transfer::kWorldFileName)},
            &observer, fileSystem);
        const double ms = watch.ElapsedMs();
        if (report.outcome != transfer::TransferOutcome::Completed)
            throw std::runtime_error("the transfer refused to run (outcome " +
                                     std::to_string(static_cast<int>(report.outcome)) + ")");
        if (phases) phases->push_back(report.phases);
        figures.transferFailures = std::max(figures.transferFailures, report.failures.size());
        for (const transfer::ChangeFailure& problem : report.failures)
            std::fprintf(stderr, "  transfer failure: %s (error %lu)\n", Utf8(problem.name).c_str(), problem.error);
        return ms;
    };
    const auto timeBare = [&] {
        const Stopwatch watch;
        const size_t failures = RunBareTransfer(source, destination + L"\\", copies);
        figures.bareFailures = std::max(figures.bareFailures, failures);
        return watch.ElapsedMs();
    };

    // A first run of each kind: warms the page cache, tells which files the transfer
    // carries, and checks that the bare loop leaves the same result.
    prepare();
    const double firstTransfer = timeTransfer(platform::SystemFileSystem(), nullptr);
    for (const TreeFile& file : CarriedFiles(options.package, destination)) {
        copies.push_back(file.relative);
        figures.bytes += file.size;
    }
    figures.files = copies.size();
    const auto afterTransfer = SignatureOf(destination);
    prepare();
    const double firstBare = timeBare();
    figures.sameResult = SignatureOf(destination) == afterTransfer;
    std::printf("  warm-up: transfer %.1f ms, bare loop %.1f ms\n", firstTransfer, firstBare);

    for (int run = 0; run < options.runs; ++run) {
        // Rotate which goes first, so none always follows another.
        for (int turn = 0; turn < 3; ++turn) {
            prepare();
            switch ((run + turn) % 3) {
            case 0: figures.transferMs.push_back(timeTransfer(platform::SystemFileSystem(), &figures.phases)); break;
            case 1: figures.bareMs.push_back(timeBare()); break;
            default: figures.unflushedMs.push_back(timeTransfer(platform::UnflushedFileSystem(), nullptr));
            }
        }
        std::printf("  run %d: transfer %.1f ms, without flushing %.1f ms, bare loop %.1f ms\n", run + 1,
                    figures.transferMs.back(), figures.unflushedMs.back(), figures.bareMs.back());
        std::fflush(stdout);
    }
    RemoveTree(destination);
    return figures;
}

}  // namespace bench
