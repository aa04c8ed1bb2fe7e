#include "folder_dialog/folder_browser.h"

#include <memory>

namespace folder_dialog {

namespace {

// GetProcAddress gives a generic function pointer; the name says which type it has.
template <typename Function>
bool Find(HMODULE module, const char* name, Function& function) noexcept {
    function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
    return function != nullptr;
}

class ComApartment {
public:
    explicit ComApartment(const ShellLibraries& libraries) noexcept
        : libraries_(libraries),
          initialized_(SUCCEEDED(libraries.coInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialized_) libraries_.coUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    const ShellLibraries& libraries_;
    bool initialized_;
};

}  // namespace

bool ShellLibraries::Load() noexcept {
    if (shBrowseForFolder != nullptr) return true;
    // Both are known DLLs: the system loads them from its own folder, never from ours.
    if (!ole32_) ole32_.reset(::LoadLibraryW(L"ole32.dll"));
    if (!shell32_) shell32_.reset(::LoadLibraryW(L"shell32.dll"));
    if (!ole32_ || !shell32_) return false;
    const bool found = Find(ole32_.get(), "CoInitializeEx", coInitializeEx) &&
                       Find(ole32_.get(), "CoUninitialize", coUninitialize) &&
                       Find(ole32_.get(), "CoTaskMemFree", coTaskMemFree) &&
                       Find(shell32_.get(), "SHGetPathFromIDListW", shGetPathFromIDList) &&
                       Find(shell32_.get(), "SHBrowseForFolderW", shBrowseForFolder);
    if (!found) shBrowseForFolder = nullptr;
    return found;
}

std::optional<std::wstring> ShellFolderBrowser::BrowseForFolder() {
    if (!libraries_.Load()) return std::nullopt;
    const ComApartment apartment(libraries_);

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
