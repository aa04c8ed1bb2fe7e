#pragma once
// The extra files a package's world file names: every field whose name ends in
// ".jpg", ".gif", ".dat" or ".txt" names the file written after its first colon.
#include "platform/file_services.h"

#include <string>
#include <vector>

namespace transfer {

// True when a field or name ends in ".jpg", ".gif", ".dat" or ".txt" (case-sensitive).
[[nodiscard]] bool HasListedEnding(std::wstring_view field) noexcept;

// The file name a world-file field names, or "" when it names nothing: no matching
// ending, no text after a colon, or a name outside the data set: rooted, with a ".."
// component, inside the "Backup" or "Default" folder, or a device name.
[[nodiscard]] std::wstring ListedFileName(std::wstring_view field);

// Every name the world file text names, in order (duplicates kept).
[[nodiscard]] std::vector<std::wstring> ListedFileNames(std::wstring_view worldFileText);

struct WorldFileNames {
    platform::ErrorCode error = ERROR_SUCCESS;
    std::vector<std::wstring> names;
};

// The names the world file at the path lists, its text read as platform::DecodeText
// reads it. A missing world file lists nothing; one that exists but cannot be read
// (also after waiting briefly for a program that holds it) is an error.
[[nodiscard]] WorldFileNames ReadWorldFileNames(const std::wstring& worldFilePath, UINT ansiCodePage = ::GetACP());

}  // namespace transfer
