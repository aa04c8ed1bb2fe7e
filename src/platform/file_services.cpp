#include "platform/file_services.h"

#include "platform/path_names.h"
#include "platform/unique_handle.h"
#include "platform/wildcard.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <memory>

namespace platform {

namespace {

constexpr DWORD kProtectedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A new, empty file beside `path` whose name nothing else uses: created exclusively,
// so a left-over file of an earlier run or another process is never reused.
ErrorCode CreateTemporaryBeside(const std::wstring& path, std::wstring& temporary, UniqueFile& file) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = std::wstring(FolderPart(path)) + L"~tvcopy" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                    std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter.fetch_add(1)) + L".tmp";
        file.reset(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (file) return ERROR_SUCCESS;
        const ErrorCode error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return error;
    }
    return ERROR_FILE_EXISTS;
}

// Windows refuses to overwrite these; Wine running as root would not, so we check.
ErrorCode CheckReplaceable(const std::wstring& path, bool& exists) noexcept {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists) return ERROR_SUCCESS;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
    if (attributes & kProtectedAttributes) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

void DiscardTemporary(const std::wstring& temporary) noexcept {
    ::SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileW(temporary.c_str());
}

// Moves a finished temporary file over the destination; removes it if that fails.
ErrorCode PutInPlace(const std::wstring& temporary, const std::wstring& destination) noexcept {
    if (::MoveFileExW(temporary.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING)) return ERROR_SUCCESS;
    const ErrorCode error = ::GetLastError();
    DiscardTemporary(temporary);
    return error;
}

std::wstring FindPatternFor(const std::wstring& folder) {
    if (folder.empty()) return L"*";
    return IsPathSeparator(folder.back()) ? folder + L"*" : folder + L"\\*";
}

}  // namespace

bool IsOrdinaryFile(DWORD attributes) noexcept {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

FolderListing ListFolder(const std::wstring& folder) {
    FolderListing listing;
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileExW(FindPatternFor(folder).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                       nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        const ErrorCode error = ::GetLastError();
        // An empty drive root has no "." entry to find; that is an empty folder.
        if (error != ERROR_FILE_NOT_FOUND) listing.error = error;
        return listing;
    }
    do {
        const std::wstring_view name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        listing.entries.push_back(
            {std::wstring(name), data.dwFileAttributes,
             (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (::FindNextFileW(find.get(), &data));
    return listing;
}

FileList ListFiles(const std::wstring& pattern) {
    const std::wstring folder(FolderPart(pattern));
    std::wstring namePattern = pattern.substr(folder.size());
    if (namePattern.empty()) namePattern = L"*";

    FileList result;
    FolderListing listing = ListFolder(folder);
    result.error = listing.error;
    for (FolderEntry& entry : listing.entries) {
        // Matching our own way keeps 8.3 short names from matching ("*.dat" must not find "a.data").
        if (IsOrdinaryFile(entry.attributes) && MatchesPattern(entry.name, namePattern))
            result.names.push_back(std::move(entry.name));
    }
    return result;
}

ErrorCode ReplaceFileContents(const std::wstring& path, std::string_view bytes) {
    bool exists = false;
    if (const ErrorCode refused = CheckReplaceable(path, exists)) return refused;
    std::wstring temporary;
    {
        UniqueFile file;
        if (const ErrorCode error = CreateTemporaryBeside(path, temporary, file)) return error;
        ErrorCode error = ERROR_SUCCESS;
        if (!bytes.empty()) {
            DWORD written = 0;
            if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
                error = ::GetLastError();
            else if (written != bytes.size())
                error = ERROR_DISK_FULL;  // a full disk can report success with a short count
        }
        // Flushed before the rename, so a power cut cannot leave an empty file in its place.
        if (error == ERROR_SUCCESS && !::FlushFileBuffers(file.get())) error = ::GetLastError();
        if (error != ERROR_SUCCESS) {
            file.reset();
            DiscardTemporary(temporary);
            return error;
        }
    }
    return PutInPlace(temporary, path);
}

BytesRead ReadFileBytes(const std::wstring& path) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    BytesRead result;
    UniqueFile file;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (attempt > 0) ::Sleep(100);
        file.reset(::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (file) break;
        result.error = ::GetLastError();
        if (result.error != ERROR_SHARING_VIOLATION && result.error != ERROR_LOCK_VIOLATION) return result;
    }
    if (!file) return result;
    result.error = ERROR_SUCCESS;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size)) {
        result.error = ::GetLastError();
        return result;
    }
    // The files we read are small; anything huge is not one of them.
    if (size.QuadPart > 64LL * 1024 * 1024) {
        result.error = ERROR_FILE_TOO_LARGE;
        return result;
    }
    result.bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t filled = 0;
    while (filled < result.bytes.size()) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), result.bytes.data() + filled, static_cast<DWORD>(result.bytes.size() - filled),
                        &got, nullptr)) {
            result.error = ::GetLastError();
            return result;
        }
        if (got == 0) break;
        filled += got;
    }
    result.bytes.resize(filled);
    return result;
}

ErrorCode MakeFolder(const std::wstring& path) {
    return ::CreateDirectoryW(path.c_str(), nullptr) ? ERROR_SUCCESS : ::GetLastError();
}

std::wstring CurrentFolder() {
    std::wstring folder(MAX_PATH, L'\0');
    DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    if (length >= folder.size()) {
        folder.resize(length);
        length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    }
    folder.resize(length);
    return WithoutTrailingSeparators(std::move(folder));
}

DWORD FileAttributes(const std::wstring& path) noexcept { return ::GetFileAttributesW(path.c_str()); }

std::optional<ULONGLONG> FileSize(const std::wstring& path) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

ErrorCode DeleteAccessError(const std::wstring& path, DirectReach& reach) {
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    UniqueFile file(::CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return ::GetLastError();
    // The basic information only: the full one asks for the volume's serial number too,
    // which under Wine is a round trip to its mount manager for every file.
    FILE_BASIC_INFO info{};
    if (::GetFileInformationByHandleEx(file.get(), FileBasicInfo, &info, sizeof info) &&
        (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return kLinkInTheWay;
    return reach.Reached(file.get(), path) ? ERROR_SUCCESS : kLinkInTheWay;
}

std::wstring FullPathOf(const std::wstring& path) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    full.resize(length);
    return WithoutTrailingSeparators(std::move(full));
}

bool IsInsideFolder(const std::wstring& folder, const std::wstring& path) {
    const std::wstring prefix = AsFolder(FullPathOf(folder));
    const std::wstring full = FullPathOf(path);
    return full.size() > prefix.size() && SameName(std::wstring_view(full).substr(0, prefix.size()), prefix);
}

namespace {

std::optional<std::wstring> FinalPathOf(HANDLE file) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(file, path.data(), static_cast<DWORD>(path.size()), FILE_NAME_NORMALIZED);
        if (length == 0) return std::nullopt;
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(length + 1);
    }
    return std::nullopt;
}

// The path of an open file from its volume's root ("\\Games\\Torvanel\\a.dat"): where
// a link led, not the name it was opened by. Cheaper than the full final path, which
// asks for the volume's name too.
std::optional<std::wstring> PathOnVolumeOf(HANDLE file) {
    std::vector<char> buffer(sizeof(FILE_NAME_INFO) + 1024 * sizeof(wchar_t));
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* info = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
        if (::GetFileInformationByHandleEx(file, FileNameInfo, info, static_cast<DWORD>(buffer.size())))
            return std::wstring(info->FileName, info->FileNameLength / sizeof(wchar_t));
        if (::GetLastError() != ERROR_MORE_DATA) return std::nullopt;
        buffer.resize(sizeof(FILE_NAME_INFO) + info->FileNameLength);
    }
    return std::nullopt;
}

}  // namespace

bool DirectReach::Reached(HANDLE file, const std::wstring& path) {
    const std::wstring full = FullPathOf(path);
    const std::wstring folderPart(FolderPart(full));
    auto known = std::find_if(folders_.begin(), folders_.end(), [&](const auto& f) { return f.first == folderPart; });
    if (known == folders_.end()) {
        const UniqueFile folder(::CreateFileW(folderPart.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        folders_.emplace_back(folderPart, folder ? PathOnVolumeOf(folder.get()) : std::nullopt);
        known = folders_.end() - 1;
    }
    const std::optional<std::wstring> reached = PathOnVolumeOf(file);
    if (!reached || !known->second) return true;
    return SameName(*reached, InFolder(*known->second, std::wstring_view(full).substr(folderPart.size())));
}

std::wstring ResolvedFolder(const std::wstring& folder) {
    const DWORD attributes = FileAttributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return folder;
    const UniqueFile opened(::CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const std::optional<std::wstring> final = opened ? FinalPathOf(opened.get()) : std::nullopt;
    if (!final) return folder;
    constexpr std::wstring_view kShare = L"\\\\?\\UNC\\", kLocal = L"\\\\?\\";
    if (final->starts_with(kShare)) return WithoutTrailingSeparators(L"\\\\" + final->substr(kShare.size()));
    if (final->starts_with(kLocal)) return WithoutTrailingSeparators(final->substr(kLocal.size()));
    return WithoutTrailingSeparators(*final);
}

bool IsBeingDeleted(HANDLE file) noexcept {
    FILE_STANDARD_INFO standard{};
    return ::GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) &&
           (standard.DeletePending || standard.NumberOfLinks == 0);
}

std::optional<FileIdentity> IdentityOf(const std::wstring& path) noexcept {
    UniqueFile file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    if (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<ULONGLONG> FreeBytes(const std::wstring& folder) noexcept {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}

std::optional<ULONGLONG> ClusterBytes(const std::wstring& folder) {
    std::wstring root(FullPathOf(folder).size() + 2, L'\0');
    if (!::GetVolumePathNameW(folder.c_str(), root.data(), static_cast<DWORD>(root.size()))) return std::nullopt;
    root.resize(std::wcslen(root.c_str()));
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!::GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return std::nullopt;
    return static_cast<ULONGLONG>(sectorsPerCluster) * bytesPerSector;
}

bool IsSameFolder(const std::wstring& a, const std::wstring& b) {
    const std::optional<FileIdentity> idA = IdentityOf(a);
    const std::optional<FileIdentity> idB = IdentityOf(b);
    if (idA && idB) return idA->volume == idB->volume && idA->index == idB->index;
    return SameName(FullPathOf(a), FullPathOf(b));
}

std::wstring ErrorText(ErrorCode error) {
    struct LocalDeleter {
        void operator()(wchar_t* p) const noexcept { ::LocalFree(p); }
    };
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, error, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::unique_ptr<wchar_t, LocalDeleter> owner(buffer);
    if (length == 0 || buffer == nullptr) return L"Windowsのエラーが起きました（番号 " + std::to_wstring(error) + L"）。";
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text;
}

}  // namespace platform
