#pragma once
// What the transfer checks before it changes anything.
#include "transfer/staged_change.h"
#include "transfer/transfer_actions.h"

#include <optional>
#include <string>
#include <vector>

namespace transfer {

// Something on disk where the transfer needs a plain folder or file of its own; the
// player has to move it away. Paths are full, as the player finds them.
struct Obstacle {
    enum class Kind {
        Link,       // a junction, symbolic link or mount point
        NotFolder,  // a file (or a folder or link under the lock's name) where a folder or the lock belongs
        CaseTwins,  // two names of one folder that Windows takes for one
    };
    Kind kind = Kind::Link;
    std::vector<std::wstring> paths;
};

// A folder the transfer writes (ending in ""), when it exists: it must be a folder,
// and not a link. `dataFoldersToo` checks its nationDATA and pastDATA the same way.
[[nodiscard]] std::optional<Obstacle> FolderObstacle(const std::wstring& folder, bool dataFoldersToo);

// Two names in the folder or its data folders that differ only in case.
[[nodiscard]] std::optional<Obstacle> CaseTwinsIn(const std::wstring& folder, const FolderContents& contents);

// True when the source holds a data set: one of the files the plan carries by a
// fixed name, or an ordinary file in nationDATA or pastDATA. Without one the plan
// would only delete.
[[nodiscard]] bool HoldsDataSet(const FolderContents& source);

struct DestinationFileCheck {
    std::vector<std::wstring> inUse;     // held open by another program
    std::vector<ChangeFailure> refused;  // read-only, hidden or system, or not to be moved
    std::optional<Obstacle> obstacle;    // a file to replace that is a link; a file where a listed subfolder belongs
};

// Every existing destination file the transfer would delete or replace must be
// ours to move aside, and be itself (not a link). Files held open are tried again for about a second first:
// scanners and indexers hold files for a moment.
// The destination's overlay ("" when none) is checked for the copies it holds.
[[nodiscard]] DestinationFileCheck CheckDestinationFiles(const std::wstring& destination, const std::wstring& overlay,
                                                         const ResolvedTransfer& plan);

// Bytes missing on the destination's volume for the new files while the old ones
// still exist; 0 when there is room (or the free space cannot be read).
[[nodiscard]] ULONGLONG BytesShort(const std::wstring& destination, const ResolvedTransfer& plan);

}  // namespace transfer
