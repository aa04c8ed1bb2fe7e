#include "transfer/transfer_runner.h"

#include "platform/folder_lock.h"
#include "platform/path_names.h"
#include "transfer/listed_files.h"
#include "transfer/transfer_checks.h"
#include "transfer/transfer_plan.h"

#include <new>
#include <optional>

namespace transfer {

namespace {

// Tells the observer the transfer has finished however the run ends.
class ObservedRun {
public:
    ObservedRun(TransferObserver* observer, size_t filesPlanned) : observer_(observer), filesPlanned_(filesPlanned) {
        if (observer_) observer_->OnStarted(filesPlanned_);
    }
    ~ObservedRun() {
        if (observer_) observer_->OnFinished();
    }
    ObservedRun(const ObservedRun&) = delete;
    ObservedRun& operator=(const ObservedRun&) = delete;

    void FileDone() {
        ++filesDone_;
        if (observer_) observer_->OnProgress(filesDone_, filesPlanned_);
    }

private:
    TransferObserver* observer_;
    size_t filesPlanned_;
    size_t filesDone_ = 0;
};

// Adds the time since the last lap to one phase.
class PhaseClock {
public:
    PhaseClock() noexcept { ::QueryPerformanceCounter(&last_); }
    void Lap(double& phase) noexcept {
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        phase += static_cast<double>(now.QuadPart - last_.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
        last_ = now;
    }

private:
    LARGE_INTEGER last_;
};

bool FolderExists(const std::wstring& folder) {
    const DWORD attributes = platform::FileAttributes(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Refuse(TransferReport& report, TransferOutcome outcome) { report.outcome = outcome; }

void Refuse(TransferReport& report, Obstacle obstacle) {
    report.outcome = obstacle.kind == Obstacle::Kind::Link        ? TransferOutcome::LinkInTheWay
                     : obstacle.kind == Obstacle::Kind::NotFolder ? TransferOutcome::NameInTheWay
                                                                  : TransferOutcome::CaseTwins;
    report.obstacles = std::move(obstacle.paths);
}

// Why a lock could not be taken, as the player is told it.
void RefuseLock(TransferReport& report, const platform::FolderLock& lock, TransferOutcome otherwise) {
    if (lock.NameTaken()) return Refuse(report, Obstacle{Obstacle::Kind::NotFolder, {lock.Path()}});
    Refuse(report, otherwise);
}

// The outcome is fixed by now: an observer out of memory for its copy of the report
// changes nothing, and gets the report as TransferDataSet returns it.
void TellResult(TransferObserver* observer, const TransferReport& report) noexcept {
    if (observer == nullptr) return;
    try {
        observer->OnResult(report);
    } catch (const std::bad_alloc&) {
    }
}

void Fail(TransferReport& report, std::vector<ChangeFailure> failures) {
    report.outcome = TransferOutcome::Failed;
    report.failures = std::move(failures);
}

void RunTransfer(const TransferRequest& request, TransferObserver* observer, platform::FileSystem& fs,
                 TransferReport& report, bool& committing, bool& told) {
    PhaseClock clock;
    const std::wstring& source = request.source;
    const std::wstring& destination = request.destination;
    if (platform::IsSameFolder(source, destination)) return Refuse(report, TransferOutcome::SameFolder);
    // The folders it writes are its own: not a link, nor a file where a folder belongs.
    // (The game folder itself may be reached through a link: the caller resolves it.)
    if (auto obstacle = FolderObstacle(destination, false)) return Refuse(report, std::move(*obstacle));
    if (!FolderExists(destination)) return Refuse(report, TransferOutcome::DestinationMissing);
    if (request.sourceWritten) {
        if (auto obstacle = FolderObstacle(source, false)) return Refuse(report, std::move(*obstacle));
    }

    // The destination's lock is its first write: a folder that cannot be written says so here.
    const platform::FolderLock destinationLock(destination);
    if (destinationLock.Error() == ERROR_ACCESS_DENIED) return Refuse(report, TransferOutcome::NotWritable);
    if (!destinationLock.Held()) return RefuseLock(report, destinationLock, TransferOutcome::Busy);
    std::optional<platform::FolderLock> sourceLock;
    if (request.sourceWritten && !sourceLock.emplace(source).Held()) {
        const platform::ErrorCode error = sourceLock->Error();
        const bool missing = error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND;
        return RefuseLock(report, *sourceLock, missing ? TransferOutcome::NoDataSet : TransferOutcome::Busy);
    }
    // Recovery and the change go into the data folders of what they write, and into overlays.
    for (const std::wstring* folder : {&destination, &request.destinationOverlay, &source, &request.sourceOverlay}) {
        const bool written = folder == &destination || folder == &request.destinationOverlay || request.sourceWritten;
        if (!written || folder->empty()) continue;
        if (auto obstacle = FolderObstacle(*folder, true)) return Refuse(report, std::move(*obstacle));
    }

    // A run killed halfway is put right before anything is looked at; while it cannot
    // be, nothing new starts on top of it.
    for (const std::wstring* folder : {&destination, &source}) {
        if (folder == &source && !request.sourceWritten) continue;
        const Recovery recovery =
            RecoverFolder(*folder, folder == &destination ? request.destinationOverlay : request.sourceOverlay, fs);
        report.interruptedRunUndone = report.interruptedRunUndone || recovery.undone;
        report.notPutBack.insert(report.notPutBack.end(), recovery.notPutBack.begin(), recovery.notPutBack.end());
        if (!recovery.unreadableWork.empty()) {
            report.unreadableWork = platform::WithoutTrailingSeparators(recovery.unreadableWork);
            return Refuse(report, TransferOutcome::UnreadableRecord);
        }
        if (recovery.pending != ERROR_SUCCESS) {
            report.changesLeft = true;
            return Fail(report, {{L"", recovery.pending}});
        }
    }

    const FolderContents sourceContents(source, request.sourceOverlay);
    if (!HoldsDataSet(sourceContents)) return Refuse(report, TransferOutcome::NoDataSet);
    if (auto twins = CaseTwinsIn(source, sourceContents)) return Refuse(report, std::move(*twins));

    const WorldFileNames listed = ReadWorldFileNames(request.worldFile);
    if (listed.error != ERROR_SUCCESS) return Fail(report, {{std::wstring(kWorldFileName), listed.error}});

    const FolderContents destinationContents(destination, request.destinationOverlay);
    if (auto twins = CaseTwinsIn(destination, destinationContents)) return Refuse(report, std::move(*twins));
    const ResolvedTransfer plan = ResolveTransfer(sourceContents, destinationContents, request.musicFlag, listed.names);
    DestinationFileCheck check = CheckDestinationFiles(destination, request.destinationOverlay, plan);
    if (check.obstacle) return Refuse(report, std::move(*check.obstacle));
    if (!check.inUse.empty()) {
        report.filesInUse = std::move(check.inUse);
        return Refuse(report, TransferOutcome::FilesInUse);
    }
    if (!check.refused.empty()) return Fail(report, std::move(check.refused));
    report.bytesShort = BytesShort(destination, plan);
    if (report.bytesShort > 0) return Refuse(report, TransferOutcome::NotEnoughSpace);

    const ChangeFolders folders{source, request.sourceOverlay, destination, request.destinationOverlay};
    StagedChange change(folders, plan, fs);
    if (const platform::ErrorCode error = change.Begin()) {
        if (error == ERROR_ACCESS_DENIED) return Refuse(report, TransferOutcome::NotWritable);
        return Fail(report, {{L"", error}});
    }
    clock.Lap(report.phases.checks);
    std::optional<ChangeFailure> failure;
    {
        ObservedRun run(observer, plan.filesToCopy);
        failure = change.Stage([&run] { run.FileDone(); });
        clock.Lap(report.phases.staging);
        committing = !failure;
        if (!failure) failure = change.WriteJournal();
        clock.Lap(report.phases.journal);
        if (!failure) failure = change.Commit();
        clock.Lap(report.phases.commit);
    }
    if (failure) {
        report.changesLeft = !change.Undone();
        Fail(report, {std::move(*failure)});
    } else {
        report.filesCopied = plan.filesToCopy;
        report.overlayInvolved = plan.overlayInvolved;
    }
    // The outcome is known. Removing the work folder (still under the locks) changes
    // nothing the player sees, so they need not wait for it.
    told = true;
    TellResult(observer, report);
    try {
        change.Finish();
    } catch (const std::bad_alloc&) {
        // What could not be removed, the next run removes.
    }
    clock.Lap(report.phases.cleanUp);
}

}  // namespace

TransferReport TransferDataSet(const TransferRequest& request, TransferObserver* observer,
                               platform::FileSystem& fileSystem) {
    TransferReport report;
    bool committing = false;
    bool told = false;
    try {
        RunTransfer(request, observer, fileSystem, report, committing, told);
    } catch (const std::bad_alloc&) {
        // Out of memory. Before the first change nothing changed; after it, the work
        // folder and its journal let the next run undo what was begun.
        report = TransferReport{};
        report.outcome = TransferOutcome::Failed;
        report.failures = {{L"", ERROR_NOT_ENOUGH_MEMORY}};
        report.changesLeft = committing;
    }
    if (!told) TellResult(observer, report);
    return report;
}

}  // namespace transfer
