#include "app/main_window.h"

#include "app/closing_message.h"
#include "resource_ids.h"

namespace app {

namespace {

constexpr DWORD kButton = BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP;

// In tab order: BackupBT, InstallBT, DefoBT, RestoreBT (top to bottom they are
// BackupBT, InstallBT, RestoreBT, DefoBT).
constexpr platform::ControlLayout kControls[] = {
    {kBackupBTId, L"BUTTON", L"現在の状態のバックアップ", kButton, {120, 120, 5895, 495}},
    {kInstallBTId, L"BUTTON", L"ワールドデータ・シナリオデータのインストール", kButton, {120, 720, 5895, 855}},
    {kDefoBTId, L"BUTTON", L"デフォルトに戻す", kButton, {120, 2280, 5895, 495}},
    {kRestoreBTId, L"BUTTON", L"バックアップしていた状態に戻す", kButton, {120, 1680, 5895, 495}},
};

constexpr platform::FormLayout kForm1 = {
    L"TorvanelInstaller.form1",
    kProgramTitle,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
    0,
    6090,
    2880,
    platform::StartPosition::CenterScreen,
    IDI_PROGRAM,
    kControls,
};

UINT IconStyle(MessageIcon icon) noexcept {
    switch (icon) {
    case MessageIcon::Exclamation:
        return MB_ICONEXCLAMATION;
    case MessageIcon::None:
        break;
    }
    return 0;
}

}  // namespace

MainWindow::MainWindow() : Form(kForm1), folderDialog_(selection_, kProgramTitle) {}

MainWindow::~MainWindow() { Destroy(); }

bool MainWindow::Show(int showCommand) {
    if (!Create(nullptr)) return false;
    ::ShowWindow(hwnd(), showCommand);
    ::UpdateWindow(hwnd());
    return true;
}

void MainWindow::OnButtonClicked(int id) {
    Operation operation{};
    switch (id) {
    case kInstallBTId:
        operation = Operation::Install;
        break;
    case kBackupBTId:
        operation = Operation::Backup;
        break;
    case kRestoreBTId:
        operation = Operation::Restore;
        break;
    case kDefoBTId:
        operation = Operation::Default;
        break;
    default:
        return;
    }
    // One operation at a time, start to end.
    if (operationRunning_) return;
    operationRunning_ = true;
    RunOperation(operation, selection_, *this);
    operationRunning_ = false;
}

// Closing ends the program, but never in the middle of an operation: a transfer
// cut off halfway would leave the game folder half replaced.
void MainWindow::OnClose() {
    if (!operationRunning_) Destroy();
}

void MainWindow::OnDestroyed() { ::PostQuitMessage(0); }

void MainWindow::ShowFolderDialog() { folderDialog_.ShowModal(hwnd()); }

transfer::TransferReport MainWindow::RunTransfer(const TransferRequest& request) {
    return busyWindow_.Run(hwnd(), request);
}

void MainWindow::ShowMessage(const MessageText& message) {
    ::MessageBoxW(hwnd(), message.text.c_str(), kProgramTitle, MB_OK | IconStyle(message.icon));
}

}  // namespace app
