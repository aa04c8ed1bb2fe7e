#pragma once
// The game-folder dialog (Form2): a modal window that yields the game folder,
// either the one saved last time (BT2) or one picked in the folder browser (BT1).
#include "folder_dialog/folder_browser.h"
#include "folder_dialog/game_folder_choice.h"
#include "platform/form.h"

#include <string>

namespace folder_dialog {

inline constexpr wchar_t kFolderDialogCaption[] = L"Torvanelフォルダ選択方法";

enum FolderDialogControl : int {
    kLabel1Id = 201,
    kBT1Id = 202,
    kBT2Id = 203,
};

class FolderDialog final : public platform::Form {
public:
    // `messageTitle` is the title of the message boxes it shows.
    FolderDialog(GameFolderSelection& selection, std::wstring messageTitle);
    ~FolderDialog() override;

    // Shows the dialog over a disabled `owner` and returns when it has closed,
    // either confirmed (SelectionConfirmed set) or by its close box.
    void ShowModal(HWND owner);

private:
    void OnCreated() override;
    void OnButtonClicked(int id) override;
    void OnClose() override;

    // Lives as long as the dialog object, so the folder picked before is kept.
    GameFolderChoice choice_;
    ShellLibraries shellLibraries_;  // loaded at the first browse, kept for the run
    std::wstring messageTitle_;
    bool ended_ = false;
};

}  // namespace folder_dialog
