// A game folder the player may read but not write (a game under Program Files
// without elevation), run by as_ordinary_user.sh: refused with the way out.
#include "e2e/program_test.h"

#include "folder_dialog/folder_dialog.h"

namespace e2e {

namespace {

TEST(NotWritable, GameFolderThePlayerCannotWriteIsRefusedWithTheWayOut) {
    const wchar_t* prepared = ::_wgetenv(L"TORVANEL_READONLY_GAME");
    ASSERT_NE(prepared, nullptr) << "run through as_ordinary_user.sh";
    const std::wstring work = WindowsPath(prepared);
    // The second game has its Backup folders already: only taking the folder's lock finds it unwritable.
    for (const std::wstring& game : {work + L"\\game", work + L"\\game-run-before"}) {
        SCOPED_TRACE(Show(game));
        testing_support::WriteBytes(work + L"\\package\\PathDATA.txt", SavedPathBytes(game));
        const Tree before = testing_support::ReadTree(game);

        RunningProgram program(ProgramPath(), work + L"\\package");
        const HWND main = program.WaitFor(Captioned(app::kProgramTitle));
        ASSERT_NE(main, nullptr);
        Click(::GetDlgItem(main, app::kInstallBTId));
        const HWND dialog = program.WaitFor(Captioned(folder_dialog::kFolderDialogCaption));
        ASSERT_NE(dialog, nullptr);
        Click(BT2(dialog));
        const HWND box = program.WaitFor(IsMessageBox);
        ASSERT_NE(box, nullptr);
        const MessageBoxView message = ReadMessageBox(box);
        EXPECT_EQ(message.text, L"Torvanelフォルダに書き込めないため、中止しました。何も変更していません。\r" + game +
                                    L"\rこのツールを右クリックして「管理者として実行」するか、"
                                    L"TorvanelフォルダをProgram Files以外の場所に移して下さい。")
            << Show(message.text);
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
        EXPECT_TRUE(PressOk(box));
        EXPECT_TRUE(program.Close());
        EXPECT_EQ(testing_support::ReadTree(game), before);
    }
}

}  // namespace

}  // namespace e2e
