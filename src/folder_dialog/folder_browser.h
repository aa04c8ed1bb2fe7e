#pragma once
// Picking a folder: the shell's folder browser, or a stand-in in tests.
#include <windows.h>

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

// SHBrowseForFolderW over the whole namespace, only file-system folders, nothing
// preselected. COM must be initialised apartment-threaded on the calling thread.
class ShellFolderBrowser final : public FolderBrowser {
public:
    explicit ShellFolderBrowser(HWND owner) noexcept : owner_(owner) {}
    [[nodiscard]] std::optional<std::wstring> BrowseForFolder() override;

private:
    HWND owner_;
};

}  // namespace folder_dialog
