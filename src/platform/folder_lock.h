#pragma once
// A lock on one folder among every process that can reach it: other sessions and
// other PCs on a shared folder included. A lock file inside the folder, opened
// without sharing and locked with a byte-range lock, both of which the system
// releases when the owner dies. The holder removes the file when it lets go.
#include "platform/file_services.h"
#include "platform/unique_handle.h"

#include <string>

namespace platform {

class FolderLock {
public:
    // Tries at once, without waiting for a holder. `folder` may end in "\".
    explicit FolderLock(const std::wstring& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    [[nodiscard]] bool Held() const noexcept { return error_ == ERROR_SUCCESS; }
    // Why it is not held: ERROR_SHARING_VIOLATION when another run holds it,
    // ERROR_ACCESS_DENIED when the folder cannot be written, or what else the system said.
    [[nodiscard]] ErrorCode Error() const noexcept { return error_; }
    // The lock's name is taken by a folder or a link, which no run may open as its lock
    // (nor delete): the player has to move it away.
    [[nodiscard]] bool NameTaken() const noexcept { return nameTaken_; }
    [[nodiscard]] const std::wstring& Path() const noexcept { return path_; }

private:
    void Refuse(ErrorCode error, bool nameTaken);

    UniqueFile file_;
    ErrorCode error_ = ERROR_SUCCESS;
    bool nameTaken_ = false;
    std::wstring path_;
};

// The lock file's name inside a locked folder.
inline constexpr std::wstring_view kLockFileName = L"~tvlock";

}  // namespace platform
