#include "transfer/staged_change.h"

#include "platform/path_names.h"
#include "platform/wildcard.h"
#include "transfer/data_names.h"
#include "transfer/journal.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unordered_set>
#include <vector>
#include <cwctype>

namespace transfer {

bool IsWorkFolderName(std::wstring_view name) noexcept {
    if (!name.starts_with(kWorkFolderPrefix)) return false;
    int numbers = 0;
    for (size_t i = kWorkFolderPrefix.size(); i <= name.size(); ++numbers) {
        const size_t start = i;
        while (i < name.size() && std::iswdigit(name[i])) ++i;
        if (i == start || (i < name.size() && name[i] != L'-')) return false;
        ++i;
    }
    return numbers == 3;
}

namespace {

constexpr std::wstring_view kDataFolders[] = {L"", L"nationDATA\\", L"pastDATA\\"};

bool IsLink(DWORD attributes) noexcept {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
bool IsFolder(DWORD attributes) noexcept { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

Journal JournalOf(const ResolvedTransfer& plan) {
    Journal journal;
    journal.createdFolders = plan.foldersToCreate;
    journal.wholeFolders = plan.wholeFolders;
    for (const FileChange& change : plan.changes) {
        journal.entries.push_back({change.name, change.replacesExisting, change.content != NewContent::None,
                                   change.size, change.replacesOverlay});
    }
    return journal;
}

// True when the journal's names stay inside `folder` on the way there: no part of
// a name's folder is a link to elsewhere.
bool StaysInside(const std::wstring& folder, const Journal& journal, platform::FileSystem& fs) {
    const auto inside = [&](std::wstring_view name) {
        if (!platform::IsInsideFolder(folder, folder + std::wstring(name))) return false;
        for (size_t end = name.find(L'\\'); end != std::wstring_view::npos; end = name.find(L'\\', end + 1)) {
            if (IsLink(fs.Attributes(folder + std::wstring(name.substr(0, end))))) return false;
        }
        return true;
    };
    for (const auto* folders : {&journal.createdFolders, &journal.wholeFolders}) {
        for (const std::wstring& name : *folders) {
            if (!inside(name) || IsLink(fs.Attributes(folder + name))) return false;
        }
    }
    for (const JournalEntry& entry : journal.entries) {
        if (!inside(entry.name)) return false;
    }
    return true;
}

// "17" -> 17, as the work folder's file names number entries; nothing for other text.
std::optional<size_t> EntryNumber(std::wstring_view digits) {
    if (digits.empty() || digits.size() > 9 || (digits.size() > 1 && digits[0] == L'0')) return std::nullopt;
    size_t value = 0;
    for (const wchar_t c : digits) {
        if (c < L'0' || c > L'9') return std::nullopt;
        value = value * 10 + static_cast<size_t>(c - L'0');
    }
    return value;
}

// True when the work folder holds only what a change with this journal puts there,
// where this version puts it, and no link anywhere: every bucket its staging made,
// the new or the old folder of each folder replaced whole, plain files in them.
// Anything else (an earlier layout, a planted journal, a link to elsewhere) is not
// a change this program can undo.
bool MatchesLayout(const std::wstring& work, const Journal& journal, platform::FileSystem& fs) {
    const size_t buckets = (journal.entries.size() + kBucketSize - 1) / kBucketSize;
    const auto plainFiles = [&](const std::wstring& folder, const auto& allowed) {
        const platform::FolderListing listing = fs.List(folder);
        return listing.error == ERROR_SUCCESS &&
               std::all_of(listing.entries.begin(), listing.entries.end(), [&](const platform::FolderEntry& entry) {
                   return !IsFolder(entry.attributes) && !IsLink(entry.attributes) && allowed(entry.name);
               });
    };
    const platform::FolderListing top = fs.List(work);
    if (top.error != ERROR_SUCCESS) return false;
    std::vector<bool> bucketFound(buckets, false);
    std::vector<bool> wholeFound(journal.wholeFolders.size(), false);
    for (const platform::FolderEntry& entry : top.entries) {
        const std::wstring& name = entry.name;
        if (IsLink(entry.attributes)) return false;
        if (!IsFolder(entry.attributes)) {
            if (name != kJournalName && name != kJournalDraftName && name != kDoneName) return false;
            continue;
        }
        bool known = false;
        const std::optional<size_t> bucket = name[0] == L'b' ? EntryNumber(std::wstring_view(name).substr(1)) : std::nullopt;
        if (bucket && *bucket < buckets) {
            // Its own entries' staged files, set-aside originals and overlay copies: n<i>, o<i>, v<i>.
            known = bucketFound[*bucket] = plainFiles(work + name + L"\\", [&](const std::wstring& file) {
                const std::optional<size_t> number = std::wstring_view(L"nov").find(file[0]) != std::wstring_view::npos
                                                         ? EntryNumber(std::wstring_view(file).substr(1))
                                                         : std::nullopt;
                return number && *number / kBucketSize == *bucket && *number < journal.entries.size();
            });
        }
        for (size_t w = 0; w < journal.wholeFolders.size() && !known; ++w) {
            if (name != NewFolderName(journal.wholeFolders[w]) && name != OldFolderName(journal.wholeFolders[w])) continue;
            known = wholeFound[w] = plainFiles(work + name + L"\\", [](const std::wstring&) { return true; });
        }
        if (!known) return false;
    }
    return std::all_of(bucketFound.begin(), bucketFound.end(), [](bool found) { return found; }) &&
           std::all_of(wholeFound.begin(), wholeFound.end(), [](bool found) { return found; });
}

// True when the journal can be followed in `folder` and its `overlay`: its names stay
// inside both, it moved no overlay copy unless there is an overlay to put it back in,
// and its work folder is laid out as this version lays it out.
bool Honourable(const std::wstring& folder, const std::wstring& overlay, const std::wstring& work,
                const Journal& journal, platform::FileSystem& fs) {
    const bool touchedOverlay =
        std::any_of(journal.entries.begin(), journal.entries.end(), [](const JournalEntry& e) { return e.hadOverlay; });
    if (touchedOverlay && overlay.empty()) return false;
    return StaysInside(folder, journal, fs) &&
           (!touchedOverlay || StaysInside(overlay, Journal{{}, {}, journal.entries}, fs)) &&
           MatchesLayout(work, journal, fs);
}

// Moves back what a change had done, newest first, by what the disk shows of each
// entry: a file stands under the real name in place of its staged copy, and that
// file is ours only when the change got this far (its original was set aside; for
// a name that had no file, it is the staged file's size). An original that was
// never moved stays where it is, whatever else vanished. Each step can run again
// after it was itself cut off. Returns the first error.
platform::ErrorCode RollBack(const std::wstring& folder, const std::wstring& overlay, const std::wstring& work,
                             const Journal& journal, platform::FileSystem& fs) {
    platform::ErrorCode first = ERROR_SUCCESS;
    const auto note = [&first](platform::ErrorCode error) {
        if (first == ERROR_SUCCESS) first = error;
        return error;
    };
    // A folder replaced whole goes back first, when its old one was set aside: what
    // stands in its place is then the new folder (never a link), and the entries find
    // everything as before the swap.
    for (size_t w = journal.wholeFolders.size(); w-- > 0;) {
        const std::wstring& name = journal.wholeFolders[w];
        const std::wstring target = folder + name;
        const std::wstring old = work + OldFolderName(name);
        const std::wstring fresh = work + NewFolderName(name);
        const DWORD oldAttributes = fs.Attributes(old);
        if (oldAttributes == INVALID_FILE_ATTRIBUTES) continue;
        if (IsLink(oldAttributes) || IsLink(fs.Attributes(fresh)) || IsLink(fs.Attributes(target))) {
            note(ERROR_CANT_ACCESS_FILE);
            continue;
        }
        if (fs.Exists(target) && !fs.Exists(fresh) && note(fs.Move(target, fresh)) != ERROR_SUCCESS) continue;
        note(fs.Exists(target) ? ERROR_FILE_EXISTS : fs.Move(old, target));
    }
    for (size_t i = journal.entries.size(); i-- > 0;) {
        const JournalEntry& entry = journal.entries[i];
        const std::wstring target = folder + entry.name;
        const std::wstring staged = work + StagedName(journal, i);
        const std::wstring setAside = work + SetAsideName(i);
        const std::wstring overlayAside = work + OverlayAsideName(i);
        const bool setAsideThere = entry.hadOld && fs.Exists(setAside);
        const bool overlayAsideThere = entry.hadOverlay && fs.Exists(overlayAside);
        if (entry.hasNew && !fs.Exists(staged) && fs.Exists(target)) {
            const bool ours = entry.hadOld       ? setAsideThere
                              : entry.hadOverlay ? overlayAsideThere
                                                 : !entry.newSize || fs.Size(target) == entry.newSize;
            if (ours && note(fs.Move(target, staged)) != ERROR_SUCCESS) continue;
        }
        // A set-aside file goes back only to a free name: what stands there now is not
        // ours to replace, and the set-aside file is not ours to lose.
        const auto putBack = [&](const std::wstring& aside, const std::wstring& to) {
            note(fs.Exists(to) ? ERROR_FILE_EXISTS : fs.Move(aside, to));
        };
        if (setAsideThere) putBack(setAside, target);
        if (overlayAsideThere) putBack(overlayAside, overlay + entry.name);
    }
    for (size_t i = journal.createdFolders.size(); i-- > 0;) {
        const std::wstring created = folder + journal.createdFolders[i];
        // A file someone else put there since keeps the folder; it is not ours to delete.
        // Nor is a file or link under its name: the change never made one.
        const DWORD attributes = fs.Attributes(created);
        if (attributes == INVALID_FILE_ATTRIBUTES || !IsFolder(attributes) || IsLink(attributes)) continue;
        const platform::ErrorCode error = fs.RemoveFolder(created);
        if (error != ERROR_DIR_NOT_EMPTY) note(error);
    }
    return first;
}

bool HoldsFiles(const std::wstring& folder, platform::FileSystem& fs) {
    for (const platform::FolderEntry& entry : fs.List(folder).entries) {
        if (IsLink(entry.attributes)) continue;  // never entered, and nothing we copied
        if (!IsFolder(entry.attributes) || HoldsFiles(folder + entry.name + L"\\", fs)) return true;
    }
    return false;
}

// Removes everything in `folder` (ending in "\") and its subfolders but `kept`. A
// link is removed as a link where the system allows it, and never followed.
bool RemoveFilesIn(const std::wstring& folder, platform::FileSystem& fs, std::wstring_view kept = {}) {
    bool removed = true;
    for (const platform::FolderEntry& entry : fs.List(folder).entries) {
        const std::wstring path = folder + entry.name;
        if (entry.name == kept) continue;
        if (IsFolder(entry.attributes)) {
            if (!IsLink(entry.attributes)) removed = RemoveFilesIn(path + L"\\", fs) && removed;
            removed = fs.RemoveFolder(path) == ERROR_SUCCESS && removed;
            continue;
        }
        if (entry.attributes & FILE_ATTRIBUTE_READONLY) ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (fs.DeleteFile(path) != ERROR_SUCCESS) removed = false;
    }
    return removed;
}

bool RemoveWorkFolder(const std::wstring& work, platform::FileSystem& fs) {
    const std::wstring journal = work + std::wstring(kJournalName);
    const std::wstring discarded = work + std::wstring(kDiscardedName);
    if (fs.Exists(journal) && fs.Move(journal, discarded) != ERROR_SUCCESS) return false;
    bool removed = RemoveFilesIn(work, fs, kDiscardedName);
    if (removed && fs.Exists(discarded)) removed = fs.DeleteFile(discarded) == ERROR_SUCCESS;
    return removed && fs.RemoveFolder(work.substr(0, work.size() - 1)) == ERROR_SUCCESS;
}

}  // namespace

StagedChange::StagedChange(const ChangeFolders& folders, const ResolvedTransfer& plan, platform::FileSystem& fileSystem)
    : folders_(folders), plan_(plan), fs_(fileSystem), journal_(JournalOf(plan)) {}

platform::ErrorCode StagedChange::Begin() {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = folders_.destination + std::wstring(kWorkFolderPrefix) +
                                    std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter.fetch_add(1));
        const platform::ErrorCode error = fs_.CreateFolder(folder);
        if (error == ERROR_SUCCESS) {
            work_ = folder + L"\\";
            return ERROR_SUCCESS;
        }
        if (error != ERROR_ALREADY_EXISTS) return error;
    }
    return ERROR_ALREADY_EXISTS;
}

std::optional<ChangeFailure> StagedChange::Stage(const std::function<void()>& fileDone) {
    for (size_t i = 0; i < plan_.changes.size(); i += kBucketSize) {
        if (const platform::ErrorCode error = fs_.CreateFolder(work_ + BucketName(i))) return ChangeFailure{L"", error};
    }
    for (const std::wstring& folder : journal_.wholeFolders) {
        if (const platform::ErrorCode error = fs_.CreateFolder(work_ + NewFolderName(folder))) return ChangeFailure{L"", error};
    }
    // Copies run on a few threads, taking the files in plan order; this thread tells
    // of the files done every few milliseconds (a signal for each file costs more
    // than a small copy). After a failure no new copy starts.
    std::atomic<size_t> next{0};
    std::atomic<size_t> copied{0};
    std::mutex mutex;
    std::condition_variable ended;
    size_t running = 0;
    std::optional<ChangeFailure> failure;
    const auto copy = [&] {
        for (size_t i; (i = next.fetch_add(1)) < plan_.changes.size();) {
            const FileChange& change = plan_.changes[i];
            platform::ErrorCode error = ERROR_SUCCESS;
            try {  // nothing may leave a thread
                if (change.content == NewContent::Source) {
                    const std::wstring& from = change.fromOverlay ? folders_.sourceOverlay : folders_.source;
                    error = fs_.CopyNewFile(from + change.name, work_ + StagedName(journal_, i));
                } else if (change.content == NewContent::Empty) {
                    error = fs_.WriteNewFile(work_ + StagedName(journal_, i), {});
                }
            } catch (const std::bad_alloc&) {
                error = ERROR_NOT_ENOUGH_MEMORY;
            }
            if (change.content == NewContent::Source) ++copied;
            if (error != ERROR_SUCCESS) {
                const std::lock_guard lock(mutex);
                if (!failure) failure = ChangeFailure{change.name, error};
                next = plan_.changes.size();
            }
        }
        const std::lock_guard lock(mutex);
        if (--running == 0) ended.notify_one();
    };
    std::vector<std::jthread> workers;
    for (unsigned i = 0; fs_.ParallelCopies() > 1 && i < std::min(fs_.ParallelCopies(), 16u); ++i) {
        {
            const std::lock_guard lock(mutex);
            ++running;
        }
        try {
            workers.emplace_back(copy);
        } catch (const std::system_error&) {
            const std::lock_guard lock(mutex);
            --running;
            break;  // fewer threads, or none: the copies still get done
        }
    }
    size_t told = 0;
    const auto tell = [&] {
        for (const size_t now = copied; told < now; ++told) {
            if (fileDone) fileDone();
        }
    };
    if (workers.empty()) {
        running = 1;
        copy();  // in order, on this thread, as a replayed run needs
        tell();
        return failure;
    }
    std::unique_lock lock(mutex);
    while (!ended.wait_for(lock, std::chrono::milliseconds(15), [&] { return running == 0; })) {
        lock.unlock();
        tell();
        lock.lock();
    }
    lock.unlock();
    tell();
    return failure;
}

std::optional<ChangeFailure> StagedChange::WriteJournal() {
    // Written and flushed under another name, then renamed: a journal under its own
    // name is always whole.
    const std::wstring draft = work_ + std::wstring(kJournalDraftName);
    platform::ErrorCode error = fs_.WriteNewFile(draft, JournalBytes(journal_));
    if (error == ERROR_SUCCESS) error = fs_.Move(draft, work_ + std::wstring(kJournalName));
    if (error != ERROR_SUCCESS) return ChangeFailure{L"", error};
    return std::nullopt;
}

std::optional<ChangeFailure> StagedChange::Commit() {
    platform::ErrorCode error = ERROR_SUCCESS;
    std::optional<ChangeFailure> failure;
    for (const std::wstring& folder : plan_.foldersToCreate) {
        if ((error = fs_.CreateFolder(folders_.destination + folder)) != ERROR_SUCCESS) {
            failure = ChangeFailure{folder, error};
            break;
        }
    }
    std::vector<bool> swapped(journal_.wholeFolders.size(), false);
    for (size_t w = 0; !failure && w < swapped.size(); ++w) {
        const SwapResult result = SwapFolder(w);
        swapped[w] = result.swapped;
        if (result.error) failure = ChangeFailure{journal_.wholeFolders[w], result.error};
    }
    for (size_t i = 0; !failure && i < plan_.changes.size(); ++i) {
        const FileChange& change = plan_.changes[i];
        const std::wstring target = folders_.destination + change.name;
        const int whole = WholeFolderOf(journal_, i);
        const bool moved = whole >= 0 && swapped[static_cast<size_t>(whole)];
        error = ERROR_SUCCESS;
        if (change.replacesExisting && !moved) error = fs_.Move(target, work_ + SetAsideName(i));
        // The game would go on reading its own copy in place of the new file.
        if (!error && change.replacesOverlay)
            error = fs_.Move(folders_.destinationOverlay + change.name, work_ + OverlayAsideName(i));
        if (!error && change.content != NewContent::None && !moved)
            error = fs_.Move(work_ + StagedName(journal_, i), target);
        if (error) failure = ChangeFailure{change.name, error};
    }
    if (!failure) {
        error = fs_.WriteNewFile(work_ + std::wstring(kDoneName), {});
        if (error == ERROR_SUCCESS) return std::nullopt;
        failure = ChangeFailure{L"", error};
    }
    undone_ = RollBack(folders_.destination, folders_.destinationOverlay, work_, journal_, fs_) == ERROR_SUCCESS;
    return failure;
}

StagedChange::SwapResult StagedChange::SwapFolder(size_t index) {
    const std::wstring& name = journal_.wholeFolders[index];
    const std::wstring folder = folders_.destination + name;
    const std::wstring old = work_ + OldFolderName(name);
    // A folder with a file held open inside cannot be renamed on Windows: its files
    // are then moved one by one.
    if (fs_.Move(folder, old) != ERROR_SUCCESS) return {};
    // A file that came after the folder was listed is not the plan's to remove: put
    // the folder back and go file by file, which leaves it where it is.
    std::unordered_set<std::wstring> planned;
    for (size_t i = 0; i < plan_.changes.size(); ++i) {
        if (plan_.changes[i].replacesExisting && WholeFolderOf(journal_, i) == static_cast<int>(index))
            planned.insert(NameKey(std::wstring_view(plan_.changes[i].name).substr(name.size() + 1)));
    }
    const platform::FolderListing listing = fs_.List(old);
    const bool onlyPlanned = listing.error == ERROR_SUCCESS && listing.entries.size() == planned.size() &&
                             std::all_of(listing.entries.begin(), listing.entries.end(), [&](const auto& entry) {
                                 return planned.contains(NameKey(entry.name));
                             });
    if (!onlyPlanned) return {false, fs_.Move(old, folder)};
    return {true, fs_.Move(work_ + NewFolderName(name), folder)};
}

bool StagedChange::Finish() {
    if (work_.empty()) return true;
    // After a failed undo the journal must stay for the next run.
    if (!undone_) return false;
    return RemoveWorkFolder(work_, fs_);
}

Recovery RecoverFolder(const std::wstring& folder, const std::wstring& overlay, platform::FileSystem& fs) {
    Recovery recovery;
    const auto pending = [&recovery](platform::ErrorCode error) {
        if (recovery.pending == ERROR_SUCCESS) recovery.pending = error;
    };
    const platform::FolderListing listing = fs.List(folder);
    // Without a listing, a change left in the folder cannot be seen: start nothing on top.
    if (listing.error != ERROR_SUCCESS && listing.error != ERROR_PATH_NOT_FOUND) pending(listing.error);
    for (const platform::FolderEntry& entry : listing.entries) {
        if (!IsFolder(entry.attributes) || !IsWorkFolderName(entry.name)) continue;
        if (IsLink(entry.attributes)) {
            (void)fs.RemoveFolder(folder + entry.name);  // the link itself, never what it points to
            continue;
        }
        const std::wstring work = folder + entry.name + L"\\";
        const platform::BytesRead read = fs.Read(work + std::wstring(kJournalName));
        if (read.error == ERROR_FILE_NOT_FOUND || read.error == ERROR_PATH_NOT_FOUND) {
            // Staging or discarded: the folder itself was not changed.
            if (fs.Exists(work + std::wstring(kJournalDraftName)) ||
                (!fs.Exists(work + std::wstring(kDiscardedName)) && HoldsFiles(work, fs)))
                recovery.undone = true;
            (void)RemoveWorkFolder(work, fs);  // what cannot go yet, the next run removes
            continue;
        }
        if (read.error != ERROR_SUCCESS) {
            pending(read.error);  // without its journal nothing in it may go: it may hold old files
            continue;
        }
        const std::optional<Journal> journal = ParseJournal(read.bytes);
        if (!journal || !Honourable(folder, overlay, work, *journal, fs)) {
            if (recovery.unreadableWork.empty()) recovery.unreadableWork = work;
            continue;
        }
        if (!fs.Exists(work + std::wstring(kDoneName))) {
            if (const platform::ErrorCode error = RollBack(folder, overlay, work, *journal, fs)) {
                pending(error);
                continue;  // the journal stays for the next run
            }
            recovery.undone = true;
            // Every original the change had is back, unless something took it meanwhile.
            for (const JournalEntry& original : journal->entries) {
                if ((original.hadOld && !fs.Exists(folder + original.name)) ||
                    (original.hadOverlay && !fs.Exists(overlay + original.name)))
                    recovery.notPutBack.push_back(folder + original.name);
            }
        }
        (void)RemoveWorkFolder(work, fs);
    }
    for (const std::wstring_view sub : kDataFolders) {
        const std::wstring in = folder + std::wstring(sub);
        for (const platform::FolderEntry& entry : fs.List(in).entries) {
            if (!IsFolder(entry.attributes) && !IsLink(entry.attributes) &&
                platform::MatchesPattern(entry.name, kOldTemporaryPattern))
                (void)fs.DeleteFile(in + entry.name);  // junk, not part of any change
        }
    }
    return recovery;
}

}  // namespace transfer
