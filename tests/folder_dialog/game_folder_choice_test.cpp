// What BT1 (browse) and BT2 (the saved folder) do, with the browser scripted.
#include "folder_dialog/game_folder_choice.h"

#include "folder_dialog/current_folder_scope.h"
#include "platform/unique_handle.h"
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
struct ScriptedBrowser : folder_dialog::FolderBrowser {
    explicit ScriptedBrowser(std::deque<std::optional<std::wstring>> scripted) : picks(std::move(scripted)) {}
    std::optional<std::wstring> BrowseForFolder() override {
        if (picks.empty()) return std::nullopt;
        std::optional<std::wstring> pick = picks.front();
        picks.pop_front();
        return pick;
    }
    std::deque<std::optional<std::wstring>> picks;
};

// A temporary folder with the saved-path file and a game folder.
struct Fixture {
    TempFolder temp;
    std::wstring savedPath = temp / L"PathDATA.txt";
    std::wstring game = temp / L"Torvanel";

    Fixture() { WriteBytes(game + L"\\TorvaGame.exe", "MZ"); }
};

// A picked folder is confirmed and saved only when it holds a game executable.
TEST(GameFolderChoice, BrowsedFolderNeedsOneOfTheTwoExecutables) {
    struct Case {
        const char* what;
        std::vector<std::wstring> files;  // in the picked folder
        BrowseOutcome expected;
    };
    const Case cases[] = {
        {"TorvaGame.exe", {L"TorvaGame.exe"}, BrowseOutcome::Confirmed},
        {"only !Torvanel.exe", {L"!Torvanel.exe"}, BrowseOutcome::Confirmed},
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

        const bool confirmed = c.expected == BrowseOutcome::Confirmed;
        EXPECT_EQ(selection.SelectionConfirmed, confirmed);
        EXPECT_EQ(selection.GameFolder, confirmed ? picked : L"C:\\Before");
        EXPECT_EQ(ReadBytes(temp / L"PathDATA.txt"),
                  confirmed ? testing_support::Narrow(picked) + "\r\n" : std::string("C:\\Before\r\n"));
    }
}

// Several operations in one run, as the dialog sees them.
TEST(GameFolderChoice, BrowsedAndSavedFoldersAcrossOperations) {
    Fixture f;
    const std::wstring notGame = f.temp / L"Other";
    testing_support::MakeFolders(notGame);
    WriteBytes(f.savedPath, "X:\\gone, but remembered\r\n");
    GameFolderSelection selection;
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));
    ScriptedBrowser browser({f.game, std::nullopt, notGame, std::nullopt});

    // BT2 confirms the saved folder without testing it: it may be gone.
    ASSERT_TRUE(choice.Load().enabled);
    EXPECT_TRUE(choice.ConfirmSavedFolder());
    EXPECT_EQ(selection.GameFolder, L"X:\\gone, but remembered");

    // A folder picked once is confirmed again when the browser is cancelled later.
    selection = GameFolderSelection{};
    (void)choice.Load();
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::Confirmed);
    selection = GameFolderSelection{};
    (void)choice.Load();
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::Confirmed);
    EXPECT_EQ(selection.GameFolder, f.game);

    // A refused pick stays the candidate (cancelled: refused again) and changes nothing;
    // BT2 still confirms the folder saved by the earlier pick.
    selection = GameFolderSelection{};
    (void)choice.Load();
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::NotAGameFolder);
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::NotAGameFolder);
    EXPECT_FALSE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, f.game);
    EXPECT_TRUE(choice.ConfirmSavedFolder());
    EXPECT_EQ(selection.GameFolder, f.game);
}

// A folder that cannot be remembered is still the one chosen; the one saved before stays.
TEST(GameFolderChoice, FolderThatCannotBeSavedIsStillConfirmed) {
    Fixture f;
    const std::wstring unicodeGame = f.temp / L"\xD55C\xAE00";  // not in code page 932
    WriteBytes(unicodeGame + L"\\!Torvanel.exe", "MZ");
    WriteBytes(f.savedPath, "C:\\Before\r\n");
    for (const auto& [savedPath, picked] :
         {std::pair{f.temp / L"missing\\PathDATA.txt", f.game}, std::pair{f.savedPath, unicodeGame}}) {
        GameFolderSelection selection;
        GameFolderChoice choice(selection, SavedPathFile(savedPath));
        ScriptedBrowser browser({picked});
        EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::Confirmed);
        EXPECT_EQ(selection.GameFolder, picked);
    }
    EXPECT_EQ(ReadBytes(f.savedPath), "C:\\Before\r\n");
}

// Cancelled before any folder was picked, the browser's empty candidate means the
// current drive's root: refused there, and with an executable there nothing to confirm.
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

    const platform::UniqueFile made(::CreateFileW((root + L"TorvaGame.exe").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                  nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!made) GTEST_SKIP() << "the drive root cannot be written here";
    EXPECT_EQ(choice.ChooseFolder(browser), BrowseOutcome::StaysOpen);
    EXPECT_FALSE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, L"C:\\Before");
    EXPECT_FALSE(testing_support::FileExists(f.savedPath));
}

}  // namespace
