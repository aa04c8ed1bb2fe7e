// When an operation would destroy data it refuses, says why with the exclamation
// icon and changes nothing; when single files fail, the closing message names them.
#include "e2e/program_test.h"

#include "platform/unique_handle.h"

namespace e2e {

namespace {

constexpr std::wstring_view kNothingChanged = L"中止しました。何も変更していません。";

enum class Tail {
    None,        // the text is exactly the expected lines
    GameFolder,  // then CR and the game folder
    HeldFile,    // then CR and lines naming the file held open
};

struct Refusal {
    const char* name;
    std::wstring_view button;
    bool withPackage;   // the current folder holds the package's data
    bool withGameData;  // the game folder holds an installed data set, not just the executable
    bool gameIsCurrentFolder;
    const wchar_t* heldOpen;  // a game file the test holds open without sharing, or null
    std::wstring text;
    Tail tail;
};

const Refusal kRefusals[] = {
    {"RestoreWithoutBackup", kRestoreButton, true, true, false, nullptr,
     L"バックアップが見つからないため、" + std::wstring(kNothingChanged) +
         L"\r先に「現在の状態のバックアップ」を実行して下さい。",
     Tail::None},
    {"BackupOfAGameWithoutData", kBackupButton, true, false, false, nullptr,
     L"Torvanelフォルダにバックアップするデータが見つからないため、" + std::wstring(kNothingChanged), Tail::None},
    {"InstallFromAFolderWithoutData", kInstallButton, false, true, false, nullptr,
     L"このフォルダにはインストールするデータが見つからないため、" + std::wstring(kNothingChanged) +
         L"\rワールドデータ・シナリオデータのフォルダからこのツールを起動して下さい。",
     Tail::None},
    {"InstallStartedInTheGameFolder", kInstallButton, true, true, true, nullptr,
     L"コピー元とコピー先が同じフォルダのため、" + std::wstring(kNothingChanged), Tail::GameFolder},
    {"InstallWhileTheGameHoldsAFile", kInstallButton, true, true, false, L"kosei01.dat",
     L"Torvanelが起動中の可能性があるため、" + std::wstring(kNothingChanged) +
         L"\rTorvanelを終了してから、もう一度実行して下さい。",
     Tail::HeldFile},
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

std::vector<std::wstring> Lines(std::wstring_view text) {
    std::vector<std::wstring> lines(1);
    for (wchar_t c : text) {
        if (c == L'\r') {
            lines.emplace_back();
        } else if (c != L'\n') {
            lines.back() += c;
        }
    }
    return lines;
}

class RefusalTest : public ProgramTest, public testing::WithParamInterface<Refusal> {};

TEST_P(RefusalTest, ExplainsAndChangesNothing) {
    const Refusal& refusal = GetParam();
    const std::wstring gameFolder = refusal.gameIsCurrentFolder ? package_.path() : game_.path();
    FileSet game = {{L"TorvaGame.exe", "MZ stand-in for the game"}};
    if (refusal.withGameData) game = InstalledGame();
    WriteFiles(gameFolder, game);
    if (refusal.withPackage && !refusal.gameIsCurrentFolder) WriteFiles(package_.path(), PackageData());
    WriteSavedPath(package_.path(), gameFolder);
    const FileSet before = FilesUnder(gameFolder);

    platform::UniqueFile held;
    if (refusal.heldOpen) {
        held.reset(::CreateFileW((gameFolder + L"\\" + refusal.heldOpen).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                 nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(held.valid());
    }
    ASSERT_NO_FATAL_FAILURE(Start());
    const MessageBoxView message = RunWithRememberedFolder(refusal.button);
    held.reset();

    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    const std::wstring_view text = message.text;
    EXPECT_TRUE(text.starts_with(refusal.text)) << Show(text);
    const std::wstring_view rest = text.substr(std::min(text.size(), refusal.text.size()));
    switch (refusal.tail) {
        case Tail::None:
            EXPECT_EQ(rest, L"") << Show(text);
            break;
        case Tail::GameFolder:
            EXPECT_TRUE(rest == L"\r" + gameFolder || rest == L"\r" + gameFolder + L"\\") << Show(text);
            break;
        case Tail::HeldFile:
            EXPECT_TRUE(rest.starts_with(L"\r")) << Show(text);
            EXPECT_NE(rest.find(refusal.heldOpen), std::wstring_view::npos) << Show(text);
            EXPECT_LE(Lines(rest).size(), 1u + 5u) << "at most five files are named";
            break;
    }
    const FileSet after = FilesUnder(gameFolder);
    EXPECT_EQ(after, before) << Differences(before, after);
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

INSTANTIATE_TEST_SUITE_P(EachRefusal, RefusalTest, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<Refusal>& test) { return std::string(test.param.name); });

using FailureReportTest = ProgramTest;

// A read-only game file cannot be replaced: Install still carries everything else
// and its closing message names that file, with the warning icon.
TEST_F(FailureReportTest, InstallNamesAFileItCouldNotReplace) {
    const FileSet game = InstalledGame();
    WriteFiles(game_.path(), game);
    WriteFiles(package_.path(), PackageData());
    WriteSavedPath(package_.path(), game_.path());
    testing_support::SetAttributes(Game(L"kosei01.dat"), FILE_ATTRIBUTE_READONLY);
    ASSERT_NO_FATAL_FAILURE(Start());

    const MessageBoxView message = RunWithRememberedFolder(kInstallButton);
    const std::vector<std::wstring> lines = Lines(message.text);
    ASSERT_EQ(lines.size(), 4u) << Show(message.text);
    EXPECT_EQ(lines[0], kInstallDone);
    EXPECT_EQ(lines[1], L"");
    EXPECT_EQ(lines[2], L"ただし、次のファイルはコピーまたは削除できませんでした。");
    EXPECT_TRUE(lines[3].starts_with(L"kosei01.dat：")) << Show(lines[3]);
    EXPECT_GT(lines[3].size(), std::wstring_view(L"kosei01.dat：").size()) << "no error text after the name";
    // MB_ICONWARNING and MB_ICONEXCLAMATION are one icon.
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);

    const FileSet now = FilesUnder(game_.path());
    EXPECT_EQ(now.at(L"kosei01.dat"), game.at(L"kosei01.dat"));
    EXPECT_EQ(Within(now, L"nationDATA"), Within(PackageData(), L"nationDATA"));
    EXPECT_EQ(now.at(L"kosei02.dat"), PackageData().at(L"kosei02.dat"));
    Finish();
}

}  // namespace

}  // namespace e2e
