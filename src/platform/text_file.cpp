#include "platform/text_file.h"

#include "platform/unique_handle.h"

namespace platform {

TextRead ReadTextFile(const std::wstring& path) {
    BytesRead read = ReadFileBytes(path);
    if (read.error != ERROR_SUCCESS) return {read.error, {}};
    return {ERROR_SUCCESS, FromAnsi(read.bytes)};
}

std::wstring FromAnsi(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

std::optional<std::string> ToAnsi(std::wstring_view text) {
    if (text.empty()) return std::string();
    // On a system whose ANSI code page is UTF-8 every character has a form and the
    // best-fit flags are not allowed.
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, usedDefaultOut);
    if (length == 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, bytes.data(), length, nullptr, usedDefaultOut);
    if (usedDefault) return std::nullopt;
    return bytes;
}

ErrorCode WriteTextLines(const std::wstring& path, const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\r\n";
    const std::optional<std::string> bytes = ToAnsi(text);
    if (!bytes) return ERROR_NO_UNICODE_TRANSLATION;
    return ReplaceFileContents(path, *bytes);
}

}  // namespace platform
