#pragma once
// What Windows makes of a file name, apart from any file system.
#include <string>
#include <string_view>

namespace platform {

// "\" or "/": Windows takes either between the parts of a path.
[[nodiscard]] constexpr bool IsPathSeparator(wchar_t c) noexcept { return c == L'\\' || c == L'/'; }

// The folder part of a path, with its separator ("nationDATA\a.dat" -> "nationDATA\";
// "" for a bare name).
[[nodiscard]] std::wstring_view FolderPart(std::wstring_view path) noexcept;

// A folder as the user knows it: without trailing separators, except the one of a
// drive root ("C:\Games\" -> "C:\Games", "C:\\" -> "C:\").
[[nodiscard]] std::wstring WithoutTrailingSeparators(std::wstring folder);

// A folder path ending in exactly one separator, as the transfer takes folders:
// "C:\Games" -> "C:\Games\", "R:\" -> "R:\", "\\server\share\\" -> "\\server\share\". An empty
// folder is the current drive's root, "\".
[[nodiscard]] std::wstring AsFolder(std::wstring_view folder);

// `name` in `folder`, joined by one separator however the folder ends: "R:\" and
// "Backup" make "R:\Backup", never "R:\\Backup". The one place that joins the two.
[[nodiscard]] inline std::wstring InFolder(std::wstring_view folder, std::wstring_view name) {
    return AsFolder(folder) + std::wstring(name);
}

// True when the file name (no folder) opens a device instead of a file: CON, PRN,
// AUX, NUL, COM1-COM9, LPT1-LPT9, CONIN$ and CONOUT$, in any case, with or without
// an extension, trailing dots or blanks ("con .txt", "NUL.tar.gz", "aux..").
[[nodiscard]] bool IsReservedDeviceName(std::wstring_view fileName) noexcept;

}  // namespace platform
