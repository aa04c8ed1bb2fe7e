#include "folder_dialog/saved_path_file.h"

#include "platform/text_file.h"

namespace folder_dialog {

namespace {

bool IsBlank(wchar_t c) noexcept { return c == L' ' || c == L'\t' || c == L'\x3000'; }

}  // namespace

std::wstring SavedPathFile::Path() const {
    if (!path_.empty()) return path_;
    std::wstring folder = platform::CurrentFolder();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder + kSavedPathFileName;
}

std::optional<std::wstring> SavedPathFile::Read() const {
    const platform::TextRead read = platform::ReadTextFile(Path());
    if (read.error != ERROR_SUCCESS) return std::nullopt;
    std::wstring line = read.text.substr(0, read.text.find_first_of(L"\r\n"));
    bool blank = true;
    for (const wchar_t c : line) blank = blank && IsBlank(c);
    if (blank) return std::nullopt;
    return line;
}

platform::ErrorCode SavedPathFile::Write(const std::wstring& folder) const {
    return platform::WriteTextLines(Path(), {folder});
}

}  // namespace folder_dialog
