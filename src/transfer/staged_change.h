#pragma once
// Changes a folder all at once or not at all. A change goes through these states,
// each told by what its work folder ("~tvwork-…", inside the folder) holds:
//   staging     no journal: new files are being copied into the work folder; the
//               folder itself is as before. A kill here leaves only the work folder.
//   committing  a journal: old files are moved aside into the work folder and new
//               ones moved into place, all by renames (a data folder whose every file
//               changes, by two renames of the folder). A kill here is undone by the
//               next run, which follows the journal.
//   done        a journal and a "done" mark: every change made; what is left of the
//               work folder is only to be removed.
//   discarded   the journal renamed "discarded": the work folder is being removed.
// A failure while committing moves everything back at once.
#include "platform/file_system.h"
#include "transfer/journal.h"
#include "transfer/transfer_actions.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace transfer {

// What a change leaves in a folder when it is cut off: its work folder,
// "~tvwork-<process>-<tick>-<counter>" (nothing else so named is ours), and the
// temporary files of earlier versions, left beside the files they replaced.
inline constexpr std::wstring_view kWorkFolderPrefix = L"~tvwork-";
inline constexpr std::wstring_view kOldTemporaryPattern = L"~tvcopy*.tmp";
[[nodiscard]] bool IsWorkFolderName(std::wstring_view name) noexcept;

struct ChangeFailure {
    std::wstring name;  // relative to the folders; "" for the destination folder itself
    platform::ErrorCode error = ERROR_SUCCESS;
};

// The folders of a change, each ending in "\": an overlay is "" when there is none.
struct ChangeFolders {
    std::wstring source;
    std::wstring sourceOverlay;
    std::wstring destination;
    std::wstring destinationOverlay;
};

class StagedChange {
public:
    // `folders` and `plan` outlive this object.
    StagedChange(const ChangeFolders& folders, const ResolvedTransfer& plan, platform::FileSystem& fileSystem);

    // Creates the work folder.
    [[nodiscard]] platform::ErrorCode Begin();
    // Copies the new files into the work folder, calling `fileDone` after each.
    [[nodiscard]] std::optional<ChangeFailure> Stage(const std::function<void()>& fileDone);
    // Writes the journal: from then on the next run can undo the change. Its flush is
    // also what makes the staged copies durable where they were flushed data-only, so
    // no copy may be made after it.
    [[nodiscard]] std::optional<ChangeFailure> WriteJournal();
    // Puts the staged files in place. On failure everything is moved back first.
    [[nodiscard]] std::optional<ChangeFailure> Commit();
    // Removes the work folder; false when something of it had to stay behind (the
    // next run finishes the job).
    bool Finish();
    // False after a failure whose undoing did not complete: the journal stays, and
    // the next run that writes the destination puts it back.
    [[nodiscard]] bool Undone() const noexcept { return undone_; }

private:
    struct SwapResult {
        bool swapped = false;
        platform::ErrorCode error = ERROR_SUCCESS;
    };
    // Replaces a folder whose every file changes by the staged folder, with two renames.
    SwapResult SwapFolder(size_t index);

    const ChangeFolders& folders_;
    const ResolvedTransfer& plan_;
    platform::FileSystem& fs_;
    std::wstring work_;  // the work folder, ending in "\"
    Journal journal_;    // as WriteJournal writes it, and an undo follows
    bool undone_ = true;
};

struct Recovery {
    bool undone = false;  // an interrupted transfer was found and put back
    // Originals the undone change had moved that are neither in place nor set aside
    // (a scanner's quarantine, another program): not put back.
    std::vector<std::wstring> notPutBack;
    // Why an interrupted change could not be put back yet; its journal stays.
    platform::ErrorCode pending = ERROR_SUCCESS;
    // A work folder whose journal this program cannot honour (another version's,
    // damaged, naming files it would not touch, or beside anything its layout does not
    // put there, a link above all), left exactly as it is.
    std::wstring unreadableWork;
};

// Puts a folder this program writes (and its overlay, "" when none) back as it was
// before a transfer that was killed while it changed them, or finishes its clean-up
// when it had completed; removes left-over temporary files. Call with the folder's
// lock held.
Recovery RecoverFolder(const std::wstring& folder, const std::wstring& overlay, platform::FileSystem& fileSystem);

}  // namespace transfer
