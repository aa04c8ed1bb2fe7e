#include "transfer/listed_files.h"

#include "platform/field_reader.h"
#include "platform/text_file.h"
#include "transfer/data_names.h"

#include <array>

namespace transfer {

namespace {

constexpr std::array<std::wstring_view, 4> kListedEndings{L".jpg", L".gif", L".dat", L".txt"};

}  // namespace

bool HasListedEnding(std::wstring_view field) noexcept {
    for (const std::wstring_view ending : kListedEndings) {
        if (field.ends_with(ending)) return true;
    }
    return false;
}

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
    // A world file comes with a downloaded package: its names must stay inside the
    // data set of the source and destination folders.
    return DataName(name).value_or(std::wstring());
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
