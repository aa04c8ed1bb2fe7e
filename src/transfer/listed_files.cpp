#include "transfer/listed_files.h"

#include "platform/field_reader.h"
#include "platform/text_file.h"
#include "transfer/transfer_plan.h"

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

bool IsSeparator(wchar_t c) noexcept { return c == L'\\' || c == L'/'; }

// ".." and also "...": Windows trims trailing dots from a path component.
bool IsParentStep(std::wstring_view component) noexcept {
    return component.size() >= 2 && component.find_first_not_of(L'.') == std::wstring_view::npos;
}

// A world file comes with a downloaded package: its names must stay inside the
// source and destination folders.
bool StaysInsideFolders(std::wstring_view name) noexcept {
    if (name.empty() || IsSeparator(name.front())) return false;
    if (name.size() >= 2 && name[1] == L':') return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        if (IsParentStep(name.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
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
    if (name.empty() || !StaysInsideFolders(name)) return {};
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

WorldFileNames ReadWorldFileNames(const std::wstring& path) {
    const platform::TextRead file = platform::ReadTextFile(path);
    if (file.error == ERROR_FILE_NOT_FOUND || file.error == ERROR_PATH_NOT_FOUND) return {};
    if (file.error != ERROR_SUCCESS) return {file.error, {}};
    return {ERROR_SUCCESS, ListedFileNames(file.text)};
}

}  // namespace transfer
