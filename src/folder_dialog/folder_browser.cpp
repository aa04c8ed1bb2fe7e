#include "folder_dialog/folder_browser.h"

#include "platform/system_function.h"

#include <memory>

namespace folder_dialog {

namespace {

// The name says which type the function has.
template <typename Function>
bool Find(HMODULE module, const char* name, Function& function) noexcept {
    function = platform::SystemFunction<Function>(module, name);
    return function != nullptr;
}

}  // namespace

bool ShellLibraries::Load() noexcept {
    if (shBrowseForFolder != nullptr) return true;
    // Both are known DLLs: the system loads them from its own folder, never from ours.
    if (ole32_ == nullptr) ole32_ = ::LoadLibraryW(L"ole32.dll");
    if (shell32_ == nullptr) shell32_ = ::LoadLibraryW(L"shell32.dll");
    if (ole32_ == nullptr || shell32_ == nullptr) return false;
    decltype(&::CoInitializeEx) coInitializeEx = nullptr;
    if (!Find(ole32_, "CoInitializeEx", coInitializeEx) || !Find(ole32_, "CoTaskMemFree", coTaskMemFree) ||
        !Find(shell32_, "SHGetPathFromIDListW", shGetPathFromIDList) ||
        !Find(shell32_, "SHBrowseForFolderW", shBrowseForFolder)) {
        shBrowseForFolder = nullptr;
        return false;
    }
    // Once for the thread's life (it is the program's): never left, see the header.
    // Should it fail, the browser still works in its plain form.
    (void)coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    return true;
}

std::optional<std::wstring> ShellFolderBrowser::BrowseForFolder() {
    if (!libraries_.Load()) return std::nullopt;

    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.pidlRoot = nullptr;        // the whole namespace, from the desktop
    info.pszDisplayName = nullptr;  // the display name is not wanted
    info.lpszTitle = kBrowserTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = nullptr;
    const auto freePidl = [this](ITEMIDLIST* pidl) { libraries_.coTaskMemFree(pidl); };
    const std::unique_ptr<ITEMIDLIST, decltype(freePidl)> picked(libraries_.shBrowseForFolder(&info), freePidl);
    if (!picked) return std::nullopt;

    wchar_t path[MAX_PATH] = {};
    if (!libraries_.shGetPathFromIDList(picked.get(), path)) return std::nullopt;
    return std::wstring(path);
}

}  // namespace folder_dialog
