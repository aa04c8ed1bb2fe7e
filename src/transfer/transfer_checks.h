#pragma once
// What the transfer checks before it changes anything.
#include "transfer/folder_contents.h"

#include <string>
#include <vector>

namespace transfer {

// True when the source holds a data set: one of the files the plan carries by a
// fixed name, or an ordinary file in nationDATA or pastDATA. Without one the plan
// would only delete.
[[nodiscard]] bool HoldsDataSet(const FolderContents& source);

// The files among `touchedFiles` (relative to `destination`) that another program
// holds open, each named once.
[[nodiscard]] std::vector<std::wstring> FilesInUse(const std::wstring& destination,
                                                   const std::vector<std::wstring>& touchedFiles);

}  // namespace transfer
