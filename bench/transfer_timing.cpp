#include "transfer_timing.h"

#include "bare_transfer.h"
#include "folder_tree.h"
#include "stopwatch.h"
#include "transfer/transfer_plan.h"
#include "platform/file_system.h"
#include "transfer/transfer_runner.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace bench {

namespace {

// Counts what it is told, so the observer calls cost what the program's would.
class CountingObserver final : public transfer::TransferObserver {
public:
    void OnStarted(size_t) override { ++calls_; }
    void OnProgress(size_t, size_t) override { ++calls_; }
    void OnFinished() override { ++calls_; }

private:
    size_t calls_ = 0;
};

std::wstring WithSlash(const std::wstring& folder) {
    return folder + L"\\";
}

using TreeSignature = std::vector<std::pair<std::wstring, ULONGLONG>>;

TreeSignature SignatureOf(const std::wstring& root) {
    TreeSignature signature;
    for (TreeFile& file : ListTree(root)) signature.emplace_back(std::move(file.relative), file.size);
    std::sort(signature.begin(), signature.end());
    return signature;
}

class Destination {
public:
    explicit Destination(const BenchOptions& setup) : setup_(setup), path_(setup.work + L"\\install") {}

    const std::wstring& path() const noexcept { return path_; }

    // A new folder each time: a folder that had its files deleted makes creating files slower.
    void Prepare() const {
        RemoveTree(path_);
        CopyTree(setup_.game, path_, {L"Default", L"Backup"}, setup_.flush != 0);
        ::Sleep(static_cast<DWORD>(setup_.settleMs));
    }

private:
    const BenchOptions& setup_;
    std::wstring path_;
};

double TimeTransfer(const BenchOptions& setup, const Destination& destination, TransferFigures& figures,
                    platform::FileSystem& fileSystem = platform::SystemFileSystem()) {
    CountingObserver observer;
    const Stopwatch watch;
    const transfer::TransferRequest request{WithSlash(setup.package), WithSlash(destination.path()),
                                            std::wstring(transfer::kMusicOn),
                                            WithSlash(setup.package) + std::wstring(transfer::kWorldFileName)};
    const transfer::TransferReport report = transfer::TransferDataSet(request, &observer, fileSystem);
    const double ms = watch.ElapsedMs();
    if (report.outcome != transfer::TransferOutcome::Completed)
        throw std::runtime_error("the transfer refused to run (outcome " +
                                 std::to_string(static_cast<int>(report.outcome)) + ")");
    figures.transferFailures = std::max(figures.transferFailures, report.failures.size());
    for (const transfer::ChangeFailure& problem : report.failures)
        std::fprintf(stderr, "  transfer failure: %s (error %lu)\n", Utf8(problem.name).c_str(), problem.error);
    return ms;
}

double TimeBare(const BenchOptions& setup, const Destination& destination, const BareTransferWork& work,
                TransferFigures& figures) {
    const Stopwatch watch;
    const size_t failures = RunBareTransfer(WithSlash(setup.package), WithSlash(destination.path()), work);
    const double ms = watch.ElapsedMs();
    figures.bareFailures = std::max(figures.bareFailures, failures);
    return ms;
}

}  // namespace

TransferFigures MeasureTransfer(const BenchOptions& setup) {
    if (!::SetCurrentDirectoryW(setup.package.c_str()))
        throw std::runtime_error(ErrorMessage(L"entering " + setup.package, ::GetLastError()));
    ::CreateDirectoryW(setup.work.c_str(), nullptr);
    TransferFigures figures;
    const Destination destination(setup);

    // A first run of each kind: warms the page cache, tells which files the transfer
    // carries, and checks that the bare loop leaves the same result.
    destination.Prepare();
    const double firstTransfer = TimeTransfer(setup, destination, figures);
    BareTransferWork work{TransferDeletePatterns(), {}};
    for (const TreeFile& file : CarriedFiles(setup.package, destination.path())) {
        work.copies.push_back(file.relative);
        figures.bytes += file.size;
    }
    figures.files = work.copies.size();
    const TreeSignature afterTransfer = SignatureOf(destination.path());

    destination.Prepare();
    const double firstBare = TimeBare(setup, destination, work, figures);
    figures.sameResult = SignatureOf(destination.path()) == afterTransfer;
    std::printf("  warm-up: transfer %.1f ms, bare loop %.1f ms\n", firstTransfer, firstBare);

    for (int run = 0; run < setup.runs; ++run) {
        // Rotate which goes first, so none always follows another.
        for (int turn = 0; turn < 3; ++turn) {
            destination.Prepare();
            switch ((run + turn) % 3) {
            case 0: figures.transferMs.push_back(TimeTransfer(setup, destination, figures)); break;
            case 1: figures.bareMs.push_back(TimeBare(setup, destination, work, figures)); break;
            default:
                figures.unflushedMs.push_back(
                    TimeTransfer(setup, destination, figures, platform::UnflushedFileSystem()));
            }
        }
        std::printf("  run %d: transfer %.1f ms, without flushing %.1f ms, bare loop %.1f ms\n", run + 1,
                    figures.transferMs.back(), figures.unflushedMs.back(), figures.bareMs.back());
        std::fflush(stdout);
    }
    RemoveTree(destination.path());
    return figures;
}

}  // namespace bench
