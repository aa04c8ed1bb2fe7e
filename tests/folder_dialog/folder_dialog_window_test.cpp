// Enter in the game-folder dialog. (Its look, BT2, the close box and the modal loop
// are checked end to end, with the program's own windows.)
#include "folder_dialog/folder_dialog.h"

#include "folder_dialog/current_folder_scope.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

// There is no default button, so Enter comes as IDOK and presses the focused one: BT2.
TEST(FolderDialogWindow, EnterPressesTheFocusedButton) {
    const testing_support::TempFolder temp;
    testing_support::WriteBytes(temp / L"Torvanel\\TorvaGame.exe", "MZ");
    testing_support::WriteBytes(temp / L"PathDATA.txt", testing_support::Narrow(temp / L"Torvanel") + "\r\n");
    const testing_support::CurrentFolderScope scope(temp.path());
    folder_dialog::GameFolderSelection selection;
    folder_dialog::FolderDialog dialog(selection, L"title");
    ASSERT_TRUE(dialog.Create(nullptr));
    ::ShowWindow(dialog.hwnd(), SW_SHOWNOACTIVATE);
    ::SetFocus(dialog.Control(folder_dialog::kBT2Id));
    ASSERT_EQ(::GetFocus(), dialog.Control(folder_dialog::kBT2Id));

    ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, temp / L"Torvanel");
}

}  // namespace
