// The course of an operation with the windows scripted, and the message that ends
// it after its transfer (when it completed, its own line: checked end to end).
#include "app/operations.h"

#include "app/closing_message.h"
#include "platform/file_services.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace app;
using namespace transfer;
using namespace testing_support;

// Stands in for the windows: the dialog confirms `confirm` (or is closed when that is
// empty) after running `duringDialog`; transfers and messages are recorded.
struct ScriptedUi : app::OperationUi {
    folder_dialog::GameFolderSelection selection;
    std::wstring confirm;
    std::function<void()> duringDialog = [] {}, duringTransfer = [] {};
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
    TempFolder package, gameParent;
    std::wstring game = gameParent / L"Torvanel";
    CurrentFolderScope scope{package.path()};
    Folders() { WriteBytes(game + L"\\TorvaGame.exe", "MZ"); }
};

// Before the transfer every operation makes the folders it needs, keeping those that exist;
// Install reads from the folder current when the transfer starts, not when the dialog opened.
// A game under Program Files (either) or Windows, as the environment names them, has its own
// copies in the user's VirtualStore: they are the overlay of the game folder's side of each
// transfer. A game elsewhere has none, whatever VirtualStore holds. (Where each operation
// copies from and to is checked end to end.)
TEST(Operations, PrepareTheFoldersAndHandTheGamesOwnCopiesOfAGameUnderProgramFilesToTheTransfer) {
    const auto variable = [](const wchar_t* name) { return std::wstring(::_wgetenv(name) ? ::_wgetenv(name) : L""); };
    const std::wstring virtualStore = variable(L"LOCALAPPDATA") + L"\\VirtualStore";
    const TempFolder laterPackage;
    Folders elsewhere;
    WriteBytes(elsewhere.game + L"\\Backup\\nationDATA\\kept.dat", "kept");
    WriteBytes(virtualStore + elsewhere.game.substr(2) + L"\\SWAIT.DAT", "x");
    std::vector<std::pair<std::wstring, std::wstring>> games{{elsewhere.game, L""}};
    for (const wchar_t* root : {L"ProgramFiles", L"ProgramFiles(x86)", L"windir"}) {
        const std::wstring game = variable(root) + L"\\Torvanel-test-" + std::to_wstring(::GetCurrentProcessId());
        ASSERT_EQ(game[1], L':') << Utf8(root) << " is not set";
        WriteBytes(game + L"\\TorvaGame.exe", "MZ");
        WriteBytes(virtualStore + game.substr(2) + L"\\SWAIT.DAT", "game's");
        games.push_back({game, virtualStore + game.substr(2) + L"\\"});
    }
    for (const auto& [folder, overlay] : games) {
        SCOPED_TRACE(Utf8(folder));
        ScriptedUi ui;
        ui.confirm = folder;
        ui.duringDialog = [&] { ::SetCurrentDirectoryW(laterPackage.path().c_str()); };
        int foldersReady = 0;
        ui.duringTransfer = [&, &game = folder] {
            foldersReady += FolderExists(game + L"\\Backup\\pastDATA") && FolderExists(game + L"\\default");
        };
        for (const Operation operation : {Operation::Install, Operation::Backup, Operation::Restore}) ui.Run(operation);
        ASSERT_EQ(ui.transfers.size(), 3u);
        EXPECT_EQ(foldersReady, 3);
        EXPECT_EQ(ui.transfers[0].source, laterPackage.path() + L"\\");
        EXPECT_EQ(ui.transfers[0].worldFile, laterPackage.path() + L"\\zeloworld.dat");
        EXPECT_EQ(ui.transfers[0].destinationOverlay, overlay);
        EXPECT_EQ(ui.transfers[0].sourceOverlay, L"");
        EXPECT_EQ(ui.transfers[1].sourceOverlay, overlay);
        EXPECT_EQ(ui.transfers[1].destinationOverlay, L"");  // the game never reads Backup
        EXPECT_EQ(ui.transfers[2].destinationOverlay, overlay);
        // Backup and Restore lock the Backup side too, and put it right first; a package is only read.
        EXPECT_EQ(std::vector<bool>({ui.transfers[0].sourceWritten, ui.transfers[1].sourceWritten,
                                     ui.transfers[2].sourceWritten}), std::vector<bool>({false, true, true}));
        // Only what this test made: the player's own VirtualStore may hold other games' copies.
        RemoveTree(virtualStore + folder.substr(2));
        if (!overlay.empty()) RemoveTree(folder);
    }
    EXPECT_TRUE(FileExists(elsewhere.game + L"\\Backup\\nationDATA\\kept.dat"));
}

// Closing the dialog ends any operation silently, although an earlier one confirmed
// a folder; Default without default files (subfolders alone are none) only explains.
TEST(Operations, StopBeforeTheTransferWhenThereIsNothingToDo) {
    Folders f;
    for (const Operation operation : {Operation::Install, Operation::Backup, Operation::Restore, Operation::Default}) {
        ScriptedUi ui;
        ui.selection = {f.game, true};
        bool clearedBeforeDialog = false;
        ui.duringDialog = [&] { clearedBeforeDialog = !ui.selection.SelectionConfirmed; };
        ui.Run(operation);
        EXPECT_TRUE(clearedBeforeDialog);
        EXPECT_TRUE(ui.transfers.empty() && ui.messages.empty());
        EXPECT_FALSE(FolderExists(f.game + L"\\Backup") || FolderExists(f.game + L"\\default"));
    }
    WriteBytes(f.game + L"\\Default\\nationDATA\\a.dat", "a");
    ScriptedUi ui;
    ui.confirm = f.game;
    ui.Run(Operation::Default);
    EXPECT_TRUE(ui.transfers.empty());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, app::NoDefaultDataMessage().text);
    EXPECT_TRUE(FolderExists(f.game + L"\\default"));
}

// Files that failed are named with the system's words, ten at most, then counted.
TEST(ClosingMessage, NamesTheFilesThatStoppedTheOperation) {
    for (const size_t count : {size_t{3}, size_t{10}, size_t{11}, size_t{12}}) {
        TransferReport report;
        report.outcome = TransferOutcome::Failed;
        report.changesLeft = count == 12;
        std::wstring expected = L"次のファイルをコピーまたは削除できなかったため、中止しました。" + std::wstring(count == 12
            ? L"\r変更の一部をまだ元に戻せていません。次にこのツールで操作したときに、元の状態に戻します。" : L"何も変更していません。");
        for (size_t i = 0; i < count; ++i) {
            const platform::ErrorCode error = i % 2 ? ERROR_SHARING_VIOLATION : ERROR_ACCESS_DENIED;
            report.failures.push_back({L"nationDATA\\n" + std::to_wstring(i) + L".dat", error});
            if (i < 10) expected += L"\r" + report.failures[i].name + L"：" + platform::ErrorText(error);
        }
        if (count > 10) expected += L"\rほか " + std::to_wstring(count - 10) + L" 件";
        const app::MessageText message = ClosingMessage(Operation::Backup, {L"C:\\G\\", L"C:\\G\\B\\", L"", L""}, report);
        EXPECT_EQ(message.text, expected) << count;
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    }
    // Where the system has no words for an error, or too few, ours.
    TransferReport tooLarge;
    tooLarge.outcome = TransferOutcome::Failed;
    tooLarge.failures = {{L"zeloworld.dat", ERROR_FILE_TOO_LARGE}};
    EXPECT_TRUE(ClosingMessage(Operation::Install, {L"C:\\P\\", L"C:\\G\\", L"", L""}, tooLarge)
                    .text.ends_with(L"\rzeloworld.dat：ファイルが大きすぎるため、読み込めません。"));
}

// A refusal says why nothing changed, with the exclamation icon; Default's missing
// data set is no refusal but a hint.
TEST(ClosingMessage, RefusalsSayWhyNothingChanged) {
    using enum TransferOutcome;
    using enum Operation;
    const std::wstring nothing = L"中止しました。何も変更していません。";
    const std::wstring sameFolder = L"コピー元とコピー先が同じフォルダのため、" + nothing + L"\r";
    const std::wstring inUse =
        L"Torvanelが起動中の可能性があるため、" + nothing + L"\rTorvanelを終了してから、もう一度実行して下さい。\r";
    const std::wstring busy = L"別の操作がこのフォルダのデータを処理中のため、" + nothing + L"\rその操作が終わってから、もう一度実行して下さい。";
    const std::wstring undone = L"\r\r前回の操作が途中で中断されていたため、その操作の前の状態に戻しました。";
    // inUse: the files held open; source: shown by the same-folder refusal.
    const struct {
        TransferOutcome outcome; Operation operation; std::wstring text; std::vector<std::wstring> inUse = {};
        std::wstring source = {}; bool interruptedRunUndone = false; MessageIcon icon = MessageIcon::Exclamation;
        bool overlayInvolved = false;
    } cases[] = {
        {NoDataSet, Install, L"このフォルダにはインストールするデータが見つからないため、" + nothing + L"\rワールドデータ・シナリオデータのフォルダからこのツールを起動して下さい。"},
        {NoDataSet, Backup, L"Torvanelフォルダにバックアップするデータが見つからないため、" + nothing},
        {NoDataSet, Restore, L"バックアップが見つからないため、" + nothing + L"\r先に「現在の状態のバックアップ」を実行して下さい。"},
        {NoDataSet, Default,
         L"このTorvanelのバージョンにはデフォルトデータが入っていない可能性があります。\r"
         L"Torvanelを最新バージョンに更新して下さい。\rなお、その場合、差分では無く、必ずファイル全部を更新して下さい。",
         {}, {}, false, MessageIcon::None},
        // The folder as the player knows it: no trailing "\" except at a drive root.
        {SameFolder, Install, sameFolder + L"C:\\Games\\Torvanel", {}, L"C:\\Games\\Torvanel\\"},
        {SameFolder, Install, sameFolder + L"C:\\", {}, L"C:\\\\"},
        {FilesInUse, Default, inUse + L"1.dat\r2.dat\r3.dat\r4.dat\ra\\5.dat",  // five are named
         {L"1.dat", L"2.dat", L"3.dat", L"4.dat", L"a\\5.dat", L"6.dat"}},
        {DestinationMissing, Backup, L"コピー先のフォルダが見つからないため、" + nothing + L"\rC:\\G"},
        {NotEnoughSpace, Install, L"コピー先のドライブの空き容量が足りないため、" + nothing + L"\rあと 2 MB以上の空きを作ってから、もう一度実行して下さい。"},
        {Busy, Restore, busy},
        {UnreadableRecord, Install, L"前回の操作の記録を読めないため、" + nothing +
         L"\rC:\\G\\~tvwork-1-2-3\r新しいバージョンのこのツールで実行するか、このフォルダの中身を確かめてから削除して下さい。"},
        // Whatever the message, an earlier run that was undone is told last.
        {Completed, Install, L"データ書き込み終了しました。" + undone, {}, {}, true, MessageIcon::None},
        // The game's own copies are told of when they took part, before an undone run.
        {Completed, Backup, L"バックアップ終了しました。\r\rWindowsが別の場所に保存していたTorvanelのデータも、同じように処理しました。" + undone,
         {}, {}, true, MessageIcon::None, true},
        {Busy, Restore, busy, {}, {}, false, MessageIcon::Exclamation, true},
        // After a recovery a refusal changed nothing else, and says so once.
        {Busy, Restore, L"別の操作がこのフォルダのデータを処理中のため、中止しました。\rその操作が終わってから、もう一度実行して下さい。" +
                            undone + L"それ以外は何も変更していません。", {}, {}, true},
        // What stands in the way is named, with what to do (links and other names: end to end).
        {CaseTwins, Install, L"大文字と小文字だけが違う名前のファイルがあるため、" + nothing +
         L"\rC:\\G\\x\rどちらか一方を別の場所に移してから、もう一度実行して下さい。"},
    };
    for (const auto& c : cases) {
        TransferReport report;
        report.outcome = c.outcome;
        report.filesInUse = c.inUse;
        report.bytesShort = 1024 * 1024 + 1;  // rounded up
        report.interruptedRunUndone = c.interruptedRunUndone;
        report.unreadableWork = L"C:\\G\\~tvwork-1-2-3";
        report.overlayInvolved = c.overlayInvolved;
        report.obstacles = {L"C:\\G\\x"};
        const app::MessageText message = ClosingMessage(c.operation, {c.source, L"C:\\G\\", L"", L""}, report);
        EXPECT_EQ(message.text, c.text) << "case " << (&c - cases);
        EXPECT_EQ(message.icon, c.icon) << "case " << (&c - cases);
    }
    // An undo that could not put an original back never says it was undone: it names it.
    TransferReport partly;
    partly.interruptedRunUndone = true;
    partly.notPutBack = {L"C:\\G\\kosei01.dat"};
    EXPECT_EQ(ClosingMessage(Install, {L"", L"C:\\G\\", L"", L""}, partly).text,
              L"データ書き込み終了しました。\r\r前回の操作が途中で中断されていたため、その操作の前の状態に戻しましたが、"
              L"次のファイルは見つからず、元に戻せませんでした。\rC:\\G\\kosei01.dat");
}

}  // namespace
