#pragma once
// The extra files a package's world file names: every field whose name ends in
// ".jpg", ".gif", ".dat" or ".txt" names the file written after its first colon.
#include "platform/file_services.h"
#include "transfer/data_names.h"

#include <string>
#include <vector>

namespace transfer {

// True when a field or name ends in ".jpg", ".gif", ".dat" or ".txt" (case-sensitive).
[[nodiscard]] bool HasListedEnding(std::wstring_view field) noexcept;

// The file name a world-file field names, or "" when it names nothing: no matching
// ending, no text after a colon, or a name outside the data set: rooted, with a ".."
// component, inside the "Backup" or "Default" folder, or a device name.
[[nodiscard]] std::wstring ListedFileName(std::wstring_view field);

// One field of a world file with a listed ending.
struct ListedEntry {
    size_t line = 0;       // where the field begins, from 1
    std::wstring written;  // the text after the first colon, blanks and colons removed
    CheckedName checked;   // the name the transfer takes, or why there is none
};

// Every field of the world file text with a listed ending, in order.
[[nodiscard]] std::vector<ListedEntry> ListedEntries(std::wstring_view worldFileText);

// Every name the world file text names, in order (duplicates kept).
[[nodiscard]] std::vector<std::wstring> ListedFileNames(std::wstring_view worldFileText);

struct WorldFileNames {
    platform::ErrorCode error = ERROR_SUCCESS;
    std::vector<std::wstring> names;
};

struct WorldFile {
    platform::ErrorCode error = ERROR_SUCCESS;  // as ReadWorldFileNames
    bool exists = false;
    std::string bytes;
    std::vector<ListedEntry> entries;
};

// The world file's bytes and entries, read as ReadWorldFileNames reads it.
[[nodiscard]] WorldFile ReadWorldFile(const std::wstring& worldFilePath, UINT ansiCodePage = ::GetACP());

// The names the world file at the path lists, its text read as platform::DecodeText
// reads it. A missing world file lists nothing; one that exists but cannot be read
// (also after waiting briefly for a program that holds it) is an error.
[[nodiscard]] WorldFileNames ReadWorldFileNames(const std::wstring& worldFilePath, UINT ansiCodePage = ::GetACP());

}  // namespace transfer
