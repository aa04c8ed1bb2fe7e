#pragma once
// Picking a folder: the shell's folder browser, or a stand-in in tests.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <optional>
#include <string>

namespace folder_dialog {

class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    // The picked folder's path; nothing when the user cancels or the pick has no path.
    [[nodiscard]] virtual std::optional<std::wstring> BrowseForFolder() = 0;
};

inline constexpr wchar_t kBrowserTitle[] = L"Torvanelフォルダを選択してください";

// The shell and COM functions the browser needs, loaded when it is first opened:
// most runs never browse, and loading them at start costs start-up time and memory.
// Once loaded they stay for the rest of the run, and so does the thread's COM
// apartment: shell extensions that the browser brings in keep threads, hooks and
// objects in them after it closes.
class ShellLibraries {
public:
    // Loads once and joins the calling (user-interface) thread to a single-threaded
    // apartment; false when the system lacks them.
    bool Load() noexcept;

    decltype(&::CoTaskMemFree) coTaskMemFree = nullptr;
    decltype(&::SHBrowseForFolderW) shBrowseForFolder = nullptr;
    decltype(&::SHGetPathFromIDListW) shGetPathFromIDList = nullptr;

private:
    HMODULE ole32_ = nullptr;    // never freed, see above
    HMODULE shell32_ = nullptr;  // never freed, see above
};

// SHBrowseForFolderW over the whole namespace, only file-system folders, nothing
// preselected.
class ShellFolderBrowser final : public FolderBrowser {
public:
    ShellFolderBrowser(HWND owner, ShellLibraries& libraries) noexcept : owner_(owner), libraries_(libraries) {}
    [[nodiscard]] std::optional<std::wstring> BrowseForFolder() override;

private:
    HWND owner_;
    ShellLibraries& libraries_;
};

}  // namespace folder_dialog
