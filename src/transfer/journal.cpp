#include "transfer/journal.h"

#include <cstring>

namespace transfer {

namespace {

constexpr std::wstring_view kHeader = L"torvanel-transfer-journal 1";
constexpr std::wstring_view kEnd = L"end";

std::vector<std::wstring_view> Lines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(L'\n', start)) != std::wstring_view::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

std::wstring BucketName(size_t entry) { return L"b" + std::to_wstring(entry / kBucketSize); }
std::wstring StagedName(size_t entry) { return BucketName(entry) + L"\\n" + std::to_wstring(entry); }
std::wstring SetAsideName(size_t entry) { return BucketName(entry) + L"\\o" + std::to_wstring(entry); }

std::string JournalBytes(const Journal& journal) {
    std::wstring text(kHeader);
    text += L'\n';
    for (const std::wstring& folder : journal.createdFolders) text += L"F " + folder + L'\n';
    for (const JournalEntry& entry : journal.entries)
        text += std::wstring(L"E ") + (entry.hadOld ? L'1' : L'0') + (entry.hasNew ? L'1' : L'0') + L' ' + entry.name + L'\n';
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
    if (lines.size() < 2 || lines.front() != kHeader || lines.back() != kEnd || !text.ends_with(L'\n')) return std::nullopt;

    Journal journal;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::wstring_view line = lines[i];
        if (line.size() > 2 && line.starts_with(L"F ")) {
            journal.createdFolders.emplace_back(line.substr(2));
        } else if (line.size() > 5 && line.starts_with(L"E ") && line[4] == L' ') {
            journal.entries.push_back({std::wstring(line.substr(5)), line[2] == L'1', line[3] == L'1'});
        } else {
            return std::nullopt;
        }
    }
    return journal;
}

}  // namespace transfer
