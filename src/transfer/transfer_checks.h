#pragma once
// What the transfer checks before it changes anything.
#include "transfer/staged_change.h"
#include "transfer/transfer_actions.h"

#include <string>
#include <vector>

namespace transfer {

// True when the source holds a data set: one of the files the plan carries by a
// fixed name, or an ordinary file in nationDATA or pastDATA. Without one the plan
// would only delete.
[[nodiscard]] bool HoldsDataSet(const FolderContents& source);

struct DestinationFileCheck {
    std::vector<std::wstring> inUse;     // held open by another program
    std::vector<ChangeFailure> refused;  // read-only, hidden or system, or not to be moved
};

// Every existing destination file the transfer would delete or replace must be
// ours to move aside. Files held open are tried again for about a second first:
// scanners and indexers hold files for a moment.
// The destination's overlay ("" when none) is checked for the copies it holds.
[[nodiscard]] DestinationFileCheck CheckDestinationFiles(const std::wstring& destination, const std::wstring& overlay,
                                                         const ResolvedTransfer& plan);

// Bytes missing on the destination's volume for the new files while the old ones
// still exist; 0 when there is room (or the free space cannot be read).
[[nodiscard]] ULONGLONG BytesShort(const std::wstring& destination, const ResolvedTransfer& plan);

}  // namespace transfer
