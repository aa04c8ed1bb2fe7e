// When an operation cannot complete it refuses, says why and changes nothing
// (Default without default data only explains).
#include "e2e/program_test.h"

#include "platform/file_services.h"
#include "platform/folder_lock.h"

#include <optional>

namespace e2e {

namespace {

constexpr std::wstring_view kNothingChanged = L"中止しました。何も変更していません。";

enum class Given {
    GameAndPackage,
    GameWithoutData,      // the game folder holds only the executable
    PackageWithoutData,   // the current folder holds nothing to install
    GameIsCurrentFolder,  // the message then names the folder
    GameFileHeldOpen,     // kosei01.dat, without sharing; the message then names it
    GameFileReadOnly,     // kosei01.dat; the message then names it
    AnotherRunInTheGame,  // another run of the program holds the game folder
};

struct Refusal {
    const char* name;
    Given given;
    std::wstring_view button;
    std::wstring text;
    MessageIcon icon = MessageIcon::Exclamation;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

const Refusal kRefusals[] = {
    {"RestoreWithoutBackup", Given::GameAndPackage, kRestoreButton,
     L"バックアップが見つからないため、" + std::wstring(kNothingChanged) +
         L"\r先に「現在の状態のバックアップ」を実行して下さい。"},
    {"BackupOfAGameWithoutData", Given::GameWithoutData, kBackupButton,
     L"Torvanelフォルダにバックアップするデータが見つからないため、" + std::wstring(kNothingChanged)},
    {"InstallFromAFolderWithoutData", Given::PackageWithoutData, kInstallButton,
     L"このフォルダにはインストールするデータが見つからないため、" + std::wstring(kNothingChanged) +
         L"\rワールドデータ・シナリオデータのフォルダからこのツールを起動して下さい。"},
    {"InstallStartedInTheGameFolder", Given::GameIsCurrentFolder, kInstallButton,
     L"コピー元とコピー先が同じフォルダのため、" + std::wstring(kNothingChanged)},
    {"InstallWhileTheGameHoldsAFile", Given::GameFileHeldOpen, kInstallButton,
     L"Torvanelが起動中の可能性があるため、" + std::wstring(kNothingChanged) +
         L"\rTorvanelを終了してから、もう一度実行して下さい。"},
    {"InstallOverAReadOnlyGameFile", Given::GameFileReadOnly, kInstallButton,
     L"次のファイルをコピーまたは削除できなかったため、" + std::wstring(kNothingChanged) + L"\rkosei01.dat："},
    {"InstallWhileAnotherRunHoldsTheGameFolder", Given::AnotherRunInTheGame, kInstallButton,
     L"別の操作がこのフォルダのデータを処理中のため、" + std::wstring(kNothingChanged) +
         L"\rその操作が終わってから、もう一度実行して下さい。"},
    {"DefaultWithoutDefaultData", Given::GameAndPackage, kDefaultButton,
     L"このTorvanelのバージョンにはデフォルトデータが入っていない可能性があります。\r"
     L"Torvanelを最新バージョンに更新して下さい。\r"
     L"なお、その場合、差分では無く、必ずファイル全部を更新して下さい。",
     MessageIcon::None},
};

class RefusalTest : public ProgramTest, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, ExplainsAndChangesNothing) {
    const Refusal& refusal = GetParam();
    const Given given = refusal.given;
    const std::wstring gameFolder = given == Given::GameIsCurrentFolder ? package_.path() : game_.path();
    WriteFiles(gameFolder, given == Given::GameWithoutData ? FileSet{{L"TorvaGame.exe", "MZ"}} : InstalledGame());
    if (given != Given::PackageWithoutData && given != Given::GameIsCurrentFolder) {
        WriteFiles(package_.path(), PackageData());
    }
    testing_support::WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(gameFolder));
    const FileSet before = Snapshot(gameFolder);
    std::wstring expected = refusal.text;
    if (given == Given::GameIsCurrentFolder) expected += L"\r" + gameFolder;
    if (given == Given::GameFileHeldOpen) expected += L"\rkosei01.dat";
    if (given == Given::GameFileReadOnly) {
        expected += platform::ErrorText(ERROR_ACCESS_DENIED);
        testing_support::SetAttributes(Game(L"kosei01.dat"), FILE_ATTRIBUTE_READONLY);
    }
    // The lock a second copy of the program would hold, taken in this process.
    std::optional<platform::FolderLock> otherRun;
    if (given == Given::AnotherRunInTheGame) otherRun.emplace(gameFolder);

    platform::UniqueFile held;
    if (given == Given::GameFileHeldOpen) {
        held.reset(::CreateFileW(Game(L"kosei01.dat").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.valid());
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    const MessageBoxView message = RunWithRememberedFolder(refusal.button);
    held.reset();
    otherRun.reset();

    EXPECT_EQ(message.text, expected) << Show(message.text);
    EXPECT_EQ(message.icon, refusal.icon);
    EXPECT_EQ(Snapshot(gameFolder), before);
    // The folders an operation needs are made before it starts, empty.
    EXPECT_TRUE(testing_support::FolderExists(gameFolder + L"\\default"));
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

INSTANTIATE_TEST_SUITE_P(EachRefusal, RefusalTest, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<Refusal>& test) { return std::string(test.param.name); });

}  // namespace

}  // namespace e2e

namespace e2e {

namespace {

// Run by as_ordinary_user.sh: a game folder this user may read but not write.
TEST(NotWritable, GameFolderThePlayerCannotWriteIsRefusedWithTheWayOut) {
    const wchar_t* prepared = ::_wgetenv(L"TORVANEL_READONLY_GAME");
    ASSERT_NE(prepared, nullptr) << "run through as_ordinary_user.sh";
    const std::wstring work = WindowsPath(prepared);
    const std::wstring game = work + L"\\game";
    testing_support::WriteBytes(work + L"\\package\\PathDATA.txt", SavedPathBytes(game));
    const FileSet before = Snapshot(game);

    RunningProgram program(ProgramPath(), work + L"\\package");
    const HWND main = program.WaitFor(Captioned(kMainCaption));
    ASSERT_NE(main, nullptr);
    Click(ChildWithText(main, kInstallButton));
    const HWND dialog = program.WaitFor(Captioned(kDialogCaption));
    ASSERT_NE(dialog, nullptr);
    Click(BT2(dialog));
    const HWND box = program.WaitFor(IsMessageBox);
    ASSERT_NE(box, nullptr);
    const MessageBoxView message = ReadMessageBox(box);
    EXPECT_EQ(message.text, L"Torvanelフォルダに書き込めないため、" + std::wstring(kNothingChanged) + L"\r" + game +
                                L"\rこのツールを右クリックして「管理者として実行」するか、"
                                L"TorvanelフォルダをProgram Files以外の場所に移して下さい。")
        << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    EXPECT_TRUE(PressOk(box));
    EXPECT_TRUE(program.Close(main));
    EXPECT_EQ(Snapshot(game), before);
}

}  // namespace

}  // namespace e2e
