#include "folder_dialog/saved_path_file.h"

#include "platform/text_file.h"

namespace folder_dialog {

namespace {

bool IsControl(wchar_t c) noexcept { return c < L' ' || (c >= L'\x7F' && c <= L'\x9F'); }
bool IsLetter(wchar_t c) noexcept { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "C:\..." or "\\server\share...": a path that names the same folder whatever the
// current folder and drive. A relative name would be looked up beside the program.
bool IsFullyQualified(std::wstring_view path) noexcept {
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == L':' && path[2] == L'\\') return true;
    if (!path.starts_with(L"\\\\")) return false;
    const std::wstring_view rest = path.substr(2);
    const size_t serverEnd = rest.find(L'\\');
    // "\\.\" and "\\?\" open devices and raw paths, not a share.
    if (serverEnd == 0 || serverEnd == std::wstring_view::npos || rest.starts_with(L".\\") ||
        rest.starts_with(L"?\\")) {
        return false;
    }
    const std::wstring_view share = rest.substr(serverEnd + 1);
    return !share.empty() && share.front() != L'\\';
}

}  // namespace

std::wstring SavedPathFile::Path() const {
    if (!path_.empty()) return path_;
    std::wstring folder = platform::CurrentFolder();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + kSavedPathFileName;
}

std::optional<std::wstring> SavedPathFile::Read() const {
    const platform::TextRead read = platform::ReadTextFile(Path(), ansiCodePage_);
    if (read.error != ERROR_SUCCESS) return std::nullopt;
    std::wstring line = read.text.substr(0, read.text.find_first_of(L"\r\n"));
    for (const wchar_t c : line) {
        if (IsControl(c)) return std::nullopt;
    }
    if (!IsFullyQualified(line)) return std::nullopt;
    return line;
}

platform::ErrorCode SavedPathFile::Write(const std::wstring& folder) const {
    return platform::WriteTextLines(Path(), {folder}, ansiCodePage_);
}

}  // namespace folder_dialog
