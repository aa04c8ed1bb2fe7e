#pragma once
// File operations the program relies on, with Windows' behaviour on every host
// (Wine as root is more lenient about read-only files; these are not).
// Every operation returns a Windows error code: ERROR_SUCCESS (0) when it worked.
#include <windows.h>

#include <optional>
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

// Replaces (or creates) a file with the given bytes without ever losing the old
// file: they go to a temporary file beside it, flushed, which then replaces it.
// Refuses a read-only, hidden or system file, as Windows does.
[[nodiscard]] ErrorCode ReplaceFileContents(const std::wstring& path, std::string_view bytes);

struct BytesRead {
    ErrorCode error = ERROR_SUCCESS;
    std::string bytes;
};

// The whole file, opened with full sharing so that an editor or a scanner holding it
// does not stop us; a passing sharing violation is retried for about a second.
[[nodiscard]] BytesRead ReadFileBytes(const std::wstring& path);

// Creates one folder: ERROR_ALREADY_EXISTS if it exists, ERROR_PATH_NOT_FOUND if
// its parent is missing.
[[nodiscard]] ErrorCode MakeFolder(const std::wstring& path);

// The process's current folder, without a trailing "\" except at a drive root.
[[nodiscard]] std::wstring CurrentFolder();

// GetFileAttributesW, or INVALID_FILE_ATTRIBUTES.
[[nodiscard]] DWORD FileAttributes(const std::wstring& path) noexcept;
// The size of a file; nullopt when it cannot be read.
[[nodiscard]] std::optional<ULONGLONG> FileSize(const std::wstring& path) noexcept;

// Why the file could not be opened for deletion with full sharing, as moving it
// aside needs; ERROR_SUCCESS when it can. A sharing or lock violation means another
// program holds it open; kLinkInTheWay, that the name is a link (or leads through one).
inline constexpr ErrorCode kLinkInTheWay = ERROR_CANT_RESOLVE_FILENAME;
class DirectReach;
[[nodiscard]] ErrorCode DeleteAccessError(const std::wstring& path, DirectReach& reach);

// Where a file or folder is: its volume and its index on that volume.
struct FileIdentity {
    DWORD volume = 0;
    ULONGLONG index = 0;
};
[[nodiscard]] std::optional<FileIdentity> IdentityOf(const std::wstring& path) noexcept;

// True when the file a handle holds is being deleted or has no name left: a handle to
// it keeps nobody away from its name.
[[nodiscard]] bool IsBeingDeleted(HANDLE file) noexcept;

// The full path, without trailing separators except at a drive root.
[[nodiscard]] std::wstring FullPathOf(const std::wstring& path);

// True when `path` lies inside `folder` once both are made full ("." and ".." resolved,
// either separator), at a drive or share root as anywhere; the folder itself is not inside.
[[nodiscard]] bool IsInsideFolder(const std::wstring& folder, const std::wstring& path);

// Tells whether a handle opened by a path reached that very file, or another one a
// link under its name led to (its final path is not the path's folder and name).
// Each folder's own final path is looked up once. Where the system cannot tell, it
// says the file was reached directly.
class DirectReach {
public:
    [[nodiscard]] bool Reached(HANDLE file, const std::wstring& path);

private:
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> folders_;
};

// The folder itself when it is not a link; else the folder the link leads to, as a
// plain path ("D:\Games\Torvanel", "\\server\share\Torvanel"). What lies inside is
// then reached without passing the link again.
[[nodiscard]] std::wstring ResolvedFolder(const std::wstring& folder);

// Bytes the caller may still write on the folder's volume; nullopt when unknown.
[[nodiscard]] std::optional<ULONGLONG> FreeBytes(const std::wstring& folder) noexcept;
// The volume's allocation unit: every file takes whole clusters (4 KiB on most NTFS
// volumes, up to hundreds of KiB on exFAT); nullopt when unknown.
[[nodiscard]] std::optional<ULONGLONG> ClusterBytes(const std::wstring& folder);

// True when both paths name the same existing folder, however they are spelled
// (case, separators, "..", short names, links). Two missing folders compare by
// their full paths.
[[nodiscard]] bool IsSameFolder(const std::wstring& a, const std::wstring& b);

// The system's text for a Windows error, without the trailing line end.
[[nodiscard]] std::wstring ErrorText(ErrorCode error);

}  // namespace platform
