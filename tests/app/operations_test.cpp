#include "app/operations.h"

#include "app/closing_message.h"
#include "folder_dialog/current_folder_scope.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using app::Operation;
using app::TransferRequest;
using folder_dialog::GameFolderSelection;
using testing_support::CurrentFolderScope;
using testing_support::FileExists;
using testing_support::FolderExists;
using testing_support::TempFolder;
using testing_support::WriteBytes;
using transfer::TransferReport;

// Stands in for the windows: the dialog runs a script, transfers and messages are recorded.
class ScriptedUi : public app::OperationUi {
public:
    std::function<void()> dialog;
    std::function<TransferReport(const TransferRequest&)> transfer = [](const TransferRequest&) {
        return TransferReport{};
    };

    int dialogsShown = 0;
    std::vector<TransferRequest> transfers;
    std::vector<app::MessageText> messages;

    void ShowFolderDialog() override {
        ++dialogsShown;
        if (dialog) dialog();
    }
    TransferReport RunTransfer(const TransferRequest& request) override {
        transfers.push_back(request);
        return transfer(request);
    }
    void ShowMessage(const app::MessageText& message) override { messages.push_back(message); }
};

// A package folder (current while the operation runs) and a game folder.
struct Folders {
    TempFolder package;
    TempFolder gameParent;
    std::wstring game = gameParent / L"Torvanel";

    Folders() { WriteBytes(game + L"\\TorvaGame.exe", "MZ"); }
};

// The user confirms `folder` in the dialog.
std::function<void()> Confirm(GameFolderSelection& selection, const std::wstring& folder) {
    return [&selection, folder] {
        selection.GameFolder = folder;
        selection.SelectionConfirmed = true;
    };
}

TEST(Operations, HandEachOperationItsFoldersAndMusicFlag) {
    Folders f;
    WriteBytes(f.game + L"\\Default\\MAINDATA.DAT", "default");
    const CurrentFolderScope scope(f.package.path());
    const struct {
        Operation operation;
        std::wstring source;
        std::wstring destination;
        std::wstring musicFlag;
        std::wstring message;
    } cases[] = {
        {Operation::Install, f.package.path() + L"\\", f.game + L"\\", L"on", L"データ書き込み終了しました。"},
        {Operation::Backup, f.game + L"\\", f.game + L"\\Backup\\", L"", L"バックアップ終了しました。"},
        {Operation::Restore, f.game + L"\\Backup\\", f.game + L"\\", L"", L"バックアップの状態に戻しました。"},
        {Operation::Default, f.game + L"\\Default\\", f.game + L"\\", L"", L"デフォルトに戻すことに成功しました。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.message));
        GameFolderSelection selection;
        ScriptedUi ui;
        ui.dialog = Confirm(selection, f.game);
        app::RunOperation(c.operation, selection, ui);

        ASSERT_EQ(ui.transfers.size(), 1u);
        EXPECT_EQ(ui.transfers[0].source, c.source);
        EXPECT_EQ(ui.transfers[0].destination, c.destination);
        EXPECT_EQ(ui.transfers[0].musicFlag, c.musicFlag);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, c.message);
        EXPECT_EQ(ui.messages[0].icon, app::MessageIcon::None);
    }
}

TEST(Operations, InstallReadsFromTheFolderCurrentWhenTheTransferStarts) {
    Folders f;
    const TempFolder laterPackage;
    const CurrentFolderScope scope(f.package.path());
    GameFolderSelection selection;
    ScriptedUi ui;
    ui.dialog = [&] {
        Confirm(selection, f.game)();
        ::SetCurrentDirectoryW(laterPackage.path().c_str());
    };
    app::RunOperation(Operation::Install, selection, ui);

    ASSERT_EQ(ui.transfers.size(), 1u);
    EXPECT_EQ(ui.transfers[0].source, laterPackage.path() + L"\\");
}

TEST(Operations, PrepareTheBackupAndDefaultFoldersBeforeTheTransfer) {
    Folders f;
    WriteBytes(f.game + L"\\Backup\\nationDATA\\kept.dat", "kept");
    const CurrentFolderScope scope(f.package.path());
    GameFolderSelection selection;
    ScriptedUi ui;
    ui.dialog = Confirm(selection, f.game);
    bool foldersReady = false;
    ui.transfer = [&](const TransferRequest&) {
        foldersReady = FolderExists(f.game + L"\\Backup") && FolderExists(f.game + L"\\Backup\\nationDATA") &&
                       FolderExists(f.game + L"\\Backup\\pastDATA") && FolderExists(f.game + L"\\default");
        return TransferReport{};
    };
    app::RunOperation(Operation::Backup, selection, ui);

    EXPECT_TRUE(foldersReady);
    EXPECT_TRUE(FileExists(f.game + L"\\Backup\\nationDATA\\kept.dat"));
}

TEST(Operations, ClosedDialogEndsTheOperationSilently) {
    Folders f;
    const CurrentFolderScope scope(f.package.path());
    for (const Operation operation : {Operation::Install, Operation::Backup, Operation::Restore, Operation::Default}) {
        // Confirmed by an earlier operation; this one must not reuse that.
        GameFolderSelection selection{f.game, true};
        ScriptedUi ui;
        bool clearedBeforeDialog = false;
        ui.dialog = [&] { clearedBeforeDialog = !selection.SelectionConfirmed; };
        app::RunOperation(operation, selection, ui);

        EXPECT_EQ(ui.dialogsShown, 1);
        EXPECT_TRUE(clearedBeforeDialog);
        EXPECT_TRUE(ui.transfers.empty());
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_FALSE(FolderExists(f.game + L"\\Backup"));
        EXPECT_FALSE(FolderExists(f.game + L"\\default"));
    }
}

TEST(Operations, DefaultWithoutDefaultFilesShowsTheThreeLineMessageAndCopiesNothing) {
    const struct {
        const char* what;
        std::function<void(const std::wstring& game)> prepare;
    } cases[] = {
        {"no Default folder", [](const std::wstring&) {}},
        {"only subfolders",
         [](const std::wstring& game) {
             WriteBytes(game + L"\\Default\\nationDATA\\a.dat", "a");
             WriteBytes(game + L"\\Default\\pastDATA\\b.dat", "b");
         }},
        {"only a hidden file",
         [](const std::wstring& game) {
             WriteBytes(game + L"\\Default\\MAINDATA.DAT", "m");
             testing_support::SetAttributes(game + L"\\Default\\MAINDATA.DAT", FILE_ATTRIBUTE_HIDDEN);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Folders f;
        c.prepare(f.game);
        const CurrentFolderScope scope(f.package.path());
        GameFolderSelection selection;
        ScriptedUi ui;
        ui.dialog = Confirm(selection, f.game);
        app::RunOperation(Operation::Default, selection, ui);

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

TEST(Operations, ClosingMessageTellsWhatTheTransferReported) {
    Folders f;
    const CurrentFolderScope scope(f.package.path());
    GameFolderSelection selection;
    ScriptedUi ui;
    ui.dialog = Confirm(selection, f.game);
    ui.transfer = [](const TransferRequest&) {
        TransferReport report;
        report.outcome = transfer::TransferOutcome::FilesInUse;
        report.filesInUse = {L"MAINDATA.DAT"};
        return report;
    };
    app::RunOperation(Operation::Restore, selection, ui);

    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text,
              L"Torvanelが起動中の可能性があるため、中止しました。何も変更していません。\r"
              L"Torvanelを終了してから、もう一度実行して下さい。\rMAINDATA.DAT");
    EXPECT_EQ(ui.messages[0].icon, app::MessageIcon::Exclamation);
}

TEST(Operations, BackupThenRestoreBringsTheGameFolderBack) {
    Folders f;
    WriteBytes(f.game + L"\\MAINDATA.DAT", "original");
    WriteBytes(f.game + L"\\kosei01.dat", "scenario 1");
    WriteBytes(f.game + L"\\nationDATA\\n1.dat", "nation 1");
    const CurrentFolderScope scope(f.package.path());
    GameFolderSelection selection;
    ScriptedUi ui;
    ui.dialog = Confirm(selection, f.game);
    ui.transfer = [](const TransferRequest& request) {
        return transfer::TransferDataSet(request.source, request.destination, request.musicFlag);
    };

    app::RunOperation(Operation::Backup, selection, ui);
    EXPECT_EQ(testing_support::ReadBytes(f.game + L"\\Backup\\MAINDATA.DAT"), "original");
    EXPECT_EQ(testing_support::ReadBytes(f.game + L"\\Backup\\nationDATA\\n1.dat"), "nation 1");

    WriteBytes(f.game + L"\\MAINDATA.DAT", "changed by the game");
    WriteBytes(f.game + L"\\nationDATA\\n2.dat", "nation 2");
    app::RunOperation(Operation::Restore, selection, ui);

    EXPECT_EQ(testing_support::ReadBytes(f.game + L"\\MAINDATA.DAT"), "original");
    EXPECT_EQ(testing_support::FileNamesIn(f.game + L"\\nationDATA"), std::vector<std::wstring>{L"n1.dat"});
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].text, L"バックアップ終了しました。");
    EXPECT_EQ(ui.messages[1].text, L"バックアップの状態に戻しました。");
}

}  // namespace
