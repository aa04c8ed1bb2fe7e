#pragma once
// The record a transfer writes, and flushes, into its work folder before it changes
// the destination: which files it moves aside and which it puts in their place, so
// that a run killed halfway can be undone by the next one.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace transfer {

struct JournalEntry {
    std::wstring name;     // relative to the destination ("nationDATA\a.dat")
    bool hadOld = false;   // the destination's file is moved aside
    bool hasNew = false;   // a staged file is moved into its place
};

struct Journal {
    std::vector<std::wstring> createdFolders;  // relative, created by the change
    std::vector<JournalEntry> entries;         // entry i: StagedName(i) and SetAsideName(i)
};

// The journal as bytes (UTF-16LE lines, ending with an end mark).
[[nodiscard]] std::string JournalBytes(const Journal& journal);
// nullopt unless the bytes are a whole journal: a torn write reads as none.
[[nodiscard]] std::optional<Journal> ParseJournal(std::string_view bytes);

// Names inside a work folder.
inline constexpr std::wstring_view kJournalName = L"journal";
inline constexpr std::wstring_view kDoneName = L"done";            // every change made
inline constexpr std::wstring_view kDiscardedName = L"discarded";  // the journal, no longer needed
// Entries are kept in small subfolders: creating a name makes the file system look
// through the whole folder for a name that differs only in case.
inline constexpr size_t kBucketSize = 64;
[[nodiscard]] std::wstring BucketName(size_t entry);
[[nodiscard]] std::wstring StagedName(size_t entry);
[[nodiscard]] std::wstring SetAsideName(size_t entry);

}  // namespace transfer
