#include "transfer/listed_files.h"

#include "platform/field_reader.h"
#include "platform/path_names.h"
#include "platform/text_file.h"
#include "platform/wildcard.h"

#include <array>

namespace transfer {

namespace {

constexpr std::array<std::wstring_view, 4> kListedEndings{L".jpg", L".gif", L".dat", L".txt"};

bool HasListedEnding(std::wstring_view field) noexcept {
    for (const std::wstring_view ending : kListedEndings) {
        if (field.ends_with(ending)) return true;
    }
    return false;
}

// A path component as Windows resolves it: trailing dots and blanks dropped.
std::wstring_view Trimmed(std::wstring_view component) noexcept {
    while (!component.empty() && (component.back() == L'.' || component.back() == L' ')) component.remove_suffix(1);
    return component;
}

// A world file comes with a downloaded package: its names must stay inside the data
// set of the source and destination folders. The game folder's "Backup" and
// "Default" hold the player's backup and the game's default data, and a device name
// would open the device instead of a file.
bool NamesDataSetFile(std::wstring_view name) noexcept {
    if (name.empty() || platform::IsPathSeparator(name.front())) return false;
    if (name.size() >= 2 && name[1] == L':') return false;
    bool firstFolder = true;
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < name.size() && !platform::IsPathSeparator(name[end])) ++end;
        const std::wstring_view component = name.substr(start, end - start);
        const std::wstring_view trimmed = Trimmed(component);
        if (end == name.size()) return !platform::IsReservedDeviceName(component);
        // "..", and also "..." or ". .", which Windows trims to a step up or an
        // invalid name; "." and empty steps stay where they are.
        if (trimmed.empty() && !component.empty() && component != L".") return false;
        if (!trimmed.empty() && firstFolder) {
            if (platform::SameName(trimmed, L"Backup") || platform::SameName(trimmed, L"Default")) return false;
            firstFolder = false;
        }
        start = end + 1;
    }
}

}  // namespace

std::wstring ListedFileName(std::wstring_view field) {
    if (!HasListedEnding(field)) return {};
    std::wstring name;
    bool afterColon = false;
    for (const wchar_t c : field) {
        if (c == L':') {
            afterColon = true;
        } else if (afterColon && c != L' ' && c != L'\u3000') {
            name += c;
        }
    }
    if (!NamesDataSetFile(name)) return {};
    return name;
}

std::vector<std::wstring> ListedFileNames(std::wstring_view worldFileText) {
    std::vector<std::wstring> names;
    platform::FieldReader reader(worldFileText);
    std::wstring field;  // a failed read keeps the previous value
    for (;;) {
        const bool read = reader.ReadField(field);
        std::wstring name = ListedFileName(field);
        if (!name.empty()) names.push_back(std::move(name));
        if (!read || reader.AtEnd()) break;
    }
    return names;
}

WorldFileNames ReadWorldFileNames(const std::wstring& worldFilePath, UINT ansiCodePage) {
    platform::TextRead file = platform::ReadTextFile(worldFilePath, ansiCodePage);
    if (file.error == ERROR_FILE_NOT_FOUND || file.error == ERROR_PATH_NOT_FOUND) return {};
    if (file.error != ERROR_SUCCESS) return {file.error, {}};
    return {ERROR_SUCCESS, ListedFileNames(file.text)};
}

}  // namespace transfer
