#include "folder_dialog/folder_dialog.h"

#include "platform/message_loop.h"
#include "resource_ids.h"

namespace folder_dialog {

namespace {

constexpr DWORD kButton = BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP;

// In tab order: Label1, BT1, BT2.
constexpr platform::ControlLayout kControls[] = {
    {kLabel1Id, L"STATIC", L"■Torvanelフォルダの選択方法を決めて下さい。", SS_LEFT | SS_NOPREFIX, {240, 120, 5655, 255}},
    {kBT1Id, L"BUTTON", L"初めてTorvanelフォルダを選ぶ。あるいは、前回と違うフォルダを選ぶ。", kButton,
     {120, 360, 7935, 375}},
    {kBT2Id, L"BUTTON", L"", kButton, {120, 840, 7935, 975}},
};

constexpr platform::FormLayout kForm2 = {
    L"TorvanelInstaller.Form2",
    kFolderDialogCaption,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
    WS_EX_APPWINDOW,  // in the task bar although it has an owner
    8190,
    1965,
    platform::StartPosition::CenterScreen,
    IDI_PROGRAM,
    kControls,
};

}  // namespace

FolderDialog::FolderDialog(GameFolderSelection& selection, std::wstring messageTitle)
    : Form(kForm2), choice_(selection), messageTitle_(std::move(messageTitle)) {}

FolderDialog::~FolderDialog() { Destroy(); }

void FolderDialog::ShowModal(HWND owner) {
    ended_ = false;
    if (!Create(owner)) return;
    ::EnableWindow(owner, FALSE);
    ::ShowWindow(hwnd(), SW_SHOW);
    platform::RunMessagesUntil([this] { return ended_ || hwnd() == nullptr; });
    // The owner is enabled before the dialog goes, so that it, and not another
    // program, becomes the active window.
    ::EnableWindow(owner, TRUE);
    Destroy();
}

// The dialog's load: read the saved folder and set up BT2.
void FolderDialog::OnCreated() {
    const SecondButtonState bt2 = choice_.Load();
    ::SetWindowTextW(Control(kBT2Id), bt2.caption.c_str());
    ::EnableWindow(Control(kBT2Id), bt2.enabled);
}

void FolderDialog::OnButtonClicked(int id) {
    if (ended_) return;
    ChoiceOutcome outcome = ChoiceOutcome::StaysOpen;
    if (id == kBT1Id) {
        ShellFolderBrowser browser(hwnd(), shellLibraries_);
        outcome = choice_.ChooseFolder(browser);
    } else if (id == kBT2Id) {
        outcome = choice_.ConfirmSavedFolder();
    }
    switch (outcome) {
    case ChoiceOutcome::Confirmed:
        ended_ = true;
        break;
    case ChoiceOutcome::NotAGameFolder:
        ::MessageBoxW(hwnd(), kExeNotFoundMessage, messageTitle_.c_str(), MB_OK | MB_ICONEXCLAMATION);
        break;
    case ChoiceOutcome::StaysOpen:
        break;
    }
}

// The close box ends the dialog without a confirmation.
void FolderDialog::OnClose() { ended_ = true; }

}  // namespace folder_dialog
