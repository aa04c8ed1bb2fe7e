#pragma once
// Fresh temporary folders and small file helpers for tests on real files.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// A new empty folder under the temporary folder, removed with everything in it
// (read-only files too) when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's path without a trailing "\".
    [[nodiscard]] const std::wstring& path() const noexcept { return path_; }
    // path() + "\" + relative.
    [[nodiscard]] std::wstring operator/(std::wstring_view relative) const;

private:
    std::wstring path_;
};

// Writes bytes to a file, creating missing parent folders.
void WriteBytes(const std::wstring& path, std::string_view bytes);
// The file's bytes; throws when it cannot be read.
[[nodiscard]] std::string ReadBytes(const std::wstring& path);
[[nodiscard]] bool FileExists(const std::wstring& path);
[[nodiscard]] bool FolderExists(const std::wstring& path);
void MakeFolders(const std::wstring& path);
// Sets attributes and checks that they stuck (hidden/system bits need xattrs under Wine).
void SetAttributes(const std::wstring& path, DWORD attributes);
// Names of the files (not folders) directly in a folder, sorted.
[[nodiscard]] std::vector<std::wstring> FileNamesIn(const std::wstring& folder);
// Removes a folder tree, read-only files included.
void RemoveTree(const std::wstring& path);

// UTF-16 <-> UTF-8 for test messages.
[[nodiscard]] std::string Narrow(std::wstring_view text);

}  // namespace testing_support
