// What BT1 (browse) and BT2 (the saved folder) do, with the browser scripted, and
// reading "PathDATA.txt" (what a pick writes there is checked with the picks).
#include "folder_dialog/game_folder_choice.h"

#include "platform/unique_handle.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace folder_dialog;
using namespace testing_support;

// Answers each browse with the next scripted pick (nothing = cancelled).
struct ScriptedBrowser : folder_dialog::FolderBrowser {
    explicit ScriptedBrowser(std::vector<std::optional<std::wstring>> scripted) : picks(std::move(scripted)) {}
    std::optional<std::wstring> BrowseForFolder() override { return next < picks.size() ? picks[next++] : std::nullopt; }
    std::vector<std::optional<std::wstring>> picks;
    size_t next = 0;
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
    const struct {
        const char* what;
        std::vector<std::wstring> files;  // in the folder
        bool isGame;
    } cases[] = {
        {"TorvaGame.exe", {L"TorvaGame.exe"}, true},
        {"only !Torvanel.exe", {L"!Torvanel.exe"}, true},
        {"name in other case", {L"torvagame.EXE"}, true},
        {"neither", {L"Torvanel.exe", L"readme.txt"}, false},
        {"folder named like the exe", {L"TorvaGame.exe\\inside.txt"}, false},
    };
    for (const auto& c : cases) {
        for (const bool browsed : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (browsed ? ", BT1" : ", BT2"));
            const TempFolder temp;
            const std::wstring folder = temp / L"folder";
            for (const std::wstring& file : c.files) WriteBytes(folder + L"\\" + file, "MZ");
            const std::string saved = browsed ? "C:\\Before\r\n" : Utf8(folder) + "\r\n";
            WriteBytes(temp / L"PathDATA.txt", saved);

            GameFolderSelection selection;
            GameFolderChoice choice(selection, SavedPathFile(temp / L"PathDATA.txt"));
            ASSERT_TRUE(choice.Load().enabled);
            ScriptedBrowser browser({folder});
            EXPECT_EQ(browsed ? choice.ChooseFolder(browser) : choice.ConfirmSavedFolder(),
                      c.isGame ? ChoiceOutcome::Confirmed : ChoiceOutcome::NotAGameFolder);

            EXPECT_EQ(selection.SelectionConfirmed, c.isGame);
            EXPECT_EQ(selection.GameFolder, browsed && !c.isGame ? L"C:\\Before" : folder);
            EXPECT_EQ(ReadBytes(temp / L"PathDATA.txt"), browsed && c.isGame ? Utf8(folder) + "\r\n" : saved);
        }
    }
}

// Several operations in one run, as the dialog sees them.
TEST(GameFolderChoice, BrowsedAndSavedFoldersAcrossOperations) {
    Fixture f;
    const std::wstring notGame = f.temp / L"Other";
    MakeFolders(notGame);
    WriteBytes(f.savedPath, "X:\\gone, but remembered\r\n");
    GameFolderSelection selection;
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));
    ScriptedBrowser browser({f.game, std::nullopt, notGame, std::nullopt});

    // BT2 refuses a saved folder that is gone; the player browses instead.
    ASSERT_TRUE(choice.Load().enabled);
    EXPECT_EQ(choice.ConfirmSavedFolder(), ChoiceOutcome::NotAGameFolder);

    // A folder picked once is confirmed again when the browser is cancelled later. A
    // refused pick stays the candidate (cancelled: refused again) and changes nothing;
    // BT2 still confirms the folder saved by the earlier pick.
    for (const ChoiceOutcome expected : {ChoiceOutcome::Confirmed, ChoiceOutcome::Confirmed, ChoiceOutcome::NotAGameFolder}) {
        selection = GameFolderSelection{};
        (void)choice.Load();
        EXPECT_EQ(choice.ChooseFolder(browser), expected);
        EXPECT_EQ(selection.GameFolder, f.game);
    }
    EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::NotAGameFolder);
    EXPECT_FALSE(selection.SelectionConfirmed);
    EXPECT_EQ(choice.ConfirmSavedFolder(), ChoiceOutcome::Confirmed);
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
    const CurrentFolderScope scope(f.temp.path());
    GameFolderSelection selection{f.game, false};
    GameFolderChoice choice(selection, SavedPathFile(f.savedPath));
    EXPECT_FALSE(choice.Load().enabled);
    EXPECT_EQ(choice.ConfirmSavedFolder(), ChoiceOutcome::StaysOpen);
    EXPECT_FALSE(selection.SelectionConfirmed);

    const std::wstring root = f.temp.path().substr(0, 3);  // "C:\"
    if (FileExists(root + L"TorvaGame.exe") || FileExists(root + L"!Torvanel.exe")) {
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
    EXPECT_FALSE(FileExists(f.savedPath));
}

// The whole first line, when it is a fully qualified folder: anything else would be
// looked up relative to the program's folder or drive, so it reads as no saved folder.
// The file is in code page 932 unless it starts with a byte-order mark.
TEST(SavedPathFile, ReadsTheFirstLineWhenItIsAFullPath) {
    using namespace std::string_literals;
    const TempFolder temp;
    const auto read = [&](const std::string& bytes) {
        WriteBytes(temp / L"PathDATA.txt", bytes);
        return SavedPathFile(temp / L"PathDATA.txt").Read();
    };
    const struct {
        std::string bytes;
        std::wstring folder;
    } folders[] = {
        {"C:\\Games\\Torvanel\r\n", L"C:\\Games\\Torvanel"}, {"C:\\Games\\a,b\r\n", L"C:\\Games\\a,b"},
        // ゲーム and 表 (whose second byte is 0x5C, a backslash on its own)
        {"D:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c\r\n", L"D:\\ゲーム\\表"},
        {"C:\\one\r\nC:\\two\r\n", L"C:\\one"}, {"C:\\Games", L"C:\\Games"}, {"C:\\Games\nC:\\two", L"C:\\Games"},
        {"e:\\\r\n", L"e:\\"}, {"\\\\server\\share\\game\r\n", L"\\\\server\\share\\game"},
        // An editor's byte-order mark is no part of the folder; the rest is read in its encoding.
        {"\xEF\xBB\xBF" "C:\\\xE8\xA1\xA8\r\n", L"C:\\表"},
        {"\xFF\xFE" "C\0:\0\\\0\x68\x88\r\0\n\0"s, L"C:\\表"}, {"\xFE\xFF" "\0C\0:\0\\\x88\x68\0\r\0\n"s, L"C:\\表"},
    };
    for (const auto& c : folders) EXPECT_EQ(read(c.bytes), c.folder) << testing::PrintToString(c.bytes);
    // Empty or blank first lines, relative, blank-led, quoted, drive-relative, current-drive-rooted,
    // slashed, share-less, device, NUL or control character inside, UTF-16 without a mark.
    for (const std::string& bytes :
         {""s, "\r\nC:\\Games\r\n"s, " \t \r\n"s, "\x81\x40\x81\x40\r\n"s, "Games\\Torvanel\r\n"s, "  C:\\Games\r\n"s,
          "\"C:\\Games\"\r\n"s, "C:Games\r\n"s, "\\Games\r\n"s, "C:/Games\r\n"s, "\\\\server\r\n"s, "\\\\server\\\r\n"s,
          "\\\\.\\C:\\Games\r\n"s, "C:\\Ga\0mes\r\n"s, "C:\\Games\x1b\r\n"s, "C\0:\0\\\0G\0\r\0\n\0"s})
        EXPECT_EQ(read(bytes), std::nullopt) << testing::PrintToString(bytes);
}

// Saved where Windows uses UTF-8 as the ANSI code page, a folder reads back the same
// (ﾃｽ in code page 932 would be C3 BD, valid UTF-8 for ý) or is refused, leaving the
// file as it was; a file saved in code page 932 before still reads.
TEST(SavedPathFile, ReadsBackWhatItWroteAlsoOnAUtf8System) {
    const TempFolder temp;
    const struct {
        std::wstring folder;
        bool in932;  // can be saved in code page 932
    } folders[] = {
        {L"C:\\Games", true}, {L"D:\\ゲーム\\表", true}, {L"C:\\ﾃｽ", true}, {L"C:\\한국", false}, {L"C:\\café", false},
    };
    for (const UINT codePage : {932u, 65001u}) {
        const SavedPathFile file(temp / L"PathDATA.txt", codePage);
        for (const auto& c : folders) {
            WriteBytes(file.Path(), "C:\\Before\r\n");
            const bool saved = codePage == CP_UTF8 || c.in932;
            EXPECT_EQ(file.Write(c.folder), saved ? ERROR_SUCCESS : static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
            EXPECT_EQ(file.Read(), saved ? c.folder : std::wstring(L"C:\\Before")) << Utf8(c.folder) << " in " << codePage;
        }
    }
    const SavedPathFile file(temp / L"PathDATA.txt", CP_UTF8);
    EXPECT_EQ(file.Write(L"C:\\\xD800"), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    WriteBytes(file.Path(), "D:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c\r\n");
    EXPECT_EQ(file.Read(), std::wstring(L"D:\\ゲーム\\表"));
}

}  // namespace
