#include "platform/folder_lock.h"

#include "platform/file_services.h"

#include <cwctype>

namespace platform {

namespace {

std::wstring LockName(const std::wstring& folder) {
    std::wstring name = L"Local\\TorvanelInstaller.folder.";
    if (const std::optional<FileIdentity> id = IdentityOf(folder)) {
        name += std::to_wstring(id->volume) + L"." + std::to_wstring(id->index);
        return name;
    }
    // A folder without an identity yet (missing): its full path, which a mutex name
    // may hold but for backslashes.
    for (wchar_t c : FullPathOf(folder)) name += c == L'\\' ? L'/' : static_cast<wchar_t>(std::towupper(c));
    return name;
}

}  // namespace

FolderLock::FolderLock(const std::wstring& folder) {
    mutex_.reset(::CreateMutexW(nullptr, FALSE, LockName(folder).c_str()));
    if (!mutex_) return;
    const DWORD waited = ::WaitForSingleObject(mutex_.get(), 0);
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

FolderLock::~FolderLock() {
    if (held_) ::ReleaseMutex(mutex_.get());
}

}  // namespace platform
