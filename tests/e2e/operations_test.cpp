// A whole Backup and Restore through the remembered folder, checked on the folders
// afterwards and by their closing messages.
#include "e2e/program_test.h"

namespace e2e {

namespace {

using OperationsTest = ProgramTest;

TEST_F(OperationsTest, BackupThenRestoreBringsTheGameBack) {
    PrepareGameAndPackage();
    const FileSet game = InstalledGame();
    ASSERT_NO_FATAL_FAILURE(Start());

    MessageBoxView message = RunWithRememberedFolder(kBackupButton, L"closing-message");
    EXPECT_EQ(message.text, kBackupDone) << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::None);
    EXPECT_EQ(Snapshot(Game(L"Backup")), BackedUpPart(game));
    EXPECT_EQ(Snapshot(game_.path(), L"Backup"), game) << "Backup changed the game itself";

    // The player changes the game's data ...
    testing_support::WriteBytes(Game(L"kosei01.dat"), "changed scenario");
    testing_support::WriteBytes(Game(L"nationDATA\\new.dat"), "a new nation");
    ::DeleteFileW(Game(L"pastDATA\\past01.dat").c_str());

    // ... and Restore brings it back as it was backed up.
    message = RunWithRememberedFolder(kRestoreButton);
    EXPECT_EQ(message.text, kRestoreDone) << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::None);
    EXPECT_EQ(Snapshot(game_.path(), L"Backup"), game);
    EXPECT_EQ(Snapshot(Game(L"Backup")), BackedUpPart(game)) << "Restore changed the backup";
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

}  // namespace

}  // namespace e2e
