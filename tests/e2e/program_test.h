#pragma once
// What every end-to-end test shares: game and package folders as a player has them,
// and the steps a player takes with the real program.
#include "app/main_window.h"
#include "program_driver.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace e2e {

using namespace driver;
using testing_support::Tree;

inline void PrintTo(MessageIcon icon, std::ostream* out) {
    *out << (icon == MessageIcon::None ? "no icon" : icon == MessageIcon::Exclamation ? "exclamation" : "another icon");
}

// A game folder with an older data set: the executable stand-in, data files of
// each kind the transfer carries, music, and a player's file no operation touches.
[[nodiscard]] Tree InstalledGame();
// What a Backup of such a game carries: not the executables, the player's file or the music.
[[nodiscard]] Tree BackedUpPart(Tree game);
// A world/scenario data package, with music.
[[nodiscard]] Tree PackageData();
// "PathDATA.txt" naming `gameFolder`, as the program writes it: code page 932, CR LF.
[[nodiscard]] std::string SavedPathBytes(const std::wstring& gameFolder);
// The program under test, from the test's command line (`e2e_tests <path of the exe>`).
[[nodiscard]] std::wstring ProgramPath();
// Message texts readable in failure output, CRs shown as "|".
[[nodiscard]] std::string Show(std::wstring_view text);

class ProgramTest : public testing::Test {
protected:
    // A program still running at the end of a test should have ended.
    void TearDown() override;
    // Writes InstalledGame() to the game folder, PackageData() to the package folder
    // and a "PathDATA.txt" naming the game folder.
    void PrepareGameAndPackage();
    // Starts the program in the package folder and waits for its main window.
    void Start();
    // Closes the main window; the program must end by itself.
    void Finish();

    // Clicks a main-window button and waits for the game-folder dialog.
    HWND OpenDialog(int button);
    // The message box now showing, waited for.
    MessageBoxView WaitForMessage();
    // True when no message box, dialog or busy window is left once the main window
    // has handled everything sent to it.
    bool OnlyMainWindowShows();
    // Confirms the remembered folder with BT2, reads the closing message (and
    // pictures it, when named) and presses OK.
    MessageBoxView ConfirmRememberedFolder(HWND dialog, std::wstring_view screenshot = {});
    // A whole operation through BT2, from the main window's button on.
    MessageBoxView RunWithRememberedFolder(int button) { return ConfirmRememberedFolder(OpenDialog(button)); }

    std::wstring Game(std::wstring_view relative) const { return game_ / relative; }

    testing_support::TempFolder package_;
    testing_support::TempFolder game_;
    std::unique_ptr<RunningProgram> program_;
    HWND main_ = nullptr;
};

[[nodiscard]] inline HWND BT1(HWND dialog) { return ::GetDlgItem(dialog, folder_dialog::kBT1Id); }
[[nodiscard]] inline HWND BT2(HWND dialog) { return ::GetDlgItem(dialog, folder_dialog::kBT2Id); }

}  // namespace e2e
