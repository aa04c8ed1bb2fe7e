#include "transfer/listed_files.h"

#include "platform/field_reader.h"
#include "platform/text_file.h"

#include <array>
#include <unordered_map>

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

namespace {

// The text after the field's first colon, without blanks and further colons.
std::wstring WrittenName(std::wstring_view field) {
    std::wstring name;
    bool afterColon = false;
    for (const wchar_t c : field) {
        if (c == L':') {
            afterColon = true;
        } else if (afterColon && c != L' ' && c != L'\u3000') {
            name += c;
        }
    }
    return name;
}

}  // namespace

std::wstring ListedFileName(std::wstring_view field) {
    if (!HasListedEnding(field)) return {};
    // A world file comes with a downloaded package: its names must stay inside the
    // data set of the source and destination folders.
    return CheckDataName(WrittenName(field)).name;
}

std::vector<ListedEntry> ListedEntries(std::wstring_view worldFileText) {
    std::vector<ListedEntry> entries;
    std::unordered_map<std::wstring, CheckedName> checkedNames;  // names come again and again
    platform::FieldReader reader(worldFileText);
    std::wstring field;  // a failed read keeps the previous value
    for (;;) {
        const bool read = reader.ReadField(field);
        if (HasListedEnding(field)) {
            std::wstring written = WrittenName(field);
            auto checked = checkedNames.find(written);
            if (checked == checkedNames.end()) checked = checkedNames.emplace(written, CheckDataName(written)).first;
            entries.push_back({reader.Line(), std::move(written), checked->second});
        }
        if (!read || reader.AtEnd()) break;
    }
    return entries;
}

std::vector<std::wstring> ListedFileNames(std::wstring_view worldFileText) {
    std::vector<std::wstring> names;
    for (ListedEntry& entry : ListedEntries(worldFileText)) {
        if (entry.checked.refusal == NameRefusal::None) names.push_back(std::move(entry.checked.name));
    }
    return names;
}

WorldFile ReadWorldFile(const std::wstring& worldFilePath, UINT ansiCodePage) {
    WorldFile file;
    platform::BytesRead read = platform::ReadFileBytes(worldFilePath);
    if (read.error == ERROR_FILE_NOT_FOUND || read.error == ERROR_PATH_NOT_FOUND) return file;
    file.exists = true;
    file.error = read.error;
    if (read.error != ERROR_SUCCESS) return file;
    file.entries = ListedEntries(platform::DecodeText(read.bytes, ansiCodePage));
    file.bytes = std::move(read.bytes);
    return file;
}

WorldFileNames ReadWorldFileNames(const std::wstring& worldFilePath, UINT ansiCodePage) {
    WorldFile file = ReadWorldFile(worldFilePath, ansiCodePage);
    WorldFileNames result{file.error, {}};
    for (ListedEntry& entry : file.entries) {
        if (entry.checked.refusal == NameRefusal::None) result.names.push_back(std::move(entry.checked.name));
    }
    return result;
}

}  // namespace transfer
