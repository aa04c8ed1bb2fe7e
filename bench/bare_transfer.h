#pragma once
// The least the platform needs for an Install's result: delete the older files by
// the same wildcard patterns and copy the same files with CopyFileW, in place. The
// transfer's time is measured against this loop's.
#include <string>
#include <vector>

namespace bench {

struct BareTransferWork {
    std::vector<std::wstring> deletePatterns;  // relative: "年表*.*", "nationDATA\*.*"
    std::vector<std::wstring> copies;          // relative file names
};

// The delete patterns of the transfer, taken from its plan table.
[[nodiscard]] std::vector<std::wstring> TransferDeletePatterns();

// `source` and `destination` end in "\". Returns the number of files that failed.
size_t RunBareTransfer(const std::wstring& source, const std::wstring& destination, const BareTransferWork& work);

}  // namespace bench
