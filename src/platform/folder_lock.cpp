#include "platform/folder_lock.h"

#include "platform/path_names.h"

namespace platform {

namespace {

// Something that is not a lock file of ours stands under the lock's name: a folder,
// or a link, which would lead our handle (and its deletion) somewhere else.
bool IsFolderOrLink(DWORD attributes) noexcept {
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0;
}

}  // namespace

FolderLock::FolderLock(const std::wstring& folder) {
    path_ = InFolder(folder, kLockFileName);
    const std::wstring& path = path_;
    // A lock file that its holder is closing is "delete pending" for a moment, and
    // opening it then says access denied, as an unwritable folder does: look again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (attempt > 0) ::Sleep(50);
        if (IsFolderOrLink(FileAttributes(path))) {
            Refuse(ERROR_ALREADY_EXISTS, true);
            return;
        }
        // No sharing: a second opener fails at once, in any session and over a network.
        // The file is opened as itself, never as what a link under its name leads to.
        constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE | DELETE;
        constexpr DWORD kFlags = FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT;
        file_.reset(::CreateFileW(path.c_str(), kAccess, 0, nullptr, CREATE_NEW, kFlags, nullptr));
        if (!file_ && (::GetLastError() == ERROR_FILE_EXISTS || ::GetLastError() == ERROR_ALREADY_EXISTS)) {
            file_.reset(::CreateFileW(path.c_str(), kAccess, 0, nullptr, OPEN_EXISTING, kFlags, nullptr));
            // The name exists but no file opens under it: a link leading nowhere, or a
            // holder that deleted it just now.
            if (!file_ && ::GetLastError() == ERROR_FILE_NOT_FOUND) {
                error_ = ERROR_FILE_NOT_FOUND;
                continue;
            }
        }
        if (file_) break;
        error_ = ::GetLastError();
        if (error_ != ERROR_ACCESS_DENIED) return;
    }
    if (!file_) {
        if (error_ == ERROR_FILE_NOT_FOUND) Refuse(ERROR_ALREADY_EXISTS, true);
        return;
    }
    FILE_BASIC_INFO info{};
    if ((::GetFileInformationByHandleEx(file_.get(), FileBasicInfo, &info, sizeof info) &&
         IsFolderOrLink(info.FileAttributes)) ||
        !DirectReach().Reached(file_.get(), path)) {
        Refuse(ERROR_ALREADY_EXISTS, true);
        return;
    }
    // Where sharing modes are not seen (a file server that ignores them), the
    // byte-range lock still is.
    OVERLAPPED at{};
    if (!::LockFileEx(file_.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const ErrorCode error = ::GetLastError();
        Refuse(error == ERROR_IO_PENDING ? ERROR_LOCK_VIOLATION : error, false);
        return;
    }
    // A holder that let go between our open and our lock has deleted the file we hold:
    // a lock on it would keep no one out. That holder was busy a moment ago.
    if (IsBeingDeleted(file_.get())) {
        Refuse(ERROR_LOCK_VIOLATION, false);
        return;
    }
    error_ = ERROR_SUCCESS;
}

void FolderLock::Refuse(ErrorCode error, bool nameTaken) {
    file_.reset();  // never marked for deletion: what stands there is not ours
    error_ = error;
    nameTaken_ = nameTaken;
}

FolderLock::~FolderLock() {
    if (!Held()) return;
    // Only the holder removes the file, never a run that merely opened it; one a
    // killed holder left is simply taken over by the next.
    FILE_DISPOSITION_INFO dispose{TRUE};
    ::SetFileInformationByHandle(file_.get(), FileDispositionInfo, &dispose, sizeof dispose);
    OVERLAPPED at{};
    ::UnlockFileEx(file_.get(), 0, 1, 0, &at);
}

}  // namespace platform
