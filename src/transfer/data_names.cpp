#include "transfer/data_names.h"

#include "platform/path_names.h"
#include "platform/wildcard.h"

#include <windows.h>

namespace transfer {

namespace {

// Characters no file name may hold; ":" would name a stream or a drive.
bool IsForbidden(wchar_t c) noexcept { return c < 0x20 || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos; }

// A part as Windows resolves it: trailing dots and blanks dropped.
std::wstring_view Trimmed(std::wstring_view part) noexcept {
    while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.remove_suffix(1);
    return part;
}

}  // namespace

CheckedName CheckDataName(std::wstring_view name) {
    const auto refused = [](NameRefusal why) { return CheckedName{{}, why}; };
    if (name.empty()) return refused(NameRefusal::Empty);
    if (platform::IsPathSeparator(name.front())) return refused(NameRefusal::Rooted);
    std::wstring normal;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = start;
        while (end < name.size() && !platform::IsPathSeparator(name[end])) ++end;
        const std::wstring_view part = name.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == L".") continue;
        for (const wchar_t c : part) {
            if (IsForbidden(c)) return refused(NameRefusal::Character);
        }
        const std::wstring_view trimmed = Trimmed(part);
        // "..", and also "..." or ". .", which Windows trims to a step up or to nothing.
        if (trimmed.empty()) return refused(NameRefusal::ParentFolder);
        if (platform::IsReservedDeviceName(trimmed)) return refused(NameRefusal::Device);
        if (normal.empty() && (platform::SameName(trimmed, L"Backup") || platform::SameName(trimmed, L"Default")) &&
            end < name.size())
            return refused(NameRefusal::BackupOrDefault);
        if (!normal.empty()) normal += L'\\';
        normal += trimmed;
    }
    if (normal.empty()) return refused(NameRefusal::Empty);
    return {std::move(normal), NameRefusal::None};
}

std::optional<std::wstring> DataName(std::wstring_view name) {
    CheckedName checked = CheckDataName(name);
    if (checked.refusal != NameRefusal::None) return std::nullopt;
    return std::move(checked.name);
}

std::wstring NameKey(std::wstring_view name) {
    std::wstring key(name);
    for (wchar_t& c : key) {
        if (c == L'/') c = L'\\';
    }
    if (!key.empty()) ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

}  // namespace transfer
