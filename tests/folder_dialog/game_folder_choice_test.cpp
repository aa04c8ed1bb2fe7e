// What BT1 (browse) and BT2 (the saved folder) do, with the browser scripted, and
// reading "PathDATA.txt" (what a pick writes there is checked with the picks).
#include "folder_dialog/game_folder_choice.h"

#include "platform/text_file.h"
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

// BT1's picked folder and BT2's saved one alike are confirmed only when they hold a
// game executable; only a picked one is saved, where it can be (a folder that cannot
// is still the one chosen). A refusal changes nothing.
TEST(GameFolderChoice, EitherButtonNeedsOneOfTheTwoExecutables) {
    const struct { std::vector<std::wstring> files; bool isGame; const wchar_t* name = L"folder"; } cases[] = {
        {{L"TorvaGame.exe"}, true}, {{L"!Torvanel.exe"}, true}, {{L"torvagame.EXE"}, true},
        {{L"Torvanel.exe", L"readme.txt"}, false}, {{L"TorvaGame.exe\\inside.txt"}, false},  // neither; a folder so named
        {{L"!Torvanel.exe"}, true, L"\xD55C\xAE00"},  // a name not in code page 932
    };
    for (const auto& c : cases) {
        for (const bool browsed : {true, false}) {
            SCOPED_TRACE(Utf8(std::wstring(c.name) + L"\\" + c.files[0]) + (browsed ? ", BT1" : ", BT2"));
            const TempFolder temp;
            const std::wstring folder = temp / c.name;
            const std::optional<std::string> savable = platform::ToAnsi(folder + L"\r\n");
            if (!browsed && !savable) continue;  // never saved, so never BT2's
            for (const std::wstring& file : c.files) WriteBytes(folder + L"\\" + file, "MZ");
            const std::string saved = browsed ? "C:\\Before\r\n" : *savable;
            WriteBytes(temp / L"PathDATA.txt", saved);

            GameFolderSelection selection;
            GameFolderChoice choice(selection, SavedPathFile(temp / L"PathDATA.txt"));
            ASSERT_TRUE(choice.Load().enabled);
            ScriptedBrowser browser({folder});
            EXPECT_EQ(browsed ? choice.ChooseFolder(browser) : choice.ConfirmSavedFolder(),
                      c.isGame ? ChoiceOutcome::Confirmed : ChoiceOutcome::NotAGameFolder);
            EXPECT_EQ(selection.SelectionConfirmed, c.isGame);
            EXPECT_EQ(selection.GameFolder, browsed && !c.isGame ? L"C:\\Before" : folder);
            EXPECT_EQ(ReadBytes(temp / L"PathDATA.txt"), browsed && c.isGame && savable ? *savable : saved);
        }
    }
}

// Several operations in one run, as the dialog sees them. With no saved folder BT2 confirms
// nothing, not even a folder chosen before. Cancelled before any pick, the browser's empty
// candidate means the current drive's root: no game there is refused (also end to end), and
// with an executable there nothing is confirmed. A folder picked once is confirmed again when
// the browser is cancelled later. A refused pick stays the candidate (cancelled: refused
// again) and changes nothing; BT2 confirms the folder saved by the earlier pick.
TEST(GameFolderChoice, BrowsedAndSavedFoldersAcrossOperations) {
    const TempFolder temp;
    const CurrentFolderScope scope(temp.path());
    const std::wstring game = temp / L"Torvanel", notGame = temp / L"Other", root = temp.path().substr(0, 3);
    WriteBytes(game + L"\\TorvaGame.exe", "MZ");
    MakeFolders(notGame);
    GameFolderSelection selection{game, false};
    GameFolderChoice choice(selection, SavedPathFile(temp / L"PathDATA.txt"));
    ScriptedBrowser browser({std::nullopt, game, std::nullopt, notGame, std::nullopt});

    EXPECT_FALSE(choice.Load().enabled);
    EXPECT_EQ(choice.ConfirmSavedFolder(), ChoiceOutcome::StaysOpen);
    {
        const platform::UniqueFile made(::CreateFileW((root + L"TorvaGame.exe").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                      nullptr, CREATE_NEW, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        EXPECT_EQ(choice.ChooseFolder(browser), made ? ChoiceOutcome::StaysOpen : ChoiceOutcome::NotAGameFolder);
    }
    EXPECT_EQ(selection.GameFolder, game);
    EXPECT_FALSE(selection.SelectionConfirmed || FileExists(temp / L"PathDATA.txt"));

    for (const ChoiceOutcome expected : {ChoiceOutcome::Confirmed, ChoiceOutcome::Confirmed, ChoiceOutcome::NotAGameFolder}) {
        selection = GameFolderSelection{};
        (void)choice.Load();
        EXPECT_EQ(choice.ChooseFolder(browser), expected);
        EXPECT_EQ(selection.GameFolder, game);
    }
    EXPECT_EQ(choice.ChooseFolder(browser), ChoiceOutcome::NotAGameFolder);
    EXPECT_FALSE(selection.SelectionConfirmed);
    EXPECT_EQ(choice.ConfirmSavedFolder(), ChoiceOutcome::Confirmed);
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
    const struct { std::string bytes; std::wstring folder; } folders[] = {
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

// Saved in code page 932, or where Windows uses UTF-8 as the ANSI code page, a folder
// reads back the same (ﾃｽ in code page 932 would be C3 BD, valid UTF-8 for ý) or is
// refused, leaving the file as it was; a file saved in code page 932 before still reads.
TEST(SavedPathFile, ReadsBackWhatItWroteAlsoOnAUtf8System) {
    const TempFolder temp;
    // Refused: no form in code page 932 (best fit would write '?', or e for é: another
    // folder); a lone surrogate has none in UTF-8; a leading U+FEFF would read as a mark.
    const struct { std::wstring folder; bool in932, inUtf8; } folders[] = {
        {L"C:\\Games", true, true}, {L"D:\\ゲーム\\表", true, true}, {L"C:\\ﾃｽ", true, true},
        {L"C:\\한국", false, true}, {L"C:\\café", false, true}, {L"C:\\\U0001F600", false, true},
        {L"C:\\\xD800", false, false}, {L"\uFEFFC:\\", false, false},
    };
    for (const UINT codePage : {932u, 65001u}) {
        const SavedPathFile file(temp / L"PathDATA.txt", codePage);
        for (const auto& c : folders) {
            WriteBytes(file.Path(), "C:\\Before\r\n");
            const bool saved = codePage == CP_UTF8 ? c.inUtf8 : c.in932;
            EXPECT_EQ(file.Write(c.folder), saved ? ERROR_SUCCESS : static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
            EXPECT_EQ(file.Read(), saved ? c.folder : L"C:\\Before") << Utf8(c.folder) << " in " << codePage;
        }
        WriteBytes(file.Path(), "D:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c\r\n");
        EXPECT_EQ(file.Read(), std::wstring(L"D:\\ゲーム\\表")) << codePage;
    }
}

}  // namespace
