#pragma once
// The program's text files, stored in the system's ANSI code page (932 on Japanese
// Windows). Conversion happens here and nowhere else.
#include "platform/file_services.h"

#include <optional>
#include <vector>
#include <string>

namespace platform {

// Code page 932, Shift-JIS as Windows writes it: the code page of world files and
// saved paths written on Japanese Windows.
inline constexpr UINT kJapaneseCodePage = 932;

struct TextRead {
    ErrorCode error = ERROR_SUCCESS;
    std::wstring text;
};

// The text of a file's bytes: UTF-8 or UTF-16 when they start with their byte-order
// mark, otherwise the ANSI code page. Where that code page is UTF-8, bytes that are
// not valid UTF-8 are read as code page 932.
[[nodiscard]] std::wstring DecodeText(std::string_view bytes, UINT ansiCodePage);

// What a text file's bytes are, as far as the code page matters.
enum class TextEncoding {
    Ascii,         // reads the same in every code page
    ShiftJis,      // valid in code page 932, and not valid UTF-8
    Utf8,          // valid UTF-8 with characters beyond ASCII, no byte-order mark
    Utf8WithMark,  // starts with the UTF-8 byte-order mark
    Utf16,         // starts with a UTF-16 byte-order mark
    NotShiftJis,   // neither: bytes that code page 932 has no character for
};
[[nodiscard]] TextEncoding DetectEncoding(std::string_view bytes);

// The bytes of the text in the ANSI code page; nullopt when some character has no
// form there, or when DecodeText would read the bytes back as other text.
[[nodiscard]] std::optional<std::string> EncodeText(std::wstring_view text, UINT ansiCodePage);

// Reads the whole file and decodes it as DecodeText does. Others may hold the file
// open in any way; a sharing or lock violation is retried for about a second.
[[nodiscard]] TextRead ReadTextFile(const std::wstring& path, UINT ansiCodePage = ::GetACP());

// EncodeText in the system's code page.
[[nodiscard]] std::optional<std::string> ToAnsi(std::wstring_view text);

// Replaces the file with the text, each line followed by CR LF, as EncodeText gives
// it, through a temporary file so a failed write leaves the old file whole.
// ERROR_NO_UNICODE_TRANSLATION when EncodeText gives nothing.
[[nodiscard]] ErrorCode WriteTextLines(const std::wstring& path, const std::vector<std::wstring>& lines,
                                       UINT ansiCodePage = ::GetACP());

}  // namespace platform
