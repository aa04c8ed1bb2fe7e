#include "platform/text_file.h"

#include "platform/unique_handle.h"

namespace platform {

namespace {

std::wstring FromCodePage(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    return text;
}

std::wstring FromUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<wchar_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    return text;
}

// A byte-order mark says an editor saved the file as UTF-8 or UTF-16; the mark
// itself is no text.
std::wstring DecodeText(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return FromCodePage(CP_UTF8, bytes.substr(3));
    if (bytes.starts_with("\xFF\xFE")) return FromUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return FromUtf16(bytes.substr(2), true);
    return FromAnsi(bytes);
}

}  // namespace

TextRead ReadTextFile(const std::wstring& path) {
    const BytesRead read = ReadFileBytes(path);
    if (read.error != ERROR_SUCCESS) return TextRead{read.error, {}};
    return TextRead{ERROR_SUCCESS, DecodeText(read.bytes)};
}

std::wstring FromAnsi(std::string_view bytes) { return FromCodePage(CP_ACP, bytes); }

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
