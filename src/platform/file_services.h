#pragma once
// File operations the program relies on, with Windows' behaviour on every host
// (Wine as root is more lenient about read-only files; these are not).
// Every operation returns a Windows error code: ERROR_SUCCESS (0) when it worked.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace platform {

using ErrorCode = DWORD;

// True for an ordinary file: not a folder, not hidden, not a system file.
[[nodiscard]] bool IsOrdinaryFile(DWORD attributes) noexcept;

struct FolderEntry {
    std::wstring name;  // long name, without folder
    DWORD attributes = 0;
    ULONGLONG size = 0;
};

struct FolderListing {
    ErrorCode error = ERROR_SUCCESS;  // ERROR_PATH_NOT_FOUND when the folder is missing
    std::vector<FolderEntry> entries;  // every entry but "." and "..", folders included
};

// Everything directly in a folder (path with or without a trailing "\").
[[nodiscard]] FolderListing ListFolder(const std::wstring& folder);

struct FileList {
    ErrorCode error = ERROR_SUCCESS;
    std::vector<std::wstring> names;  // ordinary files only, in the order the file system gives
};

// `pattern` is a folder ending in "\" (every file) or a folder plus a name pattern.
// Names are matched against long names only. An empty result is not an error;
// a missing folder is.
[[nodiscard]] FileList ListFiles(const std::wstring& pattern);

struct FileFailure {
    std::wstring path;
    ErrorCode error = ERROR_SUCCESS;
};

struct DeleteResult {
    ErrorCode error = ERROR_SUCCESS;   // ERROR_FILE_NOT_FOUND when nothing matched
    std::vector<std::wstring> deleted;  // full paths
    std::vector<FileFailure> failures;  // matching files that could not be deleted
};

// Deletes every ordinary file of one folder whose name matches; folders never.
[[nodiscard]] DeleteResult DeleteFiles(const std::wstring& pattern);

// Copies a file's content and attributes over `destination` without ever losing the
// old destination: the copy goes to a temporary file beside it, which then replaces
// it. Fails, changing nothing, when the source is missing or unreadable, or the
// destination is a read-only, hidden or system file, a folder, in use, or in a
// missing folder.
[[nodiscard]] ErrorCode CopyDataFile(const std::wstring& source, const std::wstring& destination);

// Replaces (or creates) a file with the given bytes, by the same temporary-file route.
[[nodiscard]] ErrorCode ReplaceFileContents(const std::wstring& path, std::string_view bytes);

// Creates one folder: ERROR_ALREADY_EXISTS if it exists, ERROR_PATH_NOT_FOUND if
// its parent is missing.
[[nodiscard]] ErrorCode MakeFolder(const std::wstring& path);

// The process's current folder, without a trailing "\" except at a drive root.
[[nodiscard]] std::wstring CurrentFolder();

// GetFileAttributesW, or INVALID_FILE_ATTRIBUTES.
[[nodiscard]] DWORD FileAttributes(const std::wstring& path) noexcept;

// True when another program holds the file open in a way that keeps us from
// replacing or deleting it (a sharing or lock violation).
[[nodiscard]] bool IsFileInUse(const std::wstring& path) noexcept;

// True when both paths name the same existing folder, however they are spelled
// (case, separators, "..", short names, links). Two missing folders compare by
// their full paths.
[[nodiscard]] bool IsSameFolder(const std::wstring& a, const std::wstring& b);

// The system's text for a Windows error, without the trailing line end.
[[nodiscard]] std::wstring ErrorText(ErrorCode error);

}  // namespace platform
