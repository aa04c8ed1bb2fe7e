#pragma once
// Whole-folder helpers for preparing the benchmark's destinations and the tests'
// folders; they throw std::runtime_error on failure, since a half-prepared run
// measures nothing.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace bench {

struct TreeFile {
    std::wstring relative;  // "a.dat", "nationDATA\b.dat"
    ULONGLONG size = 0;
};

// Every file under `root` (no trailing "\"), in subfolders too.
[[nodiscard]] std::vector<TreeFile> ListTree(const std::wstring& root);

// Removes `root` and everything in it, read-only files too; a missing folder is fine.
void RemoveTree(const std::wstring& root);

// Copies `from` into a new folder `to` (which must not exist), leaving out the
// top-level folders named in `skipFolders`; with `flush`, every copied file is
// written through to the disk.
void CopyTree(const std::wstring& from, const std::wstring& to, const std::vector<std::wstring>& skipFolders,
              bool flush);

// The files of `source` that `destination` holds with the same bytes: what a finished
// transfer carried, when the older data set's contents all differ from the source's.
// Data folders first, then top-level files, then other subfolders.
[[nodiscard]] std::vector<TreeFile> CarriedFiles(const std::wstring& source, const std::wstring& destination);

// Writes `bytes` to `path`, replacing it.
void WriteFileBytes(const std::wstring& path, std::string_view bytes);

[[nodiscard]] ULONGLONG FileSize(const std::wstring& path);

// "<what>: Windows error 5" for messages.
[[nodiscard]] std::string ErrorMessage(const std::wstring& what, DWORD error);

// UTF-16 -> UTF-8 for messages.
[[nodiscard]] std::string Utf8(std::wstring_view text);

}  // namespace bench
