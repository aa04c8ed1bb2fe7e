// The course of an operation, with the windows scripted: which folders it prepares,
// what it hands to the transfer, and when it stops before one.
#include "app/operations.h"

#include "app/closing_message.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using app::Operation;
using testing_support::FolderExists;
using testing_support::TempFolder;
using testing_support::WriteBytes;

// Stands in for the windows: the dialog confirms `confirm` (or is closed when that is
// empty) after running `duringDialog`; transfers and messages are recorded.
struct ScriptedUi : app::OperationUi {
    folder_dialog::GameFolderSelection selection;
    std::wstring confirm;
    std::function<void()> duringDialog = [] {};
    std::function<void()> duringTransfer = [] {};
    std::vector<app::TransferRequest> transfers;
    std::vector<app::MessageText> messages;

    void ShowFolderDialog() override {
        duringDialog();
        if (!confirm.empty()) selection = {confirm, true};
    }
    transfer::TransferReport RunTransfer(const app::TransferRequest& request) override {
        transfers.push_back(request);
        duringTransfer();
        return {};
    }
    void ShowMessage(const app::MessageText& message) override { messages.push_back(message); }
    void Run(Operation operation) { app::RunOperation(operation, selection, *this); }
};

// A package folder (current while the operation runs) and a game folder.
struct Folders {
    TempFolder package;
    TempFolder gameParent;
    std::wstring game = gameParent / L"Torvanel";
    testing_support::CurrentFolderScope scope{package.path()};

    Folders() { WriteBytes(game + L"\\TorvaGame.exe", "MZ"); }
};

// Before the transfer every operation makes the folders it needs, keeping those that
// exist; Install reads from the folder current when the transfer starts, not when
// the dialog opened. (Where each operation copies from and to is checked end to end.)
TEST(Operations, PrepareTheFoldersThenInstallFromTheFolderCurrentThen) {
    const TempFolder laterPackage;
    Folders f;
    WriteBytes(f.game + L"\\Backup\\nationDATA\\kept.dat", "kept");
    ScriptedUi ui;
    ui.confirm = f.game;
    ui.duringDialog = [&] { ::SetCurrentDirectoryW(laterPackage.path().c_str()); };
    bool foldersReady = false;
    ui.duringTransfer = [&] {
        foldersReady = FolderExists(f.game + L"\\Backup\\pastDATA") && FolderExists(f.game + L"\\default");
    };
    ui.Run(Operation::Install);

    EXPECT_TRUE(foldersReady);
    ASSERT_EQ(ui.transfers.size(), 1u);
    EXPECT_EQ(ui.transfers[0].source, laterPackage.path() + L"\\");
    EXPECT_EQ(ui.transfers[0].destination, f.game + L"\\");
    EXPECT_EQ(ui.transfers[0].worldFile, laterPackage.path() + L"\\zeloworld.dat");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, L"データ書き込み終了しました。");
    EXPECT_TRUE(testing_support::FileExists(f.game + L"\\Backup\\nationDATA\\kept.dat"));
}

TEST(Operations, ClosedDialogEndsTheOperationSilently) {
    Folders f;
    for (const Operation operation : {Operation::Install, Operation::Backup, Operation::Restore, Operation::Default}) {
        ScriptedUi ui;
        ui.selection = {f.game, true};  // confirmed by an earlier operation; this one must not reuse that
        bool clearedBeforeDialog = false;
        ui.duringDialog = [&] { clearedBeforeDialog = !ui.selection.SelectionConfirmed; };
        ui.Run(operation);

        EXPECT_TRUE(clearedBeforeDialog);
        EXPECT_TRUE(ui.transfers.empty());
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_FALSE(FolderExists(f.game + L"\\Backup"));
        EXPECT_FALSE(FolderExists(f.game + L"\\default"));
    }
}

TEST(Operations, DefaultWithoutDefaultFilesShowsTheThreeLineMessageAndCopiesNothing) {
    for (const bool withSubfolders : {false, true}) {  // subfolders alone are no default data
        SCOPED_TRACE(withSubfolders);
        Folders f;
        if (withSubfolders) WriteBytes(f.game + L"\\Default\\nationDATA\\a.dat", "a");
        ScriptedUi ui;
        ui.confirm = f.game;
        ui.Run(Operation::Default);

        EXPECT_TRUE(ui.transfers.empty());
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  L"このTorvanelのバージョンにはデフォルトデータが入っていない可能性があります。\r"
                  L"Torvanelを最新バージョンに更新して下さい。\r"
                  L"なお、その場合、差分では無く、必ずファイル全部を更新して下さい。");
        EXPECT_EQ(ui.messages[0].icon, app::MessageIcon::None);
        EXPECT_TRUE(FolderExists(f.game + L"\\default"));
    }
}

}  // namespace
