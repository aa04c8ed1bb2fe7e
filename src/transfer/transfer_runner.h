#pragma once
// Runs the transfer plan from a source folder to a destination folder.
#include "platform/file_services.h"

#include <string>
#include <string_view>
#include <vector>

namespace transfer {

enum class TransferOutcome {
    Completed,   // the plan ran to its end; `failures` lists what could not be done
    SameFolder,  // refused: source and destination are one folder; nothing changed
    NoDataSet,   // refused: the source holds no data set; nothing changed
    FilesInUse,  // refused: another program holds destination files open; nothing changed
};

struct FileProblem {
    std::wstring name;  // as the plan names it, relative to the folders ("nationDATA\a.dat")
    platform::ErrorCode error = ERROR_SUCCESS;
};

struct TransferReport {
    TransferOutcome outcome = TransferOutcome::Completed;
    std::vector<FileProblem> failures;  // copies and deletions of existing files that failed
    std::vector<std::wstring> filesInUse;  // FilesInUse: the destination files held open
    size_t filesCopied = 0;
    size_t filesDeleted = 0;
};

// Told what the transfer is doing; called on the thread that runs the transfer.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void OnStarted(size_t filesPlanned) = 0;
    virtual void OnProgress(size_t filesDone, size_t filesPlanned) = 0;
    virtual void OnFinished() = 0;
};

// `source` and `destination` end in "\". `musicFlag` exactly "on" carries mp3 files.
// Never throws; a refusal changes nothing.
[[nodiscard]] TransferReport TransferDataSet(const std::wstring& source, const std::wstring& destination,
                                             std::wstring_view musicFlag, TransferObserver* observer = nullptr);

}  // namespace transfer
