#include "folder_tree.h"

#include "platform/unique_handle.h"

#include <algorithm>
#include <stdexcept>

namespace bench {

namespace {

using platform::UniqueFile;
using platform::UniqueFind;

bool IsDots(const wchar_t* name) noexcept {
    return std::wstring_view(name) == L"." || std::wstring_view(name) == L"..";
}

[[noreturn]] void Fail(const std::wstring& what) {
    throw std::runtime_error(ErrorMessage(what, ::GetLastError()));
}

// Calls `visit(relative, data)` for each entry of `root\relative`, folders included.
template <typename Visit>
void ForEachEntry(const std::wstring& root, const std::wstring& relative, Visit&& visit) {
    const std::wstring folder = relative.empty() ? root : root + L"\\" + relative;
    WIN32_FIND_DATAW data;
    UniqueFind find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) {
        if (::GetLastError() == ERROR_FILE_NOT_FOUND) return;
        Fail(L"listing " + folder);
    }
    do {
        if (IsDots(data.cFileName)) continue;
        visit(relative.empty() ? std::wstring(data.cFileName) : relative + L"\\" + data.cFileName, data);
    } while (::FindNextFileW(find.get(), &data));
}

void ListInto(const std::wstring& root, const std::wstring& relative, std::vector<TreeFile>& files) {
    ForEachEntry(root, relative, [&](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ListInto(root, entry, files);
        } else {
            files.push_back({entry, (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
        }
    });
}

void FlushToDisk(const std::wstring& path) {
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !::FlushFileBuffers(file.get())) Fail(L"flushing " + path);
}

bool StartsWithFolder(const std::wstring& relative, std::wstring_view folder) {
    return relative.size() > folder.size() && relative[folder.size()] == L'\\' &&
           ::CompareStringOrdinal(relative.c_str(), static_cast<int>(folder.size()), folder.data(),
                                  static_cast<int>(folder.size()), TRUE) == CSTR_EQUAL;
}

// True when both files exist and hold the same bytes.
bool SameContent(const std::wstring& a, const std::wstring& b) {
    const auto open = [](const std::wstring& path) {
        return UniqueFile(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    };
    const UniqueFile first = open(a), second = open(b);
    std::vector<char> bufferA(1 << 20), bufferB(1 << 20);
    DWORD readA = 0, readB = 0;
    do {
        if (!first || !second || !::ReadFile(first.get(), bufferA.data(), 1 << 20, &readA, nullptr) ||
            !::ReadFile(second.get(), bufferB.data(), 1 << 20, &readB, nullptr) || readA != readB ||
            !std::equal(bufferA.begin(), bufferA.begin() + readA, bufferB.begin()))
            return false;
    } while (readA > 0);
    return true;
}

// Data folders first, then the package's own files, then other subfolders: roughly
// the order in which an Install writes them.
int CopyRank(const std::wstring& relative) {
    if (StartsWithFolder(relative, L"nationDATA")) return 0;
    if (StartsWithFolder(relative, L"pastDATA")) return 1;
    return relative.find(L'\\') == std::wstring::npos ? 2 : 3;
}

}  // namespace

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int length =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), length, nullptr,
                          nullptr);
    return result;
}

std::string ErrorMessage(const std::wstring& what, DWORD error) {
    return Utf8(what) + ": Windows error " + std::to_string(error);
}

std::vector<TreeFile> ListTree(const std::wstring& root) {
    std::vector<TreeFile> files;
    ListInto(root, L"", files);
    return files;
}

void RemoveTree(const std::wstring& root) {
    if (::GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    ForEachEntry(root, L"", [&](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        const std::wstring path = root + L"\\" + entry;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
        } else {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!::DeleteFileW(path.c_str())) Fail(L"deleting " + path);
        }
    });
    if (!::RemoveDirectoryW(root.c_str())) Fail(L"removing " + root);
}

void CopyTree(const std::wstring& from, const std::wstring& to, const std::vector<std::wstring>& skipFolders,
              bool flush) {
    if (!::CreateDirectoryW(to.c_str(), nullptr)) Fail(L"creating " + to);
    ForEachEntry(from, L"", [&](const std::wstring& entry, const WIN32_FIND_DATAW& data) {
        const std::wstring source = from + L"\\" + entry;
        const std::wstring destination = to + L"\\" + entry;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            const bool skipped = std::any_of(skipFolders.begin(), skipFolders.end(), [&](const std::wstring& skip) {
                return ::CompareStringOrdinal(skip.c_str(), -1, entry.c_str(), -1, TRUE) == CSTR_EQUAL;
            });
            if (!skipped) CopyTree(source, destination, {}, flush);
        } else {
            if (!::CopyFileW(source.c_str(), destination.c_str(), TRUE)) Fail(L"copying " + source);
            if (flush) FlushToDisk(destination);
        }
    });
}

ULONGLONG FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

void WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        Fail(L"writing " + path);
}

std::vector<TreeFile> CarriedFiles(const std::wstring& source, const std::wstring& destination) {
    std::vector<TreeFile> carried;
    for (TreeFile& file : ListTree(source)) {
        if (SameContent(source + L"\\" + file.relative, destination + L"\\" + file.relative))
            carried.push_back(std::move(file));
    }
    std::stable_sort(carried.begin(), carried.end(),
                     [](const TreeFile& a, const TreeFile& b) { return CopyRank(a.relative) < CopyRank(b.relative); });
    return carried;
}

}  // namespace bench
