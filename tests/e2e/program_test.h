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

// Beside the type, where the test framework looks for it.
namespace driver {
inline void PrintTo(MessageIcon icon, std::ostream* out) {
    *out << (icon == MessageIcon::None ? "no icon" : icon == MessageIcon::Exclamation ? "exclamation" : "another icon");
}
}  // namespace driver

namespace e2e {

using namespace driver;
using testing_support::Tree;

// "PathDATA.txt" naming `gameFolder`, as the program writes it: code page 932, CR LF.
[[nodiscard]] std::string SavedPathBytes(const std::wstring& gameFolder);
// The program under test, from the test's command line (`e2e_tests <path of the exe>`).
[[nodiscard]] std::wstring ProgramPath();
// Message texts readable in failure output, CRs shown as "|".
[[nodiscard]] std::string Show(std::wstring_view text);
// What the test's script passes in an environment variable (a Unix path as Windows names it).
[[nodiscard]] std::wstring FromScript(const wchar_t* variable);

// The work folder a killed run left in `folder`, if any, and its state as the transfer
// names it. The program may be removing it while it is looked at.
struct LeftOver { bool found = false, staged = false, journal = false, completed = false; };
[[nodiscard]] LeftOver WorkFolderIn(const std::wstring& folder);

// The steps a player takes.
class ProgramTest : public testing::Test {
protected:
    // Starts the program in `folder` (the package folder when empty) and waits for its main window.
    void Start(const std::wstring& folder = {});
    void Finish() { EXPECT_TRUE(program_->Close()) << "the program did not end when its main window was closed"; }
    // Clicks a main-window button and waits for the game-folder dialog.
    HWND OpenDialog(int button);
    MessageBoxView WaitForMessage(std::chrono::milliseconds timeout = 15s);
    // No message box, dialog or busy window left once the main window has handled what was sent to it.
    bool OnlyMainWindowShows() { return Sync(main_) && program_->Windows() == std::vector<HWND>{main_}; }
    // BT2 in the open dialog: reads the closing message and presses OK.
    MessageBoxView ConfirmRememberedFolder(HWND dialog, std::chrono::milliseconds timeout = 15s);
    MessageBoxView RunWithRememberedFolder(int button) { return ConfirmRememberedFolder(OpenDialog(button)); }

    testing_support::TempFolder package_;
    testing_support::TempFolder game_;
    std::unique_ptr<RunningProgram> program_;
    HWND main_ = nullptr;
};

[[nodiscard]] inline HWND BT1(HWND dialog) { return ::GetDlgItem(dialog, folder_dialog::kBT1Id); }
[[nodiscard]] inline HWND BT2(HWND dialog) { return ::GetDlgItem(dialog, folder_dialog::kBT2Id); }

}  // namespace e2e
