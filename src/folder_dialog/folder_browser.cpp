#include "folder_dialog/folder_browser.h"

#include <objbase.h>
#include <shlobj.h>

#include <memory>

namespace folder_dialog {

namespace {

struct PidlDeleter {
    void operator()(ITEMIDLIST* pidl) const noexcept { ::CoTaskMemFree(pidl); }
};

}  // namespace

std::optional<std::wstring> ShellFolderBrowser::BrowseForFolder() {
    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.pidlRoot = nullptr;        // the whole namespace, from the desktop
    info.pszDisplayName = nullptr;  // the display name is not wanted
    info.lpszTitle = kBrowserTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = nullptr;
    const std::unique_ptr<ITEMIDLIST, PidlDeleter> picked(::SHBrowseForFolderW(&info));
    if (!picked) return std::nullopt;

    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(picked.get(), path)) return std::nullopt;
    return std::wstring(path);
}

}  // namespace folder_dialog
