#pragma once
// Changes the destination all at once or not at all. Every new file is first copied
// into a work folder inside the destination; only when all copies are there is a
// journal written, the old files moved aside into the work folder and the new ones
// moved into place, all by renames. A failure moves everything back; a run that was
// killed is undone by the next one, which finds the work folder and its journal.
#include "platform/file_system.h"
#include "transfer/transfer_actions.h"

#include <functional>
#include <optional>
#include <string>

namespace transfer {

struct ChangeFailure {
    std::wstring name;  // relative to the folders; "" for the destination folder itself
    platform::ErrorCode error = ERROR_SUCCESS;
};

class StagedChange {
public:
    // `source` and `destination` end in "\"; `plan` outlives this object.
    StagedChange(const std::wstring& source, const std::wstring& destination, const ResolvedTransfer& plan,
                 platform::FileSystem& fileSystem);

    // Creates the work folder; ERROR_ACCESS_DENIED when the destination cannot be written.
    [[nodiscard]] platform::ErrorCode Begin();
    // Copies the new files into the work folder, calling `fileDone` after each.
    [[nodiscard]] std::optional<ChangeFailure> Stage(const std::function<void()>& fileDone);
    // Puts the staged files in place. On failure everything is moved back first.
    [[nodiscard]] std::optional<ChangeFailure> Commit();
    // Removes the work folder; false when something of it had to stay behind (the
    // next run finishes the job).
    bool Finish();
    // False after a failure whose undoing did not complete: the journal stays, and
    // the next run that reads or writes the destination puts it back.
    [[nodiscard]] bool Undone() const noexcept { return undone_; }

private:
    const std::wstring& source_;
    const std::wstring& destination_;
    const ResolvedTransfer& plan_;
    platform::FileSystem& fs_;
    std::wstring work_;  // the work folder, ending in "\"
    bool undone_ = true;
};

struct Recovery {
    bool undone = false;    // an interrupted transfer was found and put back
    // Why an interrupted change could not be put back yet; its journal stays.
    platform::ErrorCode pending = ERROR_SUCCESS;
};

// Puts a folder back as it was before a transfer that was killed while it changed
// the folder, or finishes its clean-up when it had completed; removes left-over
// temporary files. Call with the folder's lock held.
Recovery RecoverFolder(const std::wstring& folder, platform::FileSystem& fileSystem);

}  // namespace transfer
