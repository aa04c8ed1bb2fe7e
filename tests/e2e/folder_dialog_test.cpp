// The game-folder dialog as a player meets it: the close box, and a first run
// without "PathDATA.txt" through the shell folder browser, until the remembered
// folder no longer holds the game.
#include "e2e/program_test.h"

namespace e2e {

namespace {

using FolderDialogTest = ProgramTest;

constexpr std::wstring_view kExeNotFound = L"exeが見つかりません。Torvanelフォルダで無い可能性があります。";

void CloseWithCloseBox(HWND dialog) {
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << "the dialog did not close";
}

// Whichever operation opened it, closing the dialog ends the operation: no folder
// made, no file copied, no message.
TEST_F(FolderDialogTest, CloseBoxEndsTheOperationQuietly) {
    PrepareGameAndPackage();
    ASSERT_NO_FATAL_FAILURE(Start());
    for (std::wstring_view button : {kBackupButton, kInstallButton, kRestoreButton, kDefaultButton}) {
        SCOPED_TRACE(Show(button));
        HWND dialog = OpenDialog(button);
        ASSERT_NE(dialog, nullptr);
        CloseWithCloseBox(dialog);
        EXPECT_TRUE(OnlyMainWindowShows()) << "a window showed after the dialog was closed";
        EXPECT_TRUE(::IsWindowEnabled(main_));
    }
    EXPECT_EQ(Snapshot(game_.path()), InstalledGame());
    for (const wchar_t* folder : {L"Backup", L"default"}) EXPECT_FALSE(testing_support::FolderExists(Game(folder)));
    Finish();
}

// With no saved folder BT2 is disabled. Cancelling the browser before any folder was
// picked tests the drive's root, which holds no game: the exclamation message, and
// the dialog stays. A folder picked then is tested, remembered in "PathDATA.txt" and
// offered on BT2 at the next showing. Once the game has gone from it, BT2 refuses it
// as the browser would.
TEST_F(FolderDialogTest, FirstRunThroughTheFolderBrowserUntilTheGameMoves) {
    // Only "!Torvanel.exe" marks this game folder; its name needs code page 932.
    const std::wstring folder = Game(L"トルヴァネル表");
    FileSet game = InstalledGame();
    game[L"!Torvanel.exe"] = game[L"TorvaGame.exe"];
    game.erase(L"TorvaGame.exe");
    WriteFiles(folder, game);
    WriteFiles(package_.path(), PackageData());
    ASSERT_NO_FATAL_FAILURE(Start());

    HWND dialog = OpenDialog(kBackupButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(BT2(dialog)), L"前回保存したパス名が残っていないため、このボタンは選択できません。")
        << Show(TextOf(BT2(dialog)));
    EXPECT_FALSE(::IsWindowEnabled(BT2(dialog)));

    Click(BT1(dialog));
    HWND browser = program_->WaitFor(IsFolderBrowser);
    ASSERT_NE(browser, nullptr) << "the folder browser did not open";
    EXPECT_NE(ChildWithText(browser, L"Torvanelフォルダを選択してください"), nullptr) << "the browser shows no title";
    Click(::GetDlgItem(browser, IDCANCEL));
    MessageBoxView message = WaitForMessage();
    EXPECT_EQ(message.text, kExeNotFound) << Show(message.text);
    EXPECT_EQ(message.title, kMainCaption);
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    ASSERT_TRUE(PressOk(message.window));
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "the dialog closed after the refusal";
    EXPECT_FALSE(testing_support::FileExists(package_ / L"PathDATA.txt"));

    Click(BT1(dialog));
    ASSERT_NE(browser = program_->WaitFor(IsFolderBrowser), nullptr);
    ASSERT_TRUE(PickInFolderBrowser(program_->process(), browser, folder));
    message = WaitForMessage();
    EXPECT_EQ(message.text, kBackupDone) << Show(message.text);
    ASSERT_TRUE(PressOk(message.window));
    EXPECT_EQ(testing_support::ReadBytes(package_ / L"PathDATA.txt"), SavedPathBytes(folder));
    EXPECT_EQ(Snapshot(folder + L"\\Backup"), BackedUpPart(game));

    ASSERT_TRUE(::DeleteFileW((folder + L"\\!Torvanel.exe").c_str()));
    const FileSet left = Snapshot(folder);
    dialog = OpenDialog(kInstallButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(BT2(dialog)), SavedPathCaption(folder)) << Show(TextOf(BT2(dialog)));
    EXPECT_TRUE(::IsWindowEnabled(BT2(dialog)));
    Click(BT2(dialog));
    message = WaitForMessage();
    EXPECT_EQ(message.text, kExeNotFound) << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    ASSERT_TRUE(PressOk(message.window));
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "the dialog closed after the refusal";
    CloseWithCloseBox(dialog);
    EXPECT_EQ(Snapshot(folder), left);
    Finish();
}

}  // namespace

}  // namespace e2e
