#pragma once
// The program's text files, stored in the system's ANSI code page (932 on Japanese
// Windows). Conversion happens here and nowhere else.
#include "platform/file_services.h"

#include <optional>
#include <vector>
#include <string>

namespace platform {

struct TextRead {
    ErrorCode error = ERROR_SUCCESS;
    std::wstring text;
};

// Reads the whole file and converts it from the ANSI code page, or from UTF-8 or
// UTF-16 when it starts with their byte-order mark. Others may hold the file open in
// any way; a sharing or lock violation is retried for about a second.
[[nodiscard]] TextRead ReadTextFile(const std::wstring& path);

// Converts to the ANSI code page; nullopt when some character has no form there.
[[nodiscard]] std::optional<std::string> ToAnsi(std::wstring_view text);
[[nodiscard]] std::wstring FromAnsi(std::string_view bytes);

// Replaces the file with the text, each line followed by CR LF, in the ANSI code
// page, through a temporary file so a failed write leaves the old file whole.
// ERROR_NO_UNICODE_TRANSLATION when the text cannot be written in the code page.
[[nodiscard]] ErrorCode WriteTextLines(const std::wstring& path, const std::vector<std::wstring>& lines);

}  // namespace platform
