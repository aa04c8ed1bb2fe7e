#include "platform/path_names.h"

#include "platform/wildcard.h"

#include <array>

namespace platform {

namespace {

constexpr std::array<std::wstring_view, 6> kDevices{L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};

// COM1-COM9 and LPT1-LPT9; Windows also takes the superscript digits 1-3.
bool IsNumberedPort(std::wstring_view base) noexcept {
    if (base.size() != 4 || !(SameName(base.substr(0, 3), L"COM") || SameName(base.substr(0, 3), L"LPT"))) {
        return false;
    }
    const wchar_t digit = base[3];
    return (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' || digit == L'\u00B3';
}

}  // namespace

std::wstring_view FolderPart(std::wstring_view path) noexcept {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring_view::npos ? std::wstring_view{} : path.substr(0, separator + 1);
}

std::wstring WithoutTrailingSeparators(std::wstring folder) {
    while (folder.size() > 1 && IsPathSeparator(folder.back())) folder.pop_back();
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    return folder;
}

std::wstring AsFolder(std::wstring_view folder) {
    while (!folder.empty() && IsPathSeparator(folder.back())) folder.remove_suffix(1);
    return std::wstring(folder) + L'\\';
}

bool IsReservedDeviceName(std::wstring_view fileName) noexcept {
    // Windows reads the device from the part before the first dot (or stream colon),
    // without the blanks that end it.
    std::wstring_view base = fileName.substr(0, fileName.find_first_of(L".:"));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    if (IsNumberedPort(base)) return true;
    for (const std::wstring_view device : kDevices) {
        if (SameName(base, device)) return true;
    }
    return false;
}

}  // namespace platform
