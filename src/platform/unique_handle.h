#pragma once
// One move-only owner for every kind of handle; each kind names its empty value
// and how it is closed.
#include <windows.h>

#include <utility>

namespace platform {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle h) noexcept : handle_(h) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    [[nodiscard]] Handle get() const noexcept { return handle_; }
    [[nodiscard]] bool valid() const noexcept { return handle_ != Traits::Empty(); }
    explicit operator bool() const noexcept { return valid(); }

    Handle release() noexcept { return std::exchange(handle_, Traits::Empty()); }

    // Closing keeps GetLastError() intact, so callers can close and then report.
    void reset(Handle h = Traits::Empty()) noexcept {
        if (handle_ != Traits::Empty()) {
            const DWORD saved = ::GetLastError();
            Traits::Close(handle_);
            ::SetLastError(saved);
        }
        handle_ = h;
    }

private:
    Handle handle_ = Traits::Empty();
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { ::FindClose(h); }
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::CloseHandle(h); }
};

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::FreeLibrary(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;          // CreateFileW
using UniqueFind = UniqueHandle<FindHandleTraits>;          // FindFirstFileW
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;  // threads, events, processes
using UniqueModule = UniqueHandle<ModuleTraits>;              // LoadLibraryW

}  // namespace platform
