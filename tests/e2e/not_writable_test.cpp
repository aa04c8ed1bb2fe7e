// A game folder the player may read but not write (a game under Program Files
// without elevation), run by as_ordinary_user.sh: refused with the way out.
#include "e2e/program_test.h"

namespace e2e {

namespace {

using NotWritable = ProgramTest;

TEST_F(NotWritable, GameFolderThePlayerCannotWriteIsRefusedWithTheWayOut) {
    const std::wstring work = FromScript(L"TORVANEL_READONLY_GAME");
    ASSERT_FALSE(work.empty()) << "run through as_ordinary_user.sh";
    // The second game has its Backup folders already: only taking the folder's lock finds it unwritable.
    for (const std::wstring& game : {work + L"\\game", work + L"\\game-run-before"}) {
        SCOPED_TRACE(Show(game));
        testing_support::WriteBytes(work + L"\\package\\PathDATA.txt", SavedPathBytes(game));
        const Tree before = testing_support::ReadTree(game);
        ASSERT_NO_FATAL_FAILURE(Start(work + L"\\package"));
        const MessageBoxView message = RunWithRememberedFolder(app::kInstallBTId);
        EXPECT_EQ(message.text, L"Torvanelフォルダに書き込めないため、中止しました。何も変更していません。\r" + game +
                                    L"\rこのツールを右クリックして「管理者として実行」するか、TorvanelフォルダをProgram Files以外の場所に移して下さい。")
            << Show(message.text);
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
        Finish();
        EXPECT_EQ(testing_support::ReadTree(game), before);
    }
}

}  // namespace

}  // namespace e2e
