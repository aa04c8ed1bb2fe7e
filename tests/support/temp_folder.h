#pragma once
// Fresh temporary folders and small file helpers for tests on real files.
#include "folder_tree.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace testing_support {

using bench::RemoveTree;
using bench::Utf8;

// A new empty folder under the temporary folder, removed with all it holds when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    [[nodiscard]] const std::wstring& path() const noexcept { return path_; }  // without a trailing "\"
    [[nodiscard]] std::wstring operator/(std::wstring_view relative) const { return path_ + L"\\" + std::wstring(relative); }

private:
    std::wstring path_;
};

// Makes a folder the process's current folder while it lives; throws when it cannot.
struct CurrentFolderScope {
    explicit CurrentFolderScope(const std::wstring& folder) { std::filesystem::current_path(folder); }
    ~CurrentFolderScope() { ::SetCurrentDirectoryW(previous.c_str()); }
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;
    const std::wstring previous = std::filesystem::current_path();
};

inline void MakeFolders(const std::wstring& path) { std::filesystem::create_directories(path); }
inline bool FileExists(const std::wstring& path) { std::error_code e; return std::filesystem::is_regular_file(path, e); }
inline bool FolderExists(const std::wstring& path) { std::error_code e; return std::filesystem::is_directory(path, e); }
// Writes bytes to a file, creating missing parent folders.
void WriteBytes(const std::wstring& path, std::string_view bytes);
// Throws when the file cannot be read.
[[nodiscard]] std::string ReadBytes(const std::wstring& path);
// Opens a file as the game does: without sharing. Throws when it cannot.
[[nodiscard]] platform::UniqueFile HoldWithoutSharing(const std::wstring& path);
// Sets attributes and checks that they stuck (hidden/system bits need xattrs under Wine).
void SetAttributes(const std::wstring& path, DWORD attributes);

// Relative path ("nationDATA\a.dat") -> content.
using Tree = std::map<std::wstring, std::string>;
void WriteTree(const std::wstring& folder, const Tree& tree);
// The files of a folder tree and their contents, leaving out the subfolder `skipped`.
[[nodiscard]] Tree ReadTree(const std::wstring& folder, std::wstring_view skipped = {});
// Everything that "exactly as it was" means: every file with its content and its
// read-only, hidden and system bits, and every folder ("sub\" -> "").
[[nodiscard]] Tree Snapshot(const std::wstring& folder);
// `tree` with the files of `more` added or replaced.
[[nodiscard]] inline Tree With(Tree tree, const Tree& more) {
    for (const auto& [name, content] : more) tree[name] = content;
    return tree;
}

}  // namespace testing_support

namespace testing_support {

// Real links and case-sensitive names, made as a player's own tools make them. Under
// Wine through the Unix side: a Unix symbolic link is what Wine shows as a junction or
// symbolic link (a reparse point), and every Unix folder is case-sensitive. False where
// that cannot be done (on Windows these need rights a test does not have).
[[nodiscard]] bool MakeLink(const std::wstring& link, const std::wstring& target);
// Removes a link made by MakeLink as a link, never what it leads to; or a file, behind
// the back of whoever holds it open.
[[nodiscard]] bool RemoveLink(const std::wstring& link);
// A new file beside one whose name differs from it only in case.
[[nodiscard]] bool WriteCaseTwin(const std::wstring& path, std::string_view bytes);
// Whether the file system still has to place some of a file's data on the disk, as ext4
// shows an unflushed write ("delalloc"); nullopt where that cannot be told.
[[nodiscard]] std::optional<bool> AwaitsWriteBack(const std::wstring& path);
// True when both names lead to one file or folder once links are followed. Wine shows a
// link to a file as a plain file, without the reparse bit; only where it leads tells.
[[nodiscard]] bool SameFile(const std::wstring& a, const std::wstring& b);

// Drive `letter` (as L'R') showing `folder` to every program of the Wine prefix while the
// object lives; a letter an earlier run left is replaced. Throws where it cannot be made.
class MappedDrive {
public:
    MappedDrive(wchar_t letter, const std::wstring& folder);
    ~MappedDrive();
    MappedDrive(const MappedDrive&) = delete;
    MappedDrive& operator=(const MappedDrive&) = delete;

private:
    std::wstring root_;  // "R:\"
    std::wstring link_;  // the letter's Unix link in the prefix
};

}  // namespace testing_support
