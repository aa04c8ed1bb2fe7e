#include "platform/text_file.h"

#include "platform/unique_handle.h"

#include <algorithm>

namespace platform {

namespace {

// Nothing when the bytes do not convert (with MB_ERR_INVALID_CHARS: when some are
// invalid in the code page).
std::optional<std::wstring> FromCodePage(UINT codePage, DWORD flags, std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length == 0) return std::nullopt;
    std::wstring text(static_cast<size_t>(length), L'\0');
    if (::MultiByteToWideChar(codePage, flags, bytes.data(), size, text.data(), length) != length) return std::nullopt;
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

}  // namespace

std::wstring DecodeText(std::string_view bytes, UINT ansiCodePage) {
    // A byte-order mark says an editor saved the file as UTF-8 or UTF-16; the mark
    // itself is no text.
    if (bytes.starts_with("\xEF\xBB\xBF")) return FromCodePage(CP_UTF8, 0, bytes.substr(3)).value_or(L"");
    if (bytes.starts_with("\xFF\xFE")) return FromUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return FromUtf16(bytes.substr(2), true);
    if (ansiCodePage == CP_UTF8) {
        if (std::optional<std::wstring> text = FromCodePage(CP_UTF8, MB_ERR_INVALID_CHARS, bytes)) return *text;
        // Packages and saved paths from before Windows used UTF-8 here were written
        // on Japanese Windows; read as UTF-8 their names would be lost.
        return FromCodePage(kJapaneseCodePage, 0, bytes).value_or(L"");
    }
    return FromCodePage(ansiCodePage, 0, bytes).value_or(L"");
}

TextEncoding DetectEncoding(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return TextEncoding::Utf8WithMark;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return TextEncoding::Utf16;
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return TextEncoding::Ascii;
    // Japanese text in code page 932 is almost never valid UTF-8 as well.
    if (FromCodePage(CP_UTF8, MB_ERR_INVALID_CHARS, bytes)) return TextEncoding::Utf8;
    return FromCodePage(kJapaneseCodePage, MB_ERR_INVALID_CHARS, bytes) ? TextEncoding::ShiftJis
                                                                        : TextEncoding::NotShiftJis;
}

std::optional<std::string> EncodeText(std::wstring_view text, UINT ansiCodePage) {
    if (text.empty()) return std::string();
    // UTF-8 has a form for every character but none for a lone surrogate, which it
    // would silently replace; elsewhere best fit would silently write another
    // character ('?' for Hangul, e for é): another folder.
    const bool utf8 = ansiCodePage == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;  // not allowed with UTF-8
    const int size = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(ansiCodePage, flags, text.data(), size, nullptr, 0, nullptr, usedDefaultOut);
    if (length == 0 || usedDefault) return std::nullopt;
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(ansiCodePage, flags, text.data(), size, bytes.data(), length, nullptr, usedDefaultOut);
    if (usedDefault) return std::nullopt;
    // What is written must read back as written: a text that starts with U+FEFF
    // would read as one with a byte-order mark.
    if (DecodeText(bytes, ansiCodePage) != text) return std::nullopt;
    return bytes;
}

TextRead ReadTextFile(const std::wstring& path, UINT ansiCodePage) {
    const BytesRead read = ReadFileBytes(path);
    if (read.error != ERROR_SUCCESS) return TextRead{read.error, {}};
    return TextRead{ERROR_SUCCESS, DecodeText(read.bytes, ansiCodePage)};
}

std::optional<std::string> ToAnsi(std::wstring_view text) { return EncodeText(text, ::GetACP()); }

ErrorCode WriteTextLines(const std::wstring& path, const std::vector<std::wstring>& lines, UINT ansiCodePage) {
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\r\n";
    const std::optional<std::string> bytes = EncodeText(text, ansiCodePage);
    if (!bytes) return ERROR_NO_UNICODE_TRANSLATION;
    return ReplaceFileContents(path, *bytes);
}

}  // namespace platform
