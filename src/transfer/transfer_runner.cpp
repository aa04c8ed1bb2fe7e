#include "transfer/transfer_runner.h"

#include "transfer/listed_files.h"
#include "transfer/transfer_actions.h"
#include "transfer/transfer_checks.h"

#include <new>

namespace transfer {

namespace {

// Carries out the resolved actions with the plan's skip rules: a failing action is
// skipped, and the first failing copy of a stop-at-first series ends that series.
class ActionRunner {
public:
    ActionRunner(const std::wstring& source, const std::wstring& destination, TransferReport& report)
        : source_(source), destination_(destination), report_(report) {}

    void Run(const TransferAction& action) {
        if (action.series != 0 && action.series == endedSeries_) return;
        bool succeeded = true;
        switch (action.kind) {
            case ActionKind::DeleteMatching: DeleteMatching(action.name); break;
            case ActionKind::Copy: succeeded = Copy(action); break;
            case ActionKind::MakeEmpty: MakeEmpty(action.name); break;
        }
        if (!succeeded && action.series != 0) endedSeries_ = action.series;
    }

private:
    void DeleteMatching(const std::wstring& pattern) {
        const platform::DeleteResult result = platform::DeleteFiles(destination_ + pattern);
        report_.filesDeleted += result.deleted.size();
        for (const std::wstring& path : result.deleted) copied_.Erase(Relative(path));
        for (const platform::FileFailure& failure : result.failures) Fail(Relative(failure.path), failure.error);
        // Nothing matching any more is not a failure; anything else that stopped the whole step is.
        if (result.error != ERROR_SUCCESS && result.error != ERROR_FILE_NOT_FOUND && result.failures.empty())
            Fail(pattern, result.error);
    }

    // The plan names some files twice (the "jpg" sweep and "back4.jpg", the two kosei
    // series): a name is copied once per transfer, and a failed name is not retried.
    bool Copy(const TransferAction& action) {
        if (copied_.Contains(action.name)) return true;
        if (failed_.Contains(action.name)) return false;
        const platform::ErrorCode error = platform::CopyDataFile(source_ + action.name, destination_ + action.name);
        if (error == ERROR_SUCCESS) {
            copied_.Insert(action.name);
            ++report_.filesCopied;
            return true;
        }
        const bool absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        if (action.mayBeAbsent && absent) return false;
        failed_.Insert(action.name);
        Fail(action.name, error);
        return false;
    }

    void MakeEmpty(const std::wstring& name) {
        const platform::ErrorCode error = platform::ReplaceFileContents(destination_ + name, {});
        if (error != ERROR_SUCCESS) Fail(name, error);
    }

    void Fail(const std::wstring& name, platform::ErrorCode error) {
        report_.failures.push_back({name, error});
    }

    std::wstring Relative(const std::wstring& path) const {
        if (path.size() > destination_.size() && path.compare(0, destination_.size(), destination_) == 0)
            return path.substr(destination_.size());
        return path;
    }

    const std::wstring& source_;
    const std::wstring& destination_;
    TransferReport& report_;
    NameSet copied_;
    NameSet failed_;
    int endedSeries_ = 0;
};

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

    void FilesDone(size_t files) {
        filesDone_ += files;
        if (observer_) observer_->OnProgress(filesDone_, filesPlanned_);
    }

private:
    TransferObserver* observer_;
    size_t filesPlanned_;
    size_t filesDone_ = 0;
};

void RunTransfer(const std::wstring& source, const std::wstring& destination, std::wstring_view musicFlag,
                 TransferObserver* observer, TransferReport& report) {
    if (platform::IsSameFolder(source, destination)) {
        report.outcome = TransferOutcome::SameFolder;
        return;
    }
    const FolderContents sourceContents(source);
    if (!HoldsDataSet(sourceContents)) {
        report.outcome = TransferOutcome::NoDataSet;
        return;
    }

    const FolderContents destinationContents(destination);
    const ResolvedTransfer plan =
        ResolveTransfer(sourceContents, destinationContents, musicFlag,
                        ReadWorldFileNames(platform::CurrentFolder() + L"\\zeloworld.dat").names);
    report.filesInUse = FilesInUse(destination, plan.touchedFiles);
    if (!report.filesInUse.empty()) {
        report.outcome = TransferOutcome::FilesInUse;
        return;
    }

    ObservedRun run(observer, plan.filesPlanned);
    ActionRunner runner(source, destination, report);
    for (const TransferAction& action : plan.actions) {
        runner.Run(action);
        run.FilesDone(action.files);
    }
}

}  // namespace

TransferReport TransferDataSet(const std::wstring& source, const std::wstring& destination,
                               std::wstring_view musicFlag, TransferObserver* observer) {
    TransferReport report;
    try {
        RunTransfer(source, destination, musicFlag, observer, report);
    } catch (const std::bad_alloc&) {
        // Out of memory midway: what was done stays done; say the rest was not.
        try {
            report.failures.push_back({L"", ERROR_NOT_ENOUGH_MEMORY});
        } catch (const std::bad_alloc&) {
        }
    }
    return report;
}

}  // namespace transfer
