#include "transfer/staged_change.h"

#include "platform/wildcard.h"
#include "transfer/journal.h"

#include <atomic>

namespace transfer {

namespace {

constexpr std::wstring_view kWorkFolderPrefix = L"~tvwork-";
// Temporary files of earlier versions, left beside the files they replaced.
constexpr std::wstring_view kOldTemporaryPattern = L"~tvcopy*.tmp";
constexpr std::wstring_view kDataFolders[] = {L"", L"nationDATA\\", L"pastDATA\\"};

bool Exists(const std::wstring& path) noexcept { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

Journal JournalOf(const ResolvedTransfer& plan) {
    Journal journal;
    journal.createdFolders = plan.foldersToCreate;
    for (const FileChange& change : plan.changes)
        journal.entries.push_back({change.name, change.replacesExisting, change.content != NewContent::None});
    return journal;
}

// Moves back what a change had done, newest first. Each step looks at what is on
// disk, so it can run again after it was itself cut off. Returns the first error.
platform::ErrorCode RollBack(const std::wstring& folder, const std::wstring& work, const Journal& journal,
                             platform::FileSystem& fs) {
    platform::ErrorCode first = ERROR_SUCCESS;
    const auto note = [&first](platform::ErrorCode error) {
        if (first == ERROR_SUCCESS) first = error;
        return error;
    };
    for (size_t i = journal.entries.size(); i-- > 0;) {
        const JournalEntry& entry = journal.entries[i];
        const std::wstring target = folder + entry.name;
        const std::wstring staged = work + StagedName(i);
        const std::wstring setAside = work + SetAsideName(i);
        if (entry.hasNew && !Exists(staged) && Exists(target) && note(fs.Move(target, staged)) != ERROR_SUCCESS)
            continue;
        if (entry.hadOld && Exists(setAside)) note(fs.Move(setAside, target));
    }
    for (size_t i = journal.createdFolders.size(); i-- > 0;) {
        const std::wstring created = folder + journal.createdFolders[i];
        // A file someone else put there since keeps the folder; it is not ours to delete.
        const platform::ErrorCode error = Exists(created) ? fs.RemoveFolder(created) : ERROR_SUCCESS;
        if (error != ERROR_DIR_NOT_EMPTY) note(error);
    }
    return first;
}

bool HoldsFiles(const std::wstring& folder) {
    for (const platform::FolderEntry& entry : platform::ListFolder(folder).entries) {
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || HoldsFiles(folder + entry.name + L"\\")) return true;
    }
    return false;
}

// Removes everything in `folder` (ending in "\\") and its subfolders but `kept`.
bool RemoveFilesIn(const std::wstring& folder, platform::FileSystem& fs, std::wstring_view kept = {}) {
    bool removed = true;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder).entries) {
        const std::wstring path = folder + entry.name;
        if (entry.name == kept) continue;
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            removed = RemoveFilesIn(path + L"\\", fs) && fs.RemoveFolder(path) == ERROR_SUCCESS && removed;
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
    if (Exists(journal) && fs.Move(journal, discarded) != ERROR_SUCCESS) return false;
    bool removed = RemoveFilesIn(work, fs, kDiscardedName);
    if (removed && Exists(discarded)) removed = fs.DeleteFile(discarded) == ERROR_SUCCESS;
    return removed && fs.RemoveFolder(work.substr(0, work.size() - 1)) == ERROR_SUCCESS;
}

}  // namespace

StagedChange::StagedChange(const std::wstring& source, const std::wstring& destination, const ResolvedTransfer& plan,
                           platform::FileSystem& fileSystem)
    : source_(source), destination_(destination), plan_(plan), fs_(fileSystem) {}

platform::ErrorCode StagedChange::Begin() {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder = destination_ + std::wstring(kWorkFolderPrefix) +
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
    for (size_t i = 0; i < plan_.changes.size(); ++i) {
        const FileChange& change = plan_.changes[i];
        platform::ErrorCode error = ERROR_SUCCESS;
        if (change.content == NewContent::Source) {
            error = fs_.CopyNewFile(source_ + change.name, work_ + StagedName(i));
            if (fileDone) fileDone();
        } else if (change.content == NewContent::Empty) {
            error = fs_.WriteNewFile(work_ + StagedName(i), {});
        }
        if (error != ERROR_SUCCESS) return ChangeFailure{change.name, error};
    }
    return std::nullopt;
}

std::optional<ChangeFailure> StagedChange::Commit() {
    const Journal journal = JournalOf(plan_);
    // Written and flushed before the first change: from here on the next run can undo it.
    if (const platform::ErrorCode error = fs_.WriteNewFile(work_ + std::wstring(kJournalName), JournalBytes(journal)))
        return ChangeFailure{L"", error};

    std::optional<ChangeFailure> failure;
    for (const std::wstring& folder : plan_.foldersToCreate) {
        if (const platform::ErrorCode error = fs_.CreateFolder(destination_ + folder)) {
            failure = ChangeFailure{folder, error};
            break;
        }
    }
    for (size_t i = 0; !failure && i < plan_.changes.size(); ++i) {
        const FileChange& change = plan_.changes[i];
        const std::wstring target = destination_ + change.name;
        platform::ErrorCode error = ERROR_SUCCESS;
        if (change.replacesExisting) error = fs_.Move(target, work_ + SetAsideName(i));
        if (!error && change.content != NewContent::None) error = fs_.Move(work_ + StagedName(i), target);
        if (error) failure = ChangeFailure{change.name, error};
    }
    if (!failure) {
        const platform::ErrorCode error = fs_.WriteNewFile(work_ + std::wstring(kDoneName), {});
        if (error == ERROR_SUCCESS) return std::nullopt;
        failure = ChangeFailure{L"", error};
    }
    undone_ = RollBack(destination_, work_, journal, fs_) == ERROR_SUCCESS;
    return failure;
}

bool StagedChange::Finish() {
    if (work_.empty()) return true;
    // After a failed undo the journal must stay for the next run.
    if (!undone_) return false;
    return RemoveWorkFolder(work_, fs_);
}

Recovery RecoverFolder(const std::wstring& folder, platform::FileSystem& fs) {
    Recovery recovery;
    for (const platform::FolderEntry& entry : platform::ListFolder(folder).entries) {
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) || !entry.name.starts_with(kWorkFolderPrefix)) continue;
        const std::wstring work = folder + entry.name + L"\\";
        const platform::BytesRead read = platform::ReadFileBytes(work + std::wstring(kJournalName));
        if (read.error != ERROR_SUCCESS && read.error != ERROR_FILE_NOT_FOUND) {
            // Without its journal nothing in the work folder may go: it may hold old files.
            if (recovery.pending == ERROR_SUCCESS) recovery.pending = read.error;
            continue;
        }
        // A torn journal was never flushed whole, so no change had begun.
        const std::optional<Journal> journal = ParseJournal(read.bytes);
        const bool completed = journal && Exists(work + std::wstring(kDoneName));
        const bool discarded = !journal && Exists(work + std::wstring(kDiscardedName));
        // A work folder without files held nothing yet, or nothing any more.
        const bool empty = !HoldsFiles(work);
        const platform::ErrorCode error = journal && !completed ? RollBack(folder, work, *journal, fs) : ERROR_SUCCESS;
        if (error != ERROR_SUCCESS) {
            if (recovery.pending == ERROR_SUCCESS) recovery.pending = error;
            continue;  // the journal stays for the next run
        }
        if (!completed && !discarded && !empty) recovery.undone = true;
        // What is left of a work folder that cannot go yet is removed by the next run.
        (void)RemoveWorkFolder(work, fs);
    }
    for (const std::wstring_view sub : kDataFolders) {
        for (const std::wstring& name : platform::ListFiles(folder + std::wstring(sub) + std::wstring(kOldTemporaryPattern)).names)
            ::DeleteFileW((folder + std::wstring(sub) + name).c_str());  // junk, not part of any change
    }
    return recovery;
}

}  // namespace transfer
