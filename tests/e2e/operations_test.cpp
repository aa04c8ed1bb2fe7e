// The four operations run through the remembered folder, checked on the folders
// afterwards and by their closing messages.
#include "e2e/program_test.h"

namespace e2e {

namespace {

constexpr std::wstring_view kNoDefaultData =
    L"このTorvanelのバージョンにはデフォルトデータが入っていない可能性があります。\r"
    L"Torvanelを最新バージョンに更新して下さい。\r"
    L"なお、その場合、差分では無く、必ずファイル全部を更新して下さい。";

constexpr const wchar_t* kBlankCopied[] = {L"Sison.dat", L"taizin_log.txt", L"syo_list.dat", L"TaizinNow.dat",
                                           L"yazirusi.dat"};

// The game folder after an Install of `package`: its nationDATA, pastDATA and
// chronology files are the package's alone, every package file is carried (music
// too), the files that are always written exist (empty when the package has none),
// and the rest is left as it was.
FileSet AfterInstall(const FileSet& game, const FileSet& package) {
    FileSet result;
    for (const auto& [name, content] : game) {
        const bool replacedSet = name.starts_with(L"nationDATA\\") || name.starts_with(L"pastDATA\\") ||
                                 name.starts_with(L"年表");
        if (!replacedSet) result[name] = content;
    }
    for (const auto& [name, content] : package) result[name] = content;
    for (const wchar_t* name : kBlankCopied) {
        if (!package.count(name)) result[name].clear();
    }
    return result;
}

class OperationsTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        WriteFiles(package_.path(), PackageData());
        WriteFiles(game_.path(), InstalledGame());
        WriteSavedPath(package_.path(), game_.path());
    }
};

TEST_F(OperationsTest, BackupThenRestoreBringsTheGameBack) {
    const FileSet game = InstalledGame();
    ASSERT_NO_FATAL_FAILURE(Start());

    const MessageBoxView backup = RunWithRememberedFolder(kBackupButton);
    EXPECT_EQ(backup.text, kBackupDone) << Show(backup.text);
    EXPECT_EQ(backup.icon, MessageIcon::None);
    for (const wchar_t* folder : {L"Backup", L"Backup\\nationDATA", L"Backup\\pastDATA", L"default"}) {
        EXPECT_TRUE(testing_support::FolderExists(Game(folder))) << testing_support::Narrow(folder);
    }
    FileSet now = FilesUnder(game_.path());
    EXPECT_EQ(Within(now, L"Backup"), BackedUpPart(game)) << Differences(BackedUpPart(game), Within(now, L"Backup"));
    EXPECT_EQ(Without(now, {L"Backup"}), game) << "Backup changed the game itself";

    // The player changes the game's data ...
    testing_support::WriteBytes(Game(L"kosei01.dat"), "changed scenario");
    testing_support::WriteBytes(Game(L"Sison.dat"), "changed");
    testing_support::WriteBytes(Game(L"nationDATA\\new.dat"), "a new nation");
    testing_support::WriteBytes(Game(L"年表4.txt"), "a new chronology");
    ::DeleteFileW(Game(L"nationDATA\\nation02.dat").c_str());
    ::DeleteFileW(Game(L"pastDATA\\past01.dat").c_str());

    // ... and Restore brings it back as it was backed up.
    const MessageBoxView restore = RunWithRememberedFolder(kRestoreButton);
    EXPECT_EQ(restore.text, kRestoreDone) << Show(restore.text);
    EXPECT_EQ(restore.icon, MessageIcon::None);
    now = FilesUnder(game_.path());
    EXPECT_EQ(Without(now, {L"Backup"}), game) << Differences(game, Without(now, {L"Backup"}));
    EXPECT_EQ(Within(now, L"Backup"), BackedUpPart(game)) << "Restore changed the backup";
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

TEST_F(OperationsTest, InstallCarriesThePackageIntoTheGame) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = OpenDialog(kInstallButton);
    ASSERT_NE(dialog, nullptr);
    Click(RememberedFolderButton(dialog));
    const MessageBoxView message = WaitForMessage();
    ASSERT_NE(message.window, nullptr);
    SaveScreenshot(message.window, L"closing-message");
    EXPECT_EQ(message.text, kInstallDone) << Show(message.text);
    EXPECT_EQ(message.title, kMainCaption);
    EXPECT_EQ(message.icon, MessageIcon::None);
    ASSERT_TRUE(PressOk(message.window));

    const FileSet expected = AfterInstall(InstalledGame(), PackageData());
    const FileSet now = FilesUnder(game_.path());
    EXPECT_EQ(now, expected) << Differences(expected, now);
    FileSet package = FilesUnder(package_.path());
    package.erase(L"PathDATA.txt");
    EXPECT_EQ(package, PackageData()) << "Install changed the package";
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

// Default needs files in the game's Default folder; without them it explains why
// nothing happens, and PrepareFolders has made an empty "default".
TEST_F(OperationsTest, DefaultNeedsDefaultData) {
    const FileSet game = InstalledGame();
    ASSERT_NO_FATAL_FAILURE(Start());

    MessageBoxView message = RunWithRememberedFolder(kDefaultButton);
    EXPECT_EQ(message.text, kNoDefaultData) << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::None);
    EXPECT_TRUE(testing_support::FolderExists(Game(L"default")));
    EXPECT_EQ(FilesUnder(game_.path()), game) << "Default without default data changed the game";

    // Subfolders alone do not count as default data.
    const FileSet defaults = {{L"nationDATA\\default-nation.dat", "default nation"},
                              {L"pastDATA\\default-past.dat", "default past"}};
    WriteFiles(Game(L"Default"), defaults);
    message = RunWithRememberedFolder(kDefaultButton);
    EXPECT_EQ(message.text, kNoDefaultData) << Show(message.text);
    EXPECT_EQ(Without(FilesUnder(game_.path()), {L"default"}), game);

    // With a file beside them the game is reset to the default data.
    testing_support::WriteBytes(Game(L"Default\\kosei01.dat"), "default scenario");
    message = RunWithRememberedFolder(kDefaultButton);
    EXPECT_EQ(message.text, kDefaultDone) << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::None);
    const FileSet now = FilesUnder(game_.path());
    EXPECT_EQ(Within(now, L"nationDATA"), Within(defaults, L"nationDATA"));
    EXPECT_EQ(Within(now, L"pastDATA"), Within(defaults, L"pastDATA"));
    EXPECT_EQ(now.at(L"kosei01.dat"), "default scenario");
    EXPECT_EQ(now.count(L"年表1.txt"), 0u) << "the chronology files come from the default data alone";
    EXPECT_EQ(now.at(L"TorvaGame.exe"), game.at(L"TorvaGame.exe"));
    Finish();
}

}  // namespace

}  // namespace e2e
