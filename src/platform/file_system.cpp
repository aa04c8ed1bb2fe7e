#include "platform/file_system.h"

#include "platform/unique_handle.h"

namespace platform {

namespace {

constexpr int kHoldRetries = 10;
constexpr DWORD kHoldRetryDelayMs = 100;

// Runs `call` again while its failure looks like a passing hold on `path`.
template <typename Call>
ErrorCode RetryingHolds(const std::wstring& path, Call call) {
    ErrorCode error = call();
    for (int attempt = 1; attempt < kHoldRetries && error != ERROR_SUCCESS && IsPassingHold(error, path); ++attempt) {
        ::Sleep(kHoldRetryDelayMs);
        error = call();
    }
    return error;
}

ErrorCode LastErrorUnless(BOOL succeeded) noexcept { return succeeded ? ERROR_SUCCESS : ::GetLastError(); }

ErrorCode FlushFile(const std::wstring& path) noexcept {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return ::GetLastError();
    return LastErrorUnless(::FlushFileBuffers(file.get()));
}

class RealFileSystem final : public FileSystem {
public:
    explicit RealFileSystem(bool flush) : flush_(flush) {}

    ErrorCode CopyNewFile(const std::wstring& source, const std::wstring& destination) override {
        ErrorCode error = RetryingHolds(source, [&] {
            return LastErrorUnless(::CopyFileW(source.c_str(), destination.c_str(), TRUE));
        });
        if (error == ERROR_SUCCESS) {
            // A copy from read-only media would be read-only, and the next operation could
            // not replace it.
            const DWORD attributes = ::GetFileAttributesW(destination.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
                error = LastErrorUnless(::SetFileAttributesW(destination.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY));
        }
        if (error == ERROR_SUCCESS && flush_) error = FlushFile(destination);
        if (error != ERROR_SUCCESS && error != ERROR_FILE_EXISTS) ::DeleteFileW(destination.c_str());
        return error;
    }

    ErrorCode WriteNewFile(const std::wstring& path, std::string_view bytes) override {
        ErrorCode error = ERROR_SUCCESS;
        {
            UniqueFile file(
                ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) return ::GetLastError();
            DWORD written = 0;
            if (!bytes.empty() &&
                !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
                error = ::GetLastError();
            else if (written != bytes.size())
                error = ERROR_DISK_FULL;  // a full disk can report success with a short count
            if (error == ERROR_SUCCESS && flush_) error = LastErrorUnless(::FlushFileBuffers(file.get()));
        }
        if (error != ERROR_SUCCESS) ::DeleteFileW(path.c_str());
        return error;
    }

    ErrorCode Move(const std::wstring& from, const std::wstring& to) override {
        return RetryingHolds(from, [&] { return LastErrorUnless(::MoveFileExW(from.c_str(), to.c_str(), 0)); });
    }

    ErrorCode DeleteFile(const std::wstring& path) override {
        return RetryingHolds(path, [&] { return LastErrorUnless(::DeleteFileW(path.c_str())); });
    }

    ErrorCode CreateFolder(const std::wstring& path) override {
        return LastErrorUnless(::CreateDirectoryW(path.c_str(), nullptr));
    }

    ErrorCode RemoveFolder(const std::wstring& path) override {
        return RetryingHolds(path, [&] { return LastErrorUnless(::RemoveDirectoryW(path.c_str())); });
    }

private:
    bool flush_;
};

}  // namespace

bool IsPassingHold(ErrorCode error, const std::wstring& path) noexcept {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    // A file whose deletion is pending has no attributes to read; it goes when its holder closes it.
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

FileSystem& SystemFileSystem() {
    static RealFileSystem flushed(true);
    return flushed;
}

FileSystem& UnflushedFileSystem() {
    static RealFileSystem unflushed(false);
    return unflushed;
}

}  // namespace platform
