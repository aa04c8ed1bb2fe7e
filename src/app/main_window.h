#pragma once
// The main window (form1): four buttons, one operation each. Closing it ends the
// program. It owns the game folder the operations share with the dialog.
#include "app/busy_window.h"
#include "app/operations.h"
#include "folder_dialog/folder_dialog.h"
#include "platform/form.h"

namespace app {

// The main window's caption, also the title of every message box.
inline constexpr wchar_t kProgramTitle[] = L"Torvanelワールドデータ・シナリオデータ\x3000インストーラー";

enum MainWindowControl : int {
    kBackupBTId = 101,
    kInstallBTId = 102,
    kDefoBTId = 103,
    kRestoreBTId = 104,
};

class MainWindow final : public platform::Form, private OperationUi {
public:
    MainWindow();
    ~MainWindow() override;

    // Creates the window and shows it; false when it cannot be created.
    bool Show(int showCommand);

private:
    void OnButtonClicked(int id) override;
    void OnClose() override;
    void OnDestroyed() override;

    void ShowFolderDialog() override;
    transfer::TransferReport RunTransfer(const TransferRequest& request) override;
    void ShowMessage(const MessageText& message) override;

    folder_dialog::GameFolderSelection selection_;
    folder_dialog::FolderDialog folderDialog_;
    BusyWindow busyWindow_;
    bool operationRunning_ = false;
};

}  // namespace app
