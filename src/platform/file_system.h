#pragma once
// The file-system calls by which a transfer looks at and changes the folders it
// writes, behind one interface so that tests can make any one of them fail, make a
// file vanish, or stop everything from one call on as a killed process would.
#include "platform/file_services.h"

#include <string>
#include <string_view>

namespace platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Copies a file's content to a new file (which must not exist yet). The copy is
    // writable and neither hidden nor system whatever the source is. It is durable
    // once a later WriteNewFile has returned (on Windows 8 and later its data is
    // written through and that flush is the barrier; elsewhere it is flushed in full).
    [[nodiscard]] virtual ErrorCode CopyNewFile(const std::wstring& source, const std::wstring& destination) = 0;
    // Creates a new file with these bytes, flushed to the disk in full: a barrier for
    // the copies made before it.
    [[nodiscard]] virtual ErrorCode WriteNewFile(const std::wstring& path, std::string_view bytes) = 0;
    // Renames a file or folder on one volume; never replaces an existing name.
    [[nodiscard]] virtual ErrorCode Move(const std::wstring& from, const std::wstring& to) = 0;
    // Deletes a file, or a link to a file as the link itself.
    [[nodiscard]] virtual ErrorCode DeleteFile(const std::wstring& path) = 0;
    [[nodiscard]] virtual ErrorCode CreateFolder(const std::wstring& path) = 0;
    // Removes an empty folder, or a link to a folder as the link itself.
    [[nodiscard]] virtual ErrorCode RemoveFolder(const std::wstring& path) = 0;

    [[nodiscard]] virtual FolderListing List(const std::wstring& folder) { return ListFolder(folder); }
    // INVALID_FILE_ATTRIBUTES when nothing has that name.
    [[nodiscard]] virtual DWORD Attributes(const std::wstring& path) { return FileAttributes(path); }
    [[nodiscard]] virtual std::optional<ULONGLONG> Size(const std::wstring& path) { return FileSize(path); }
    [[nodiscard]] virtual BytesRead Read(const std::wstring& path) { return ReadFileBytes(path); }

    [[nodiscard]] bool Exists(const std::wstring& path) { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

    // How many copies may run at once, each on its own thread; a calling order that
    // tests replay needs one.
    [[nodiscard]] virtual unsigned ParallelCopies() const noexcept { return 1; }
};

// The real one. Moves and deletions retry for about a second while another program
// holds the file for a moment (antivirus, indexer, thumbnails); copies are flushed
// unless `flush` is false (the benchmark measures what flushing costs).
[[nodiscard]] FileSystem& SystemFileSystem();
[[nodiscard]] FileSystem& UnflushedFileSystem();

// True for the errors a passing hold gives: sharing and lock violations, and access
// denied on a file that is not read-only (a pending deletion, or a move over a file
// someone holds).
[[nodiscard]] bool IsPassingHold(ErrorCode error, const std::wstring& path) noexcept;

}  // namespace platform
