#include "transfer/journal.h"

#include "transfer/data_names.h"
#include "transfer/transfer_plan.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <unordered_set>

namespace transfer {

namespace {

constexpr std::wstring_view kHeaderFirst = L"torvanel-transfer-journal 1";
constexpr std::wstring_view kHeaderSecond = L"torvanel-transfer-journal 2";
constexpr std::wstring_view kHeader = L"torvanel-transfer-journal 3";
constexpr std::wstring_view kEnd = L"end";

std::vector<std::wstring_view> Lines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring_view::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

bool IsFlag(wchar_t c) noexcept { return c == L'0' || c == L'1'; }

std::optional<ULONGLONG> Number(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 19) return std::nullopt;
    ULONGLONG value = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<ULONGLONG>(c - L'0');
    }
    return value;
}

// A name the journal may hold: in its normal spelling and one the plan carries.
bool IsJournalName(std::wstring_view name) {
    const std::optional<std::wstring> normal = DataName(name);
    return normal && *normal == name && IsDataSetName(name);
}

// "E <old><new> <name>" in the first version; "E <old><new><overlay> <size> <name>" since.
std::optional<JournalEntry> ParseEntry(std::wstring_view line, bool second) {
    const size_t flags = second ? 3 : 2;
    if (line.size() < flags + 4 || !line.starts_with(L"E ") || line[2 + flags] != L' ') return std::nullopt;
    for (size_t i = 0; i < flags; ++i) {
        if (!IsFlag(line[2 + i])) return std::nullopt;
    }
    JournalEntry entry{{}, line[2] == L'1', line[3] == L'1', std::nullopt, second && line[4] == L'1'};
    std::wstring_view rest = line.substr(3 + flags);
    if (second) {
        const size_t blank = rest.find(L' ');
        if (blank == std::wstring_view::npos) return std::nullopt;
        entry.newSize = Number(rest.substr(0, blank));
        if (!entry.newSize) return std::nullopt;
        rest = rest.substr(blank + 1);
    }
    if (!(entry.hadOld || entry.hasNew || entry.hadOverlay) || !IsJournalName(rest)) return std::nullopt;
    entry.name = rest;
    return entry;
}

bool IsDataFolder(std::wstring_view folder) {
    return std::any_of(std::begin(kDataFolderNames), std::end(kDataFolderNames),
                       [&](std::wstring_view name) { return NameKey(folder) == NameKey(name); });
}

}  // namespace

std::wstring BucketName(size_t entry) { return L"b" + std::to_wstring(entry / kBucketSize); }
std::wstring NewFolderName(std::wstring_view folder) { return L"new-" + std::wstring(folder); }
std::wstring OldFolderName(std::wstring_view folder) { return L"old-" + std::wstring(folder); }

int WholeFolderOf(const Journal& journal, size_t entry) {
    const std::wstring& name = journal.entries[entry].name;
    const size_t separator = name.find(L'\\');
    if (separator == std::wstring::npos) return -1;
    for (size_t i = 0; i < journal.wholeFolders.size(); ++i) {
        if (NameKey(journal.wholeFolders[i]) == NameKey(std::wstring_view(name).substr(0, separator))) return static_cast<int>(i);
    }
    return -1;
}

std::wstring StagedName(const Journal& journal, size_t entry) {
    const int whole = WholeFolderOf(journal, entry);
    if (whole < 0) return BucketName(entry) + L"\\n" + std::to_wstring(entry);
    const std::wstring& name = journal.entries[entry].name;
    return NewFolderName(journal.wholeFolders[whole]) + name.substr(name.find(L'\\'));
}
std::wstring SetAsideName(size_t entry) { return BucketName(entry) + L"\\o" + std::to_wstring(entry); }
std::wstring OverlayAsideName(size_t entry) { return BucketName(entry) + L"\\v" + std::to_wstring(entry); }

std::string JournalBytes(const Journal& journal) {
    std::wstring text(kHeader);
    text += L'\n';
    for (const std::wstring& folder : journal.createdFolders) text += L"F " + folder + L'\n';
    for (const std::wstring& folder : journal.wholeFolders) text += L"W " + folder + L'\n';
    for (const JournalEntry& entry : journal.entries) {
        text += std::wstring(L"E ") + (entry.hadOld ? L'1' : L'0') + (entry.hasNew ? L'1' : L'0') +
                (entry.hadOverlay ? L'1' : L'0') + L' ' +
                std::to_wstring(entry.newSize.value_or(0)) + L' ' + entry.name + L'\n';
    }
    text += kEnd;
    text += L'\n';
    std::string bytes(text.size() * sizeof(wchar_t), '\0');
    std::memcpy(bytes.data(), text.data(), bytes.size());
    return bytes;
}

std::optional<Journal> ParseJournal(std::string_view bytes) {
    if (bytes.size() % sizeof(wchar_t) != 0) return std::nullopt;
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), bytes.size());
    const std::vector<std::wstring_view> lines = Lines(text);
    if (lines.size() < 2 || lines.back() != kEnd || !text.ends_with(L'\n')) return std::nullopt;
    if (lines.front() != kHeader && lines.front() != kHeaderSecond && lines.front() != kHeaderFirst) return std::nullopt;
    const bool withSizes = lines.front() != kHeaderFirst;
    const bool withWholeFolders = lines.front() == kHeader;

    Journal journal;
    std::unordered_set<std::wstring> seen;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::wstring_view line = lines[i];
        if (line.starts_with(L"F ")) {
            const std::wstring_view folder = line.substr(2);
            // Only the two data folders are ever created, once each, before any file.
            if (std::find(std::begin(kDataFolderNames), std::end(kDataFolderNames), folder) ==
                    std::end(kDataFolderNames) ||
                !journal.entries.empty() ||
                !seen.insert(NameKey(folder)).second)
                return std::nullopt;
            journal.createdFolders.emplace_back(folder);
            continue;
        }
        if (withWholeFolders && line.starts_with(L"W ")) {
            // A data folder the change did not create, in any spelling, once, before any file.
            const std::wstring_view folder = line.substr(2);
            if (!IsDataFolder(folder) || !journal.entries.empty() || !seen.insert(NameKey(folder)).second)
                return std::nullopt;
            journal.wholeFolders.emplace_back(folder);
            continue;
        }
        std::optional<JournalEntry> entry = ParseEntry(line, withSizes);
        if (!entry || !seen.insert(NameKey(entry->name)).second) return std::nullopt;
        journal.entries.push_back(std::move(*entry));
        // The new folder holds its files directly: a name deeper than that is not ours.
        const int whole = WholeFolderOf(journal, journal.entries.size() - 1);
        if (whole >= 0 && journal.entries.back().name.find(L'\\', journal.wholeFolders[whole].size() + 1) != std::wstring::npos)
            return std::nullopt;
    }
    return journal;
}

}  // namespace transfer
