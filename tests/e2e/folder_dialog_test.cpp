// The game-folder dialog as a player meets it: the remembered folder on BT2, the
// close box, and the shell folder browser through BT1.
#include "e2e/program_test.h"

#include <optional>

namespace e2e {

namespace {

constexpr std::wstring_view kNoExecutable = L"exeが見つかりません。Torvanelフォルダで無い可能性があります。";
constexpr std::wstring_view kBrowserTitle = L"Torvanelフォルダを選択してください";

using FolderDialogTest = ProgramTest;

void CloseWithCloseBox(HWND dialog) {
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << "the dialog did not close";
}

// What the saved-path file holds and what BT2 then offers, read again at every showing.
TEST_F(FolderDialogTest, RememberedFolderIsReadAtEveryShowing) {
    struct Case {
        const char* what;
        std::optional<std::wstring> fileText;  // none: no "PathDATA.txt"
        std::wstring caption;
        bool enabled;
    };
    const Case cases[] = {
        {"first run: no saved-path file", std::nullopt, std::wstring(kNoSavedPathCaption), false},
        {"a folder with a comma and a 0x5C trail byte", L"C:\\Games\\Torvanel 表,ver2\r\n",
         SavedPathCaption(L"C:\\Games\\Torvanel 表,ver2"), true},
        {"a folder that starts with blanks", L"  C:\\Torvanel\r\n", SavedPathCaption(L"  C:\\Torvanel"), true},
        {"no line end after the folder", L"D:\\Torvanel", SavedPathCaption(L"D:\\Torvanel"), true},
        {"an empty first line", L"\r\nC:\\second line\r\n", std::wstring(kNoSavedPathCaption), false},
        {"a first line of blanks", L"   \r\n", std::wstring(kNoSavedPathCaption), false},
    };
    ASSERT_NO_FATAL_FAILURE(Start());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.fileText) {
            testing_support::WriteBytes(package_ / L"PathDATA.txt", Ansi(*c.fileText));
        } else {
            ::DeleteFileW((package_ / L"PathDATA.txt").c_str());
        }
        HWND dialog = OpenDialog(kInstallButton);
        ASSERT_NE(dialog, nullptr);
        HWND remembered = RememberedFolderButton(dialog);
        ASSERT_NE(remembered, nullptr);
        EXPECT_EQ(TextOf(remembered), c.caption) << Show(TextOf(remembered));
        EXPECT_EQ(::IsWindowEnabled(remembered) != FALSE, c.enabled);
        CloseWithCloseBox(dialog);
    }
    Finish();
}

// Whichever operation opened it, closing the dialog ends the operation: no folder
// made, no file copied, no message.
TEST_F(FolderDialogTest, CloseBoxEndsTheOperationQuietly) {
    const FileSet game = InstalledGame();
    WriteFiles(game_.path(), game);
    WriteFiles(package_.path(), PackageData());
    WriteSavedPath(package_.path(), game_.path());
    ASSERT_NO_FATAL_FAILURE(Start());
    for (std::wstring_view button : {kBackupButton, kInstallButton, kRestoreButton, kDefaultButton}) {
        SCOPED_TRACE(Show(button));
        HWND dialog = OpenDialog(button);
        ASSERT_NE(dialog, nullptr);
        if (button == kInstallButton) {
            ::PostMessageW(dialog, WM_CLOSE, 0, 0);
            EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
        } else {
            CloseWithCloseBox(dialog);
        }
        EXPECT_TRUE(OnlyMainWindowShows()) << "a window showed after the dialog was closed";
        EXPECT_TRUE(::IsWindowEnabled(main_));
    }
    EXPECT_EQ(FilesUnder(game_.path()), game) << Differences(game, FilesUnder(game_.path()));
    for (const wchar_t* folder : {L"Backup", L"default"}) EXPECT_FALSE(testing_support::FolderExists(Game(folder)));
    Finish();
}

// Cancelling the browser before any folder was picked tests the drive's root, which
// holds no game: the exclamation message, and the dialog stays.
TEST_F(FolderDialogTest, CancelledBrowserWithNothingPicked) {
    WriteFiles(game_.path(), InstalledGame());
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = OpenDialog(kBackupButton);
    ASSERT_NE(dialog, nullptr);
    Click(DialogButton(dialog, kBrowseButton));
    HWND browser = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (browser = program_->FindFolderBrowser()) != nullptr; }))
        << "the folder browser did not open";
    EXPECT_NE(ChildWithText(browser, kBrowserTitle), nullptr) << "the browser does not show its title";
    CancelFolderBrowser(browser);

    const MessageBoxView message = WaitForMessage();
    EXPECT_EQ(message.text, kNoExecutable) << Show(message.text);
    EXPECT_EQ(message.title, kMainCaption);
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    ASSERT_TRUE(PressOk(message.window));
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "the dialog closed after the refusal";

    CloseWithCloseBox(dialog);
    EXPECT_TRUE(OnlyMainWindowShows());
    EXPECT_FALSE(testing_support::FileExists(package_ / L"PathDATA.txt"));
    EXPECT_FALSE(testing_support::FolderExists(Game(L"Backup")));
    Finish();
}

// A folder picked in the browser is tested, remembered in "PathDATA.txt" (code page
// 932, CR LF), offered on BT2 next time, and picked again when the browser is cancelled.
TEST_F(FolderDialogTest, PickedFolderIsCheckedRememberedAndReused) {
    // Only "!Torvanel.exe" marks this game folder; its name needs code page 932.
    const std::wstring folder = Game(L"トルヴァネル表");
    FileSet game = InstalledGame();
    game.erase(L"TorvaGame.exe");
    game[L"!Torvanel.exe"] = "MZ stand-in for the older game";
    WriteFiles(folder, game);
    WriteFiles(package_.path(), PackageData());
    ASSERT_NO_FATAL_FAILURE(Start());

    HWND dialog = OpenDialog(kBackupButton);
    ASSERT_NE(dialog, nullptr);
    Click(DialogButton(dialog, kBrowseButton));
    HWND browser = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (browser = program_->FindFolderBrowser()) != nullptr; }));
    ASSERT_TRUE(PickInFolderBrowser(*program_, browser, folder));
    MessageBoxView message = WaitForMessage();
    EXPECT_EQ(message.text, kBackupDone) << Show(message.text);
    ASSERT_TRUE(PressOk(message.window));
    EXPECT_EQ(testing_support::ReadBytes(package_ / L"PathDATA.txt"), Ansi(folder) + "\r\n");
    EXPECT_EQ(Within(FilesUnder(folder), L"Backup"), BackedUpPart(game));

    // The next showing offers the folder on BT2.
    dialog = OpenDialog(kRestoreButton);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(RememberedFolderButton(dialog)), SavedPathCaption(folder));
    CloseWithCloseBox(dialog);

    // Cancelling the browser now confirms the folder picked before.
    testing_support::WriteBytes(folder + L"\\kosei01.dat", "changed after the backup");
    dialog = OpenDialog(kBackupButton);
    ASSERT_NE(dialog, nullptr);
    Click(DialogButton(dialog, kBrowseButton));
    ASSERT_TRUE(WaitUntil([&] { return (browser = program_->FindFolderBrowser()) != nullptr; }));
    CancelFolderBrowser(browser);
    message = WaitForMessage();
    EXPECT_EQ(message.text, kBackupDone) << Show(message.text);
    ASSERT_TRUE(PressOk(message.window));
    EXPECT_EQ(testing_support::ReadBytes(folder + L"\\Backup\\kosei01.dat"), "changed after the backup");
    Finish();
}

}  // namespace

}  // namespace e2e
