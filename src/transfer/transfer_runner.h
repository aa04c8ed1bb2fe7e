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
    UnreadableRecord,    // refused: `unreadableWork` holds a journal this program cannot honour
    LinkInTheWay,        // refused: `obstacles` names a link where the transfer needs its own folder or file
    NameInTheWay,        // refused: `obstacles` names a file where a folder belongs, or what took the lock's name
    CaseTwins,           // refused: `obstacles` names two names of one folder that differ only in case
};

// Where a transfer's time went, in milliseconds (the benchmark prints them).
struct PhaseTimes {
    double checks = 0;   // locks, recovery, listings, the plan and its checks
    double staging = 0;  // copying the new files into the work folder
    double journal = 0;  // writing the journal, the barrier before any change
    double commit = 0;   // the renames, and the done mark
    double cleanUp = 0;  // removing the work folder with the old files
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
    // Originals of that earlier run found neither in place nor set aside: not put back.
    std::vector<std::wstring> notPutBack;
    std::vector<std::wstring> obstacles;  // LinkInTheWay, NameInTheWay, CaseTwins: full paths
    std::wstring unreadableWork;  // UnreadableRecord: the work folder, left as it was
    bool overlayInvolved = false;  // Completed: copies of an overlay were read or replaced
    size_t filesCopied = 0;
    PhaseTimes phases;
};

struct TransferRequest {
    std::wstring source;       // ends in "\"
    std::wstring destination;  // ends in "\"
    std::wstring musicFlag;    // exactly "on" carries mp3 files
    std::wstring worldFile;    // the world file naming extra files; need not exist
    // The source is a folder this program writes in other operations (the game folder
    // or its Backup): it is locked, and a change left there by a killed run is put
    // back before it is read. A package or the game's default data is only read.
    bool sourceWritten = false;
    // Where Windows keeps the game's own copies of the source's and the destination's
    // files (their VirtualStore folders), ending in "\"; "" when there is none. The
    // game reads those copies in place of the folder's files, so the transfer reads
    // them, and replaces or removes them with the folder's files.
    std::wstring sourceOverlay = {};
    std::wstring destinationOverlay = {};
};

// Told what the transfer is doing; called on the thread that runs the transfer.
class TransferObserver {
public:
    virtual ~TransferObserver() = default;
    virtual void OnStarted(size_t filesPlanned) = 0;
    virtual void OnProgress(size_t filesDone, size_t filesPlanned) = 0;
    virtual void OnFinished() = 0;
    // The report, as soon as the outcome is known: the closing message can be shown.
    // What follows (removing the work folder with the old files) changes nothing the
    // player sees; TransferDataSet returns once it is done. Out of memory here, the
    // observer has the report only as TransferDataSet returns it.
    virtual void OnResult(const TransferReport& /*report*/) {}
};

// Never throws; tells `observer` the report before it returns. Anything but Completed leaves both folders as they were (see
// `changesLeft` for the one exception, which the next run repairs). Only the
// destination, and a source the program writes, are ever changed or cleaned.
[[nodiscard]] TransferReport TransferDataSet(const TransferRequest& request, TransferObserver* observer = nullptr,
                                             platform::FileSystem& fileSystem = platform::SystemFileSystem());

}  // namespace transfer
