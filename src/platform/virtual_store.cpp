#include "platform/virtual_store.h"

#include "platform/file_services.h"
#include "platform/path_names.h"
#include "platform/system_function.h"
#include "platform/wildcard.h"

#include <objbase.h>
#include <shlobj.h>
#include <knownfolders.h>

#include <memory>
#include <vector>

namespace platform {

namespace {

struct KnownFolderFunctions {
    decltype(&::SHGetKnownFolderPath) getKnownFolderPath = nullptr;
    decltype(&::CoTaskMemFree) coTaskMemFree = nullptr;
};

// Loaded when first needed, as the folder browser's are: most runs never ask, and
// the exe imports neither library. Never freed: shell32 may leave work of its own
// running in the process.
const KnownFolderFunctions& ShellFunctions() {
    static const KnownFolderFunctions functions = [] {
        // Both are known DLLs: the system loads them from its own folder, never from ours.
        const HMODULE shell32 = ::LoadLibraryW(L"shell32.dll");
        const HMODULE ole32 = ::LoadLibraryW(L"ole32.dll");
        KnownFolderFunctions found;
        found.getKnownFolderPath = SystemFunction<decltype(&::SHGetKnownFolderPath)>(shell32, "SHGetKnownFolderPath");
        found.coTaskMemFree = SystemFunction<decltype(&::CoTaskMemFree)>(ole32, "CoTaskMemFree");
        return found;
    }();
    return functions;
}

std::wstring KnownFolder(const KnownFolderFunctions& shell, REFKNOWNFOLDERID id) {
    if (shell.getKnownFolderPath == nullptr || shell.coTaskMemFree == nullptr) return {};
    const auto release = [&shell](wchar_t* p) { shell.coTaskMemFree(p); };
    wchar_t* path = nullptr;
    const HRESULT result = shell.getKnownFolderPath(id, 0, nullptr, &path);
    const std::unique_ptr<wchar_t, decltype(release)> owner(path, release);  // freed even on failure
    return SUCCEEDED(result) && path != nullptr ? std::wstring(path) : std::wstring();
}

std::optional<std::wstring> LongPathOf(const std::wstring& path) {
    const DWORD needed = ::GetLongPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring longPath(needed, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), longPath.data(), needed);
    if (length == 0 || length >= needed) return std::nullopt;
    longPath.resize(length);
    return longPath;
}

// The full path with its existing part in long names; parts that do not exist yet
// stay as given.
std::wstring LongFullPath(const std::wstring& path) {
    std::wstring existing = FullPathOf(path);
    std::vector<std::wstring> missing;  // innermost first
    for (;;) {
        if (std::optional<std::wstring> longPath = LongPathOf(existing)) {
            existing = WithoutTrailingSeparators(std::move(*longPath));
            break;
        }
        const size_t cut = existing.find_last_of(L'\\');
        if (cut == std::wstring::npos || cut + 1 >= existing.size()) break;
        missing.push_back(existing.substr(cut + 1));
        existing.resize(cut > 0 && existing[cut - 1] == L':' ? cut + 1 : cut);  // "C:\", not "C:"
    }
    for (auto name = missing.rbegin(); name != missing.rend(); ++name) {
        if (existing.empty() || existing.back() != L'\\') existing += L'\\';
        existing += *name;
    }
    return existing;
}

// True when `path` is `root` or lies inside it; both full long paths.
bool IsInside(std::wstring_view path, std::wstring_view root) noexcept {
    if (root.empty() || path.size() < root.size() || !SameName(path.substr(0, root.size()), root)) return false;
    return path.size() == root.size() || root.back() == L'\\' || path[root.size()] == L'\\';
}

bool HasDrive(std::wstring_view path) noexcept { return path.size() >= 3 && path[1] == L':' && path[2] == L'\\'; }

}  // namespace

VirtualStoreRoots SystemVirtualStoreRoots() {
    const KnownFolderFunctions& shell = ShellFunctions();
    return VirtualStoreRoots{KnownFolder(shell, FOLDERID_ProgramFiles), KnownFolder(shell, FOLDERID_ProgramFilesX86),
                             KnownFolder(shell, FOLDERID_Windows), KnownFolder(shell, FOLDERID_LocalAppData)};
}

std::optional<std::wstring> VirtualStoreFolder(const std::wstring& folder, const VirtualStoreRoots& roots) {
    if (roots.localAppData.empty()) return std::nullopt;
    const std::wstring path = LongFullPath(folder);
    if (!HasDrive(path)) return std::nullopt;
    for (const std::wstring* root : {&roots.programFiles, &roots.programFilesX86, &roots.windows}) {
        if (root->empty() || !IsInside(path, LongFullPath(*root))) continue;
        // The store keeps the whole path below the drive: "C:\Program Files (x86)\x"
        // is "VirtualStore\Program Files (x86)\x".
        return WithoutTrailingSeparators(LongFullPath(roots.localAppData) + L"\\VirtualStore" + path.substr(2));
    }
    return std::nullopt;
}

std::optional<std::wstring> ExistingVirtualStoreFolder(const std::wstring& folder, const VirtualStoreRoots& roots) {
    std::optional<std::wstring> store = VirtualStoreFolder(folder, roots);
    if (!store) return std::nullopt;
    const DWORD attributes = FileAttributes(*store);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return std::nullopt;
    return store;
}

}  // namespace platform
