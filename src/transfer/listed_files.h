#pragma once
// The extra files a package's world file names: every field whose name ends in
// ".jpg", ".gif", ".dat" or ".txt" names the file written after its first colon.
#include "platform/file_services.h"

#include <string>
#include <vector>

namespace transfer {

// The file name a world-file field names, or "" when it names nothing: no matching
// ending, no text after a colon, or a name that would leave the folders (rooted, or
// with a ".." component).
[[nodiscard]] std::wstring ListedFileName(std::wstring_view field);

// Every name the world file text names, in order (duplicates kept).
[[nodiscard]] std::vector<std::wstring> ListedFileNames(std::wstring_view worldFileText);

struct WorldFileNames {
    platform::ErrorCode error = ERROR_SUCCESS;  // a missing world file is no error
    std::vector<std::wstring> names;
};

// Names the world file at `path` lists.
[[nodiscard]] WorldFileNames ReadWorldFileNames(const std::wstring& path);

}  // namespace transfer
