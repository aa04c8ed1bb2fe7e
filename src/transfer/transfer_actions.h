#pragma once
// The transfer plan worked out against what the source and destination hold: what
// each destination file will be afterwards, decided before anything changes, so
// that the checks see every file the transfer touches and a failure can undo all.
#include "transfer/folder_contents.h"

#include <string>
#include <string_view>
#include <vector>

namespace transfer {

enum class NewContent {
    None,    // the file is deleted
    Source,  // the source's file of the same name
    Empty,   // an empty file
};

struct FileChange {
    std::wstring name;              // relative to the folders ("nationDATA\a.dat")
    NewContent content = NewContent::None;
    bool replacesExisting = false;  // the destination has the file now
    bool replacesOverlay = false;   // the destination's overlay has a copy the game reads instead
    bool fromOverlay = false;       // the new file is the source overlay's copy
    ULONGLONG size = 0;             // bytes of the new file
};

struct ResolvedTransfer {
    std::vector<FileChange> changes;           // one per destination file, in plan order
    std::vector<std::wstring> foldersToCreate;  // "nationDATA" or "pastDATA", when the destination lacks it
    // Data folders whose every file the plan replaces or deletes, as the destination
    // spells them: each can be replaced whole by a folder of the new files.
    std::vector<std::wstring> wholeFolders;
    // Subfolders of listed files where the destination has a file of that name.
    std::vector<std::wstring> blockedFolders;
    size_t filesToCopy = 0;
    bool overlayInvolved = false;  // a change reads or replaces an overlay's copy
};

[[nodiscard]] ResolvedTransfer ResolveTransfer(const FolderContents& source, const FolderContents& destination,
                                               std::wstring_view musicFlag,
                                               const std::vector<std::wstring>& listedNames);

// The same plan from `source` into a game folder not known yet, taken to hold none of
// the data set's files and every subfolder the listed names need: what any Install
// of the source carries (the changes whose content is the source's).
[[nodiscard]] ResolvedTransfer ResolveCarriedFiles(const FolderContents& source, std::wstring_view musicFlag,
                                                   const std::vector<std::wstring>& listedNames);

}  // namespace transfer
