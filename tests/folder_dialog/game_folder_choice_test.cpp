#include "folder_dialog/game_folder_choice.h"

#include "folder_dialog/current_folder_scope.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using folder_dialog::BrowseOutcome;
using folder_dialog::GameFolderChoice;
using folder_dialog::GameFolderSelection;
using folder_dialog::SavedPathFile;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

// Answers each browse with the next scripted pick (nothing = cancelled).
class ScriptedBrowser : public folder_dialog::FolderBrowser {
public:
    explicit ScriptedBrowser(std::deque<std::optional<std::wstring>> picks) : picks_(std::move(picks)) {}
    std::optional<std::wstring> BrowseForFolder() override {
        ++calls;
        if (picks_.empty()) return std::nullopt;
        std::optional<std::wstring> pick = std::move(picks_.front());
        picks_.pop_front();
        return pick;
    }
    int calls = 0;

private:
    std::deque<std::optional<std::wstring>> picks_;
};

// A temporary folder with the saved-path file, a game folder and a folder that is not one.
struct Fixture {
    TempFolder temp;
    std::wstring savedPath = temp / L"PathDATA.txt";
    std::wstring game = temp / L"Torvanel";
    std::wstring notGame = temp / L"Other";

    Fixture() {
        WriteBytes(game + L"\\TorvaGame.exe", "MZ");
        testing_support::MakeFolders(notGame);
    }
};

TEST(GameFolderChoice, FirstRunWithoutSavedFileDisablesBt2) {
    Fixture f;
    GameFolderSelection selection{L"C:\\Before", false};
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));

    const folder_dialog::SecondButtonState bt2 = choice.Load();
    EXPECT_FALSE(bt2.enabled);
    EXPECT_EQ(bt2.caption, L"前回保存したパス名が残っていないため、このボタンは選択できません。");
    EXPECT_EQ(selection.GameFolder, L"C:\\Before");
    EXPECT_FALSE(choice.ConfirmSavedFolder());
    EXPECT_FALSE(selection.SelectionConfirmed);
}

TEST(GameFolderChoice, BlankSavedLineCountsAsNotFound) {
    Fixture f;
    WriteBytes(f.savedPath, "   \r\n");
    GameFolderSelection selection{L"C:\\Before", false};
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));

    EXPECT_FALSE(choice.Load().enabled);
    EXPECT_EQ(selection.GameFolder, L"C:\\Before");
    EXPECT_FALSE(choice.ConfirmSavedFolder());
}

TEST(GameFolderChoice, SavedFolderShowsInBt2OnThreeLinesAndConfirmsUntested) {
    Fixture f;
    WriteBytes(f.savedPath, "X:\\gone, but remembered\r\n");
    GameFolderSelection selection;
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));

    const folder_dialog::SecondButtonState bt2 = choice.Load();
    EXPECT_TRUE(bt2.enabled);
    EXPECT_EQ(bt2.caption, L"前回保存したパス名、\rX:\\gone, but remembered\rを選択する。");
    EXPECT_EQ(selection.GameFolder, L"X:\\gone, but remembered");

    // The folder no longer exists; BT2 confirms it all the same.
    EXPECT_TRUE(choice.ConfirmSavedFolder());
    EXPECT_TRUE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, L"X:\\gone, but remembered");
}

TEST(GameFolderChoice, BrowsedFolderNeedsOneOfTheTwoExecutables) {
    struct Case {
        const char* what;
        std::vector<std::wstring> files;  // in the picked folder
        BrowseOutcome expected;
    };
    const Case cases[] = {
        {"TorvaGame.exe", {L"TorvaGame.exe"}, BrowseOutcome::Confirmed},
        {"only !Torvanel.exe", {L"!Torvanel.exe"}, BrowseOutcome::Confirmed},
        {"both", {L"TorvaGame.exe", L"!Torvanel.exe"}, BrowseOutcome::Confirmed},
        {"name in other case", {L"torvagame.EXE"}, BrowseOutcome::Confirmed},
        {"neither", {L"Torvanel.exe", L"readme.txt"}, BrowseOutcome::NotAGameFolder},
        {"folder named like the exe", {L"TorvaGame.exe\\inside.txt"}, BrowseOutcome::NotAGameFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder temp;
        const std::wstring picked = temp / L"picked";
        testing_support::MakeFolders(picked);
        for (const std::wstring& file : c.files) WriteBytes(picked + L"\\" + file, "MZ");
        WriteBytes(temp / L"PathDATA.txt", "C:\\Before\r\n");

        GameFolderSelection selection;
        GameFolderChoice choice(selection, SavedPathFile(temp / L"PathDATA.txt"));
        (void)choice.Load();
        ScriptedBrowser browser({picked});
        EXPECT_EQ(choice.ChooseFolder(browser), c.expected);
        EXPECT_EQ(browser.calls, 1);

        const bool confirmed = c.expected == BrowseOutcome::Confirmed;
        EXPECT_EQ(selection.SelectionConfirmed, confirmed);
        EXPECT_EQ(selection.GameFolder, confirmed ? picked : L"C:\\Before");
        EXPECT_EQ(ReadBytes(temp / L"PathDATA.txt"),
                  confirmed ? testing_support::Narrow(picked) + "\r\n" : std::string("C:\\Before\r\n"));
    }
}

TEST(GameFolderChoice, ConfirmedFolderIsSavedAndShownAtTheNextLoad) {
    Fixture f;
    GameFolderSelection selection;
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));
    (void)choice.Load();
    ScriptedBrowser browser({f.game});
    ASSERT_EQ(choice.ChooseFolder(browser), BrowseOutcome::Confirmed);
    EXPECT_EQ(selection.GameFolder, f.game);
    EXPECT_EQ(ReadBytes(f.savedPath), testing_support::Narrow(f.game) + "\r\n");

    GameFolderSelection later;
    GameFolderChoice nextRun(later, SavedPathFile(f.savedPath));
    const folder_dialog::SecondButtonState bt2 = nextRun.Load();
    EXPECT_TRUE(bt2.enabled);
    EXPECT_EQ(bt2.caption, L"前回保存したパス名、\r" + f.game + L"\rを選択する。");
    EXPECT_EQ(later.GameFolder, f.game);
}

TEST(GameFolderChoice, CancelledBrowserReusesTheFolderPickedEarlierInTheRun) {
    Fixture f;
    GameFolderSelection selection;
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));
    ScriptedBrowser browser({f.game, std::nullopt});

    (void)choice.Load();
    ASSERT_EQ(choice.ChooseFolder(browser), BrowseOutcome::Confirmed);

    // The next operation: the dialog loads again and the browser is cancelled.
    selection.SelectionConfirmed = false;
    selection.GameFolder = L"C:\\Elsewhere";
    (void)choice.Load();
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::Confirmed);
    EXPECT_EQ(choice.CandidateFolder(), f.game);
    EXPECT_EQ(selection.GameFolder, f.game);
    EXPECT_TRUE(selection.SelectionConfirmed);
}

TEST(GameFolderChoice, RefusedPickStaysTheCandidateAndBt2StillConfirmsTheSavedFolder) {
    Fixture f;
    WriteBytes(f.savedPath, testing_support::Narrow(f.game) + "\r\n");
    GameFolderSelection selection;
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));
    ScriptedBrowser browser({f.notGame, std::nullopt});

    (void)choice.Load();
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::NotAGameFolder);
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::NotAGameFolder);  // cancelled: the refused one again
    EXPECT_EQ(choice.CandidateFolder(), f.notGame);
    EXPECT_FALSE(selection.SelectionConfirmed);

    EXPECT_TRUE(choice.ConfirmSavedFolder());
    EXPECT_EQ(selection.GameFolder, f.game);
    EXPECT_EQ(ReadBytes(f.savedPath), testing_support::Narrow(f.game) + "\r\n");
}

TEST(GameFolderChoice, FolderThatCannotBeSavedIsStillConfirmed) {
    Fixture f;
    const std::wstring unicodeGame = f.temp / L"\xD55C\xAE00";  // not in code page 932
    WriteBytes(unicodeGame + L"\\!Torvanel.exe", "MZ");
    WriteBytes(f.savedPath, "C:\\Before\r\n");
    struct Case {
        const char* what;
        std::wstring savedPath;
        std::wstring picked;
    };
    const Case cases[] = {
        {"saved-path file in a missing folder", f.temp / L"missing\\PathDATA.txt", f.game},
        {"folder name outside the code page", f.savedPath, unicodeGame},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GameFolderSelection selection;
        GameFolderChoice choice(selection, SavedPathFile(c.savedPath));
        ScriptedBrowser browser({c.picked});
        EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::Confirmed);
        EXPECT_TRUE(selection.SelectionConfirmed);
        EXPECT_EQ(selection.GameFolder, c.picked);
    }
    // The folder remembered before is not lost.
    EXPECT_EQ(ReadBytes(f.savedPath), "C:\\Before\r\n");
}

// Removes a file made for one test at the drive root.
struct FileAtRoot {
    std::wstring path;
    bool made = false;
    ~FileAtRoot() {
        if (made) ::DeleteFileW(path.c_str());
    }
};

TEST(GameFolderChoice, CancelledBrowserWithNoPickLooksAtTheCurrentDriveRoot) {
    Fixture f;
    const testing_support::CurrentFolderScope scope(f.temp.path());
    const std::wstring root = f.temp.path().substr(0, 3);  // "C:\"
    if (testing_support::FileExists(root + L"TorvaGame.exe") || testing_support::FileExists(root + L"!Torvanel.exe")) {
        GTEST_SKIP() << "the drive root holds a game executable";
    }

    GameFolderSelection selection{L"C:\\Before", false};
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));
    ScriptedBrowser browser({});
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::NotAGameFolder);
    EXPECT_EQ(choice.CandidateFolder(), L"");
    EXPECT_EQ(selection.GameFolder, L"C:\\Before");

    // With the executable at the root the test passes, but there is no folder to confirm.
    FileAtRoot exe{root + L"TorvaGame.exe"};
    const HANDLE file = ::CreateFileW(exe.path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) GTEST_SKIP() << "the drive root cannot be written here";
    ::CloseHandle(file);
    exe.made = true;
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::StaysOpen);
    EXPECT_FALSE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, L"C:\\Before");
    EXPECT_FALSE(testing_support::FileExists(f.savedPath));
}

}  // namespace
