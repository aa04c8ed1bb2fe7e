#include "support/temp_folder.h"

#include "platform/file_services.h"

#include <atomic>
#include <filesystem>

namespace testing_support {

namespace {

void ReadInto(const std::wstring& folder, const std::wstring& prefix, std::wstring_view skipped, bool everything,
              Tree& tree) {
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
        const std::wstring name = prefix + entry.path().filename().wstring();
        if (name == skipped) continue;
        if (entry.is_directory()) {
            if (everything) tree[name + L"\\"] = "";
            ReadInto(entry.path().wstring(), name + L"\\", skipped, everything, tree);
            continue;
        }
        std::string& content = tree[name];
        try {
            content = ReadBytes(entry.path().wstring());
        } catch (const std::exception&) {
            content = "<held open>";
        }
        const DWORD kept = ::GetFileAttributesW(entry.path().c_str()) &
                           (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (everything && kept) content += " [attributes " + std::to_string(kept) + "]";
    }
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t root[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, root);
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate = root + (L"tvtest-" + std::to_wstring(::GetCurrentProcessId())) + L"-" +
                                 std::to_wstring(::GetTickCount64()) + L"-" + std::to_wstring(counter++);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = std::move(candidate);
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder() {
    try {
        RemoveTree(path_);
    } catch (const std::exception&) {  // a file still held open: left for the system's clean-up
    }
}

std::wstring TempFolder::operator/(std::wstring_view relative) const {
    return path_ + L"\\" + std::wstring(relative);
}

CurrentFolderScope::CurrentFolderScope(const std::wstring& folder) {
    wchar_t buffer[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, buffer);
    previous_ = buffer;
    if (!::SetCurrentDirectoryW(folder.c_str())) throw std::runtime_error("cannot enter " + Utf8(folder));
}

void MakeFolders(const std::wstring& path) {
    std::filesystem::create_directories(path);
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    MakeFolders(path.substr(0, path.rfind(L'\\')));
    bench::WriteFileBytes(path, bytes);
}

std::string ReadBytes(const std::wstring& path) {
    platform::BytesRead read = platform::ReadFileBytes(path);
    if (read.error != ERROR_SUCCESS) throw std::runtime_error("cannot read " + Utf8(path));
    return std::move(read.bytes);
}

bool FileExists(const std::wstring& path) { std::error_code e; return std::filesystem::is_regular_file(path, e); }
bool FolderExists(const std::wstring& path) { std::error_code e; return std::filesystem::is_directory(path, e); }

platform::UniqueFile HoldWithoutSharing(const std::wstring& path) {
    platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) throw std::runtime_error("cannot hold " + Utf8(path));
    return file;
}

void SetAttributes(const std::wstring& path, DWORD attributes) {
    const DWORD mask = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if (!::SetFileAttributesW(path.c_str(), attributes) || (::GetFileAttributesW(path.c_str()) & mask) != (attributes & mask))
        throw std::runtime_error("attributes did not stick on " + Utf8(path) + " (file system without xattrs?)");
}

void WriteTree(const std::wstring& folder, const Tree& tree) {
    MakeFolders(folder);
    for (const auto& [name, content] : tree) WriteBytes(folder + L"\\" + name, content);
}

Tree ReadTree(const std::wstring& folder, std::wstring_view skipped) {
    Tree tree;
    ReadInto(folder, L"", skipped, false, tree);
    return tree;
}

Tree Snapshot(const std::wstring& folder) {
    Tree tree;
    ReadInto(folder, L"", {}, true, tree);
    return tree;
}

Tree With(Tree tree, const Tree& more) {
    for (const auto& [name, content] : more) tree[name] = content;
    return tree;
}

}  // namespace testing_support
