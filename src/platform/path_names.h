#pragma once
// What Windows makes of a file name, apart from any file system.
#include <string_view>

namespace platform {

// True when the file name (no folder) opens a device instead of a file: CON, PRN,
// AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$ and CONOUT$, in any case, with or without
// an extension, trailing dots or blanks ("con .txt", "NUL.tar.gz", "aux..").
[[nodiscard]] bool IsReservedDeviceName(std::wstring_view fileName) noexcept;

}  // namespace platform
