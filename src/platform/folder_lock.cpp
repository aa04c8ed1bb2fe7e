#include "platform/folder_lock.h"

#include "platform/path_names.h"

namespace platform {

namespace {

std::wstring LockFilePath(const std::wstring& folder) {
    std::wstring path = folder;
    if (!path.empty() && !IsPathSeparator(path.back())) path += L'\\';
    return path + std::wstring(kLockFileName);
}

}  // namespace

FolderLock::FolderLock(const std::wstring& folder) {
    const std::wstring path = LockFilePath(folder);
    // A lock file that its holder is closing is "delete pending" for a moment, and
    // opening it then says access denied, as an unwritable folder does: look again.
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (attempt > 0) ::Sleep(50);
        // No sharing: a second opener fails at once, in any session and over a network.
        file_.reset(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (file_) break;
        error_ = ::GetLastError();
        if (error_ != ERROR_ACCESS_DENIED) return;
    }
    if (!file_) return;
    // Where sharing modes are not seen (a file server that ignores them), the
    // byte-range lock still is.
    OVERLAPPED at{};
    if (!::LockFileEx(file_.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
        const ErrorCode error = ::GetLastError();
        file_.reset();
        error_ = error == ERROR_IO_PENDING ? ERROR_LOCK_VIOLATION : error;
        return;
    }
    // A holder that let go between our open and our lock has deleted the file we hold:
    // a lock on it would keep no one out. That holder was busy a moment ago.
    FILE_STANDARD_INFO standard{};
    if (::GetFileInformationByHandleEx(file_.get(), FileStandardInfo, &standard, sizeof standard) &&
        (standard.DeletePending || standard.NumberOfLinks == 0)) {
        file_.reset();
        error_ = ERROR_LOCK_VIOLATION;
        return;
    }
    error_ = ERROR_SUCCESS;
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
