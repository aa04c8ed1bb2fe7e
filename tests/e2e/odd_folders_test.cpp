// Game folders that are not plain folders: one at a drive's root, and links, folders or
// files where the program's own names belong. Links are real Unix symbolic links, which
// Wine shows as junctions; the drive is a letter of the Wine prefix mapped onto a folder.
#include "e2e/program_test.h"
#include "platform/file_services.h"

#include <cstdio>
#include <filesystem>
#include <functional>

namespace e2e {

namespace {

namespace fs = std::filesystem;
using namespace testing_support;
using OddFolders = ProgramTest;

const std::wstring kUndone = L"\r\r前回の操作が途中で中断されていたため、その操作の前の状態に戻しました。";
const std::wstring kInstalled(app::DoneMessage(app::Operation::Install));

std::wstring LinkInTheWay(const std::wstring& path) {
    return L"次のフォルダまたはファイルがリンク（ジャンクションやシンボリックリンク）のため、中止しました。何も変更していません。\r" +
           path + L"\rリンクを普通のフォルダまたはファイルに置き換えてから、もう一度実行して下さい。";
}
std::wstring NameInTheWay(const std::wstring& path) {
    return L"次の名前のファイルまたはフォルダがあるため、中止しました。何も変更していません。\r" + path +
           L"\rこれを別の場所に移すか名前を変えてから、もう一度実行して下さい。";
}
// What Backup or Restore (which finds no backup) says after a killed Install, put back or not.
std::wstring AfterKilledInstall(int button, bool undone) {
    if (button == app::kBackupBTId) return L"バックアップ終了しました。" + (undone ? kUndone : L"");
    return undone ? L"バックアップが見つからないため、中止しました。\r先に「現在の状態のバックアップ」を実行して下さい。" + kUndone +
                        L"それ以外は何も変更していません。"
                  : L"バックアップが見つからないため、中止しました。何も変更していません。\r先に「現在の状態のバックアップ」を実行して下さい。";
}

// A small game and a package for it.
const Tree kGame{{L"!Torvanel.exe", "MZ stand-in"}, {L"nationDATA\\nation01.dat", "old nation"},
                 {L"pastDATA\\past01.dat", "old past"}, {L"kosei01.dat", "old scenario"}, {L"MAINDATA.DAT", "old main"}};
const Tree kPackage{{L"nationDATA\\nation01.dat", "new nation"}, {L"pastDATA\\past01.dat", "new past"},
                    {L"kosei01.dat", "new scenario"}, {L"MAINDATA.DAT", "new main"}};

// A real link, removed as a link (never what it leads to) when the object goes.
struct LinkMade {
    std::wstring at;
    ~LinkMade() { if (!at.empty()) (void)RemoveLink(at); }
};

// The empty folders every operation makes before anything else, as an earlier run left them,
// but none where `inTheWay` is.
void MakeEveryRunsFolders(const std::wstring& game, std::wstring_view inTheWay = {}) {
    for (const std::wstring_view name : {L"Backup\\nationDATA", L"Backup\\pastDATA", L"default"})
        if (inTheWay.empty() || !name.starts_with(inTheWay)) MakeFolders(game + L"\\" + std::wstring(name));
}

TEST_F(OddFolders, AGameAtADriveRootIsPutBackAfterAnInstallKilledAtEachStage) {
    const std::wstring sample = FromScript(L"TORVANEL_SAMPLE");
    ASSERT_FALSE(sample.empty()) << "TORVANEL_SAMPLE names no sample data set";
    const MappedDrive drive(L'R', game_.path());
    const auto freshGame = [&] {
        RemoveTree(game_.path());
        fs::copy(sample + L"\\game", game_.path(), fs::copy_options::recursive);
    };
    freshGame();
    ASSERT_TRUE(FileExists(L"R:\\TorvaGame.exe")) << "R: does not show the game folder";
    fs::copy(sample + L"\\package", package_.path(), fs::copy_options::recursive);
    WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(L"R:\\"));
    const Tree before = ReadTree(game_.path());
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_EQ(RunWithRememberedFolder(app::kInstallBTId).text, kInstalled);
    Finish();
    const Tree after = ReadTree(game_.path());
    ASSERT_TRUE(after != before);

    // Each stage waited for, then the program killed; the commit held up by a game file
    // held open, so that it stops halfway with the data folders already changed.
    const std::wstring changed = game_ / L"nationDATA\\kuni001.dat";
    const std::string newNation = ReadBytes(package_ / L"nationDATA\\kuni001.dat");
    const struct {
        const char* stage;
        std::function<bool(const LeftOver&)> reached;
        bool hold;
        int button;
    } kKills[] = {
        {"staging", [](const LeftOver& left) { return left.staged; }, false, app::kBackupBTId},
        {"committing, held up", [&](const LeftOver& left) {
             return left.journal && platform::ReadFileBytes(changed).bytes == newNation; }, true, app::kRestoreBTId},
        {"committing", [](const LeftOver& left) { return left.journal; }, false, app::kBackupBTId},
        {"cleaning up", [](const LeftOver& left) { return left.completed; }, false, app::kRestoreBTId},
    };
    for (const auto& kill : kKills) {
        SCOPED_TRACE(kill.stage);
        freshGame();
        ASSERT_NO_FATAL_FAILURE(Start());
        const HWND dialog = OpenDialog(app::kInstallBTId);
        ASSERT_NE(dialog, nullptr);
        Click(BT2(dialog));
        platform::UniqueFile held;
        if (kill.hold) {
            ASSERT_TRUE(WaitUntil([&] { return WorkFolderIn(game_.path()).found; }, 60s, 1ms));
            held = HoldWithoutSharing(game_ / L"zeloworld.dat");
        }
        const bool reached = WaitUntil([&] { return kill.reached(WorkFolderIn(game_.path())) || program_->Find(IsMessageBox); },
                                       60s, 1ms);
        ::TerminateProcess(program_->process(), 9);
        ASSERT_TRUE(program_->HasExited(5s));
        held.reset();
        const LeftOver left = WorkFolderIn(game_.path());
        const bool finished = !left.found || left.completed, undone = left.staged && !left.completed;
        EXPECT_TRUE(!kill.hold || (reached && left.journal && !finished)) << "the held-up commit was not caught";
        std::printf("  killed while %s: work folder %s\n", kill.stage, !left.found ? "gone" : left.completed ? "completed"
                                                                        : left.journal ? "with a journal" : "staging");

        ASSERT_NO_FATAL_FAILURE(Start());
        const MessageBoxView message = RunWithRememberedFolder(kill.button);
        Finish();
        EXPECT_EQ(message.text, AfterKilledInstall(kill.button, undone)) << Show(message.text);
        EXPECT_TRUE(ReadTree(game_.path(), L"Backup") == (finished ? after : before)) << "R:\\ was not put right";
        EXPECT_FALSE(WorkFolderIn(game_.path()).found) << "a work folder was left";
    }
}

// Each row breaks one rule in an otherwise plain game; the operation is refused naming the
// path, and neither the game folder nor what the link names changes.
TEST_F(OddFolders, LinksAndFoldersInTheWayAreRefusedAndNothingChanges) {
    WriteTree(package_.path(), kPackage);
    enum class Put { Folder, File, LinkToFolder, LinkToFile };
    const struct {
        const char* what;
        const wchar_t* name;  // in the game folder
        Put put;
        int button;
        std::wstring (*message)(const std::wstring&);
    } kRows[] = {
        {"lock name a link to a file outside", L"~tvlock", Put::LinkToFile, app::kInstallBTId, NameInTheWay},
        {"lock name a folder", L"~tvlock", Put::Folder, app::kInstallBTId, NameInTheWay},
        {"nationDATA a file", L"nationDATA", Put::File, app::kInstallBTId, NameInTheWay},
        {"nationDATA a link to a folder elsewhere", L"nationDATA", Put::LinkToFolder, app::kInstallBTId, LinkInTheWay},
        {"Backup a link to a folder elsewhere", L"Backup", Put::LinkToFolder, app::kBackupBTId, LinkInTheWay},
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.what);
        const TempFolder game, outside;
        const std::wstring inTheWay = game / row.name;
        const std::wstring target = row.put == Put::LinkToFile ? outside / L"kept.txt" : outside.path();
        Tree tree = kGame;
        std::erase_if(tree, [&](const auto& file) { return file.first.starts_with(row.name); });
        WriteTree(game.path(), tree);
        MakeEveryRunsFolders(game.path(), row.name);
        WriteTree(outside.path(), {{L"kept.txt", "mine"}, {L"nation01.dat", "elsewhere"}});
        LinkMade link;  // goes before the folders do
        const bool linked = row.put == Put::LinkToFolder || row.put == Put::LinkToFile;
        if (row.put == Put::Folder) WriteTree(inTheWay, {{L"kept.txt", "in the folder"}});
        if (row.put == Put::File) WriteBytes(inTheWay, "a file, not a folder");
        if (linked) {
            ASSERT_TRUE(MakeLink(link.at = inTheWay, target));
        }
        ASSERT_EQ(SameFile(inTheWay, target), linked);
        const Tree gameBefore = Snapshot(game.path()), outsideBefore = Snapshot(outside.path());
        WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(game.path()));

        ASSERT_NO_FATAL_FAILURE(Start());
        const MessageBoxView message = RunWithRememberedFolder(row.button);
        Finish();
        EXPECT_EQ(message.text, row.message(inTheWay)) << Show(message.text);
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
        EXPECT_EQ(platform::ReadFileBytes(outside / L"kept.txt").bytes, "mine") << "the file outside went";
        EXPECT_EQ(Snapshot(outside.path()), outsideBefore);
        EXPECT_EQ(Snapshot(game.path()), gameBefore);
        EXPECT_EQ(SameFile(inTheWay, target), linked) << "the link went";
    }
}

}  // namespace

}  // namespace e2e
