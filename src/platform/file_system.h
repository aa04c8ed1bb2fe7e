#pragma once
// The file-system calls by which a transfer changes folders, behind one interface
// so that tests can make any one of them fail, or stop everything from it on as a
// killed process would.
#include "platform/file_services.h"

#include <string>
#include <string_view>

namespace platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Copies a file's content to a new file (which must not exist yet), writable and
    // flushed to the disk, so that it survives a power cut once it is renamed.
    [[nodiscard]] virtual ErrorCode CopyNewFile(const std::wstring& source, const std::wstring& destination) = 0;
    // Creates a new file with these bytes, flushed to the disk.
    [[nodiscard]] virtual ErrorCode WriteNewFile(const std::wstring& path, std::string_view bytes) = 0;
    // Renames a file or folder on one volume; never replaces an existing name.
    [[nodiscard]] virtual ErrorCode Move(const std::wstring& from, const std::wstring& to) = 0;
    [[nodiscard]] virtual ErrorCode DeleteFile(const std::wstring& path) = 0;
    [[nodiscard]] virtual ErrorCode CreateFolder(const std::wstring& path) = 0;
    // Removes an empty folder.
    [[nodiscard]] virtual ErrorCode RemoveFolder(const std::wstring& path) = 0;
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
