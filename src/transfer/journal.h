#pragma once
// The record a transfer keeps in its work folder: which files it moves aside and
// which it puts in their place, so that a run killed halfway can be undone by the
// next one. It is written under another name, flushed, and renamed into place, so a
// journal under its own name is whole; one this program cannot honour (another
// version's, damaged, naming files outside the data set) is never acted on.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <windows.h>

namespace transfer {

struct JournalEntry {
    std::wstring name;     // relative to the folder ("nationDATA\a.dat"), as DataName gives it
    bool hadOld = false;   // the folder's file is moved aside
    bool hasNew = false;   // a staged file is moved into its place
    std::optional<ULONGLONG> newSize;  // bytes of the staged file (not in journals of the first version)
    bool hadOverlay = false;  // the overlay's copy is moved aside too
};

struct Journal {
    std::vector<std::wstring> createdFolders;  // "nationDATA" or "pastDATA", created by the change
    // "nationDATA" or "pastDATA" as the folder spells them, replaced whole: the folder
    // goes to OldFolderName and NewFolderName takes its place. Where that rename fails,
    // its entries are moved one by one instead, which the entries alone undo.
    std::vector<std::wstring> wholeFolders;
    std::vector<JournalEntry> entries;         // entry i: StagedName(i) and SetAsideName(i)
};

// The journal as bytes (UTF-16LE lines, ending with an end mark).
[[nodiscard]] std::string JournalBytes(const Journal& journal);
// nullopt unless the bytes are a whole journal of a version this program knows,
// every name in it a data-set file in its normal spelling, each at most once.
[[nodiscard]] std::optional<Journal> ParseJournal(std::string_view bytes);

// Names inside a work folder.
inline constexpr std::wstring_view kJournalName = L"journal";
inline constexpr std::wstring_view kJournalDraftName = L"journal.new";  // being written
inline constexpr std::wstring_view kDoneName = L"done";                 // every change made
inline constexpr std::wstring_view kDiscardedName = L"discarded";       // the journal, no longer needed
// Entries are kept in small subfolders: creating a name makes the file system look
// through the whole folder for a name that differs only in case.
inline constexpr size_t kBucketSize = 64;
[[nodiscard]] std::wstring BucketName(size_t entry);
// Entry i's staged file: in the new folder when its folder is replaced whole, under
// its own name; else in a bucket.
[[nodiscard]] std::wstring StagedName(const Journal& journal, size_t entry);
[[nodiscard]] std::wstring NewFolderName(std::wstring_view folder);
[[nodiscard]] std::wstring OldFolderName(std::wstring_view folder);
// The whole folder (an index into wholeFolders) holding the entry; -1 for none.
[[nodiscard]] int WholeFolderOf(const Journal& journal, size_t entry);
[[nodiscard]] std::wstring SetAsideName(size_t entry);
[[nodiscard]] std::wstring OverlayAsideName(size_t entry);

}  // namespace transfer
