#pragma once
// The transfer plan worked out against what the source and destination hold: a flat
// list of file actions, decided before anything changes, so that the checks can see
// every destination file the transfer will touch.
#include "transfer/folder_contents.h"

#include <string>
#include <string_view>
#include <vector>

namespace transfer {

enum class ActionKind {
    DeleteMatching,  // delete the destination's ordinary files matching `name`
    Copy,            // copy `name` from source to destination
    MakeEmpty,       // replace (or create) the destination's `name` with an empty file
};

struct TransferAction {
    ActionKind kind = ActionKind::Copy;
    std::wstring name;          // relative to the folders; a pattern for DeleteMatching
    size_t files = 1;           // files it accounts for in the progress
    int series = 0;             // non-zero: a stop-at-first series its first failure ends
    bool mayBeAbsent = false;   // a world-file name in a subfolder: "not found" means absent
};

struct ResolvedTransfer {
    std::vector<TransferAction> actions;
    std::vector<std::wstring> touchedFiles;  // existing destination files deleted or replaced
    size_t filesPlanned = 0;
};

[[nodiscard]] ResolvedTransfer ResolveTransfer(const FolderContents& source, const FolderContents& destination,
                                               std::wstring_view musicFlag,
                                               const std::vector<std::wstring>& listedNames);

}  // namespace transfer
