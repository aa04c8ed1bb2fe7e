// When an operation would destroy data it refuses, says why and changes nothing
// (Default without default data only explains); when single files fail, the closing
// message names them.
#include "e2e/program_test.h"

#include "platform/file_services.h"

namespace e2e {

namespace {

constexpr std::wstring_view kNothingChanged = L"中止しました。何も変更していません。";

enum class Given {
    GameAndPackage,
    GameWithoutData,      // the game folder holds only the executable
    PackageWithoutData,   // the current folder holds nothing to install
    GameIsCurrentFolder,  // the message then names the folder
    GameFileHeldOpen,     // kosei01.dat, without sharing; the message then names it
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

    platform::UniqueFile held;
    if (given == Given::GameFileHeldOpen) {
        held.reset(::CreateFileW(Game(L"kosei01.dat").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.valid());
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    const MessageBoxView message = RunWithRememberedFolder(refusal.button);
    held.reset();

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

using FailureReportTest = ProgramTest;

// A read-only game file cannot be replaced: Install still carries everything else
// and its closing message names that file, with the warning icon.
TEST_F(FailureReportTest, InstallNamesAFileItCouldNotReplace) {
    PrepareGameAndPackage();
    testing_support::SetAttributes(Game(L"kosei01.dat"), FILE_ATTRIBUTE_READONLY);
    ASSERT_NO_FATAL_FAILURE(Start());

    const MessageBoxView message = RunWithRememberedFolder(kInstallButton);
    EXPECT_EQ(message.text, std::wstring(kInstallDone) + L"\r\rただし、次のファイルはコピーまたは削除できませんでした。" +
                                L"\rkosei01.dat：" + platform::ErrorText(ERROR_ACCESS_DENIED))
        << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::Exclamation) << "MB_ICONWARNING and MB_ICONEXCLAMATION are one icon";
    const FileSet now = Snapshot(game_.path());
    EXPECT_EQ(now.at(L"kosei01.dat"), InstalledGame().at(L"kosei01.dat"));
    EXPECT_EQ(now.at(L"kosei02.dat"), PackageData().at(L"kosei02.dat"));
    Finish();
}

}  // namespace

}  // namespace e2e
