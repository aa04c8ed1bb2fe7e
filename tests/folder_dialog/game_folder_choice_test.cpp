// What BT1 (browse) and BT2 (the saved folder) do, with the browser scripted.
#include "folder_dialog/game_folder_choice.h"

#include "platform/unique_handle.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using folder_dialog::ChoiceOutcome;
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

// BT1's picked folder and BT2's saved one alike are confirmed only when they hold a
// game executable; only a picked one is saved. A refusal changes nothing.
TEST(GameFolderChoice, EitherButtonNeedsOneOfTheTwoExecutables) {
    struct Case {
        const char* what;
        std::vector<std::wstring> files;  // in the folder
        bool isGame;
    };
    const Case cases[] = {
        {"TorvaGame.exe", {L"TorvaGame.exe"}, true},
        {"only !Torvanel.exe", {L"!Torvanel.exe"}, true},
        {"name in other case", {L"torvagame.EXE"}, true},
        {"neither", {L"Torvanel.exe", L"readme.txt"}, false},
        {"folder named like the exe", {L"TorvaGame.exe\\inside.txt"}, false},
    };
    for (const Case& c : cases) {
        for (const bool browsed : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (browsed ? ", BT1" : ", BT2"));
            const TempFolder temp;
            const std::wstring folder = temp / L"folder";
            for (const std::wstring& file : c.files) WriteBytes(folder + L"\\" + file, "MZ");
            const std::string saved = browsed ? "C:\\Before\r\n" : testing_support::Utf8(folder) + "\r\n";
            WriteBytes(temp / L"PathDATA.txt", saved);

            GameFolderSelection selection;
            GameFolderChoice choice(selection, SavedPathFile(temp / L"PathDATA.txt"));
            ASSERT_TRUE(choice.Load().enabled);
            ScriptedBrowser browser({folder});
            EXPECT_EQ(browsed ? choice.ChooseFolder(browser) : choice.ConfirmSavedFolder(),
                      c.isGame ? ChoiceOutcome::Confirmed : ChoiceOutcome::NotAGameFolder);

            EXPECT_EQ(selection.SelectionConfirmed, c.isGame);
            EXPECT_EQ(selection.GameFolder, browsed && !c.isGame ? L"C:\\Before" : folder);
            const bool savedAgain = browsed && c.isGame;
            EXPECT_EQ(ReadBytes(temp / L"PathDATA.txt"),
                      savedAgain ? testing_support::Utf8(folder) + "\r\n" : saved);
        }
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

    // BT2 refuses a saved folder that is gone; the player browses instead.
    ASSERT_TRUE(choice.Load().enabled);
    EXPECT_EQ(choice.ConfirmSavedFolder(), ChoiceOutcome::NotAGameFolder);
    EXPECT_FALSE(selection.SelectionConfirmed);

    // A folder picked once is confirmed again when the browser is cancelled later.
    selection = GameFolderSelection{};
    (void)choice.Load();
    EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::Confirmed);
    selection = GameFolderSelection{};
    (void)choice.Load();
    EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::Confirmed);
    EXPECT_EQ(selection.GameFolder, f.game);

    // A refused pick stays the candidate (cancelled: refused again) and changes nothing;
    // BT2 still confirms the folder saved by the earlier pick.
    selection = GameFolderSelection{};
    (void)choice.Load();
    EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::NotAGameFolder);
    EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::NotAGameFolder);
    EXPECT_FALSE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, f.game);
    EXPECT_EQ(choice.ConfirmSavedFolder(), ChoiceOutcome::Confirmed);
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
        EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::Confirmed);
        EXPECT_EQ(selection.GameFolder, picked);
    }
    EXPECT_EQ(ReadBytes(f.savedPath), "C:\\Before\r\n");
}

// With no saved folder BT2 confirms nothing, not even a game folder chosen before.
// Cancelled before any folder was picked, the browser's empty candidate means the
// current drive's root: refused there, and with an executable there nothing to confirm.
TEST(GameFolderChoice, NothingSavedOrPickedConfirmsNothing) {
    Fixture f;
    const testing_support::CurrentFolderScope scope(f.temp.path());
    GameFolderSelection selection{f.game, false};
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));
    EXPECT_FALSE(choice.Load().enabled);
    EXPECT_EQ(choice.ConfirmSavedFolder(), ChoiceOutcome::StaysOpen);
    EXPECT_FALSE(selection.SelectionConfirmed);

    const std::wstring root = f.temp.path().substr(0, 3);  // "C:\"
    if (testing_support::FileExists(root + L"TorvaGame.exe") || testing_support::FileExists(root + L"!Torvanel.exe")) {
        GTEST_SKIP() << "the drive root holds a game executable";
    }

    selection.GameFolder = L"C:\\Before";
    ScriptedBrowser browser({});
    EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::NotAGameFolder);

    const platform::UniqueFile made(::CreateFileW((root + L"TorvaGame.exe").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                  nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!made) GTEST_SKIP() << "the drive root cannot be written here";
    EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::StaysOpen);
    EXPECT_FALSE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, L"C:\\Before");
    EXPECT_FALSE(testing_support::FileExists(f.savedPath));
}

}  // namespace
