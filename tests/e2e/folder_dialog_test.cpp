// A first run without "PathDATA.txt", through the shell folder browser, until the
// remembered folder no longer holds the game.
#include "e2e/program_test.h"

#include <algorithm>

namespace e2e {

namespace {

using FolderDialogTest = ProgramTest;

// With no saved folder BT2 is disabled. Cancelling the browser before any folder was
// picked tests the drive's root, which holds no game: the exclamation message, and
// the dialog stays. A folder picked then is tested, remembered in "PathDATA.txt" and
// offered on BT2 at the next showing. Once the game has gone from it, BT2 refuses it
// as the browser would.
TEST_F(FolderDialogTest, FirstRunThroughTheFolderBrowserUntilTheGameMoves) {
    // Only "!Torvanel.exe" marks this game folder; its name needs code page 932.
    const std::wstring folder = Game(L"トルヴァネル表");
    Tree game = InstalledGame();
    game[L"!Torvanel.exe"] = game[L"TorvaGame.exe"];
    game.erase(L"TorvaGame.exe");
    testing_support::WriteTree(folder, game);
    testing_support::WriteTree(package_.path(), PackageData());
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto expectRefusal = [&](HWND dialog) {
        const MessageBoxView message = WaitForMessage();
        EXPECT_EQ(message.text, L"exeが見つかりません。Torvanelフォルダで無い可能性があります。") << Show(message.text);
        EXPECT_EQ(message.title, app::kProgramTitle);
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
        EXPECT_TRUE(message.window && PressOk(message.window));
        EXPECT_TRUE(::IsWindowVisible(dialog)) << "the dialog closed after the refusal";
    };

    HWND dialog = OpenDialog(app::kBackupBTId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(BT2(dialog)), L"前回保存したパス名が残っていないため、このボタンは選択できません。") << Show(TextOf(BT2(dialog)));
    EXPECT_FALSE(::IsWindowEnabled(BT2(dialog)));
    Click(BT1(dialog));
    HWND browser = program_->WaitFor(IsFolderBrowser);
    ASSERT_NE(browser, nullptr) << "the folder browser did not open";
    EXPECT_TRUE(std::ranges::any_of(ChildrenInOrder(browser),
                                    [](HWND child) { return TextOf(child) == L"Torvanelフォルダを選択してください"; }))
        << "the browser shows no title";
    Click(::GetDlgItem(browser, IDCANCEL));
    expectRefusal(dialog);
    EXPECT_FALSE(testing_support::FileExists(package_ / L"PathDATA.txt"));

    Click(BT1(dialog));
    ASSERT_NE(browser = program_->WaitFor(IsFolderBrowser), nullptr);
    ASSERT_TRUE(PickInFolderBrowser(program_->process(), browser, folder));
    MessageBoxView message = WaitForMessage();
    EXPECT_EQ(message.text, L"バックアップ終了しました。") << Show(message.text);
    ASSERT_TRUE(PressOk(message.window));
    EXPECT_EQ(testing_support::ReadBytes(package_ / L"PathDATA.txt"), SavedPathBytes(folder));
    EXPECT_EQ(testing_support::ReadTree(folder + L"\\Backup"), BackedUpPart(game));

    ASSERT_TRUE(::DeleteFileW((folder + L"\\!Torvanel.exe").c_str()));
    const Tree left = testing_support::ReadTree(folder);
    dialog = OpenDialog(app::kInstallBTId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(BT2(dialog)), L"前回保存したパス名、\r" + folder + L"\rを選択する。") << Show(TextOf(BT2(dialog)));
    Click(BT2(dialog));
    expectRefusal(dialog);
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << "the dialog did not close";
    EXPECT_EQ(testing_support::ReadTree(folder), left);
    Finish();
}

}  // namespace

}  // namespace e2e
