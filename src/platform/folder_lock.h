#pragma once
// A lock on one folder among every process of this program: a named mutex named
// after the folder's identity on its volume, so that every spelling of the folder
// meets the same lock, and the system releases it when its owner dies.
#include "platform/unique_handle.h"

#include <string>

namespace platform {

class FolderLock {
public:
    // Tries once, without waiting. An abandoned lock (its owner was killed) is taken.
    explicit FolderLock(const std::wstring& folder);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    [[nodiscard]] bool Held() const noexcept { return held_; }

private:
    UniqueKernelHandle mutex_;
    bool held_ = false;
};

}  // namespace platform
