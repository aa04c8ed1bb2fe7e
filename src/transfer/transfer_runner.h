#pragma once
// Carries one data set from a source folder to a destination folder: completely,
// or not at all.
#include "platform/file_system.h"
#include "transfer/staged_change.h"

#include <string>
#include <string_view>
#include <vector>

namespace transfer {

enum class TransferOutcome {
    Completed,           // the destination is exactly as the plan makes it
    Failed,              // a file could not be copied, moved or deleted; `failures` names it
    SameFolder,          // refused: source and destination are one folder
    NoDataSet,           // refused: the source holds no data set
    DestinationMissing,  // refused: the destination folder does not exist
    NotWritable,         // refused: the destination folder cannot be written
    NotEnoughSpace,      // refused: `bytesShort` more are needed on the destination's drive
    FilesInUse,          // refused: another program holds destination files open
    Busy,                // refused: another run of this program is using one of the folders
};

struct TransferReport {
    TransferOutcome outcome = TransferOutcome::Completed;
    // Failed: the files that could not be copied, moved or deleted. Whether anything
    // stayed changed is `changesLeft`.
    std::vector<ChangeFailure> failures;
    std::vector<std::wstring> filesInUse;  // FilesInUse: the destination files held open
    ULONGLONG bytesShort = 0;              // NotEnoughSpace
    // A failure whose undoing could not complete: the next run puts the rest back.
    bool changesLeft = false;
    // An earlier run killed halfway was found and its folders put back before this one.
    bool interruptedRunUndone = false;
    size_t filesCopied = 0;
};

struct TransferRequest {
    std::wstring source;       // ends in "\"
    std::wstring destination;  // ends in "\"
    std::wstring musicFlag;    // exactly "on" carries mp3 files
    std::wstring worldFile;    // the world file naming extra files; need not exist
};

// Told what the transfer is doing; called on the thread that runs the transfer.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void OnStarted(size_t filesPlanned) = 0;
    virtual void OnProgress(size_t filesDone, size_t filesPlanned) = 0;
    virtual void OnFinished() = 0;
};

// Never throws. Anything but Completed leaves both folders as they were (see
// `changesLeft` for the one exception, which the next run repairs).
[[nodiscard]] TransferReport TransferDataSet(const TransferRequest& request, TransferObserver* observer = nullptr,
                                             platform::FileSystem& fileSystem = platform::SystemFileSystem());

}  // namespace transfer
