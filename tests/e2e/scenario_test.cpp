// A player's afternoon with the real program: a first run through the folder browser, then
// the remembered folder through every operation, each step checked on the folders and by its
// closing message.
#include "e2e/program_test.h"

#include "platform/file_services.h"

#include <commctrl.h>

#include <algorithm>

namespace e2e {

namespace {

using namespace testing_support;
using ScenarioTest = ProgramTest;

// A game with an older data set (data of each kind, music, a player's file), marked by
// "!Torvanel.exe" only; what a Backup carries of it (neither exe, music nor the player's
// file); a package with music.
const Tree kGame{
    {L"!Torvanel.exe", "MZ stand-in for the game"}, {L"player.sav", "a player's own file"},
    {L"nationDATA\\nation01.dat", "old nation 1"},
    {L"nationDATA\\国家表.dat", "old nation with a 0x5C trail byte in its name"},
    {L"pastDATA\\past01.dat", "old past 1"}, {L"kosei01.dat", "old scenario 1"}, {L"kosei02.dat", "old scenario 2"},
    {L"年表1.txt", "old chronology 1"}, {L"MAINDATA.DAT", "old main data"}, {L"back8.jpg", "old background"},
    {L"theme.mp3", "old music"},
    // Always written, empty when the source has none: a game has them all.
    {L"Sison.dat", "old sison"}, {L"taizin_log.txt", "old log"}, {L"syo_list.dat", "old list"},
    {L"TaizinNow.dat", "old now"}, {L"yazirusi.dat", "old arrows"},
};
Tree BackedUpPart(Tree game) {
    for (const wchar_t* name : {L"!Torvanel.exe", L"player.sav", L"theme.mp3"}) game.erase(name);
    return game;
}
const Tree kPackage{{L"nationDATA\\nation01.dat", "package nation 1"}, {L"pastDATA\\past01.dat", "package past 1"},
                    {L"kosei01.dat", "package scenario 1"}, {L"kosei02.dat", "package scenario 2"},
                    {L"MAINDATA.DAT", "package main data"}, {L"title.mp3", "package music"}};

// The focused window of the program's interface thread.
HWND Focus(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

TEST_F(ScenarioTest, AFirstRunThroughTheFolderBrowserThenTheRememberedFolderThroughEveryOperation) {
    // The game folder's name needs code page 932.
    const std::wstring folder = game_ / L"トルヴァネル表";
    const auto in = [&folder](std::wstring_view name) { return folder + L"\\" + std::wstring(name); };
    WriteTree(folder, kGame);
    // Enough files that the Backup lasts while the test looks at its busy window.
    for (int i = 0; i < 1500; ++i) WriteBytes(in(L"nationDATA\\many" + std::to_wstring(i) + L".dat"), "n");
    WriteTree(package_.path(), kPackage);
    const Tree game = ReadTree(folder);
    ASSERT_NO_FATAL_FAILURE(Start());
    SaveScreenshot(main_, L"main-window");

    // Focus starts on BackupBT, and the Tab key moves it to the next button made (the whole
    // order: the windows' test).
    const std::vector<HWND> order = ChildrenInOrder(main_);
    ASSERT_EQ(order.size(), 4u);
    EXPECT_TRUE(WaitUntil([&] { return Focus(main_) == order[0]; }, 3s)) << "focused at start: " << Show(TextOf(Focus(main_)));
    ::PostMessageW(order[0], WM_KEYDOWN, VK_TAB, 0x000F0001);
    ::PostMessageW(order[0], WM_KEYUP, VK_TAB, 0xC00F0001);
    EXPECT_TRUE(WaitUntil([&] { return Focus(main_) == order[1]; }, 3s)) << "went to " << Show(TextOf(Focus(main_)));

    // A Backup in a modal dialog with no saved folder: BT2 is disabled. Cancelling the browser
    // before any folder was picked tests the drive's root, which holds no game: the exclamation
    // message, and the dialog stays. The folder picked then is tested and remembered.
    HWND dialog = OpenDialog(app::kBackupBTId);
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(::IsWindowEnabled(main_)) << "the dialog is not modal";
    EXPECT_EQ(TextOf(BT2(dialog)), L"前回保存したパス名が残っていないため、このボタンは選択できません。") << Show(TextOf(BT2(dialog)));
    EXPECT_FALSE(::IsWindowEnabled(BT2(dialog)));
    Click(BT1(dialog));
    HWND browser = program_->WaitFor(IsFolderBrowser);
    ASSERT_NE(browser, nullptr) << "the folder browser did not open";
    EXPECT_TRUE(std::ranges::any_of(ChildrenInOrder(browser),
                                    [](HWND child) { return TextOf(child) == L"Torvanelフォルダを選択してください"; }))
        << "the browser shows no title";
    Click(::GetDlgItem(browser, IDCANCEL));
    MessageBoxView message = WaitForMessage();
    EXPECT_EQ(message.text, L"exeが見つかりません。Torvanelフォルダで無い可能性があります。") << Show(message.text);
    EXPECT_EQ(message.title, app::kProgramTitle);
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    ASSERT_TRUE(message.window && PressOk(message.window));
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "the dialog closed after the refusal";
    Click(BT1(dialog));
    ASSERT_NE(browser = program_->WaitFor(IsFolderBrowser), nullptr);
    ASSERT_TRUE(PickInFolderBrowser(program_->process(), browser, folder));

    // The busy window shows the progress, and neither it nor the main window closes before
    // the transfer ends.
    HWND busy = program_->WaitFor(Captioned(app::kBusyWindowCaption));
    HWND progress = busy ? ChildOfClass(busy, PROGRESS_CLASSW) : nullptr;
    ASSERT_NE(progress, nullptr) << "no busy window with its progress bar during the transfer";
    const DWORD_PTR done = Send(progress, PBM_GETPOS), planned = Send(progress, PBM_GETRANGE, FALSE);
    EXPECT_FALSE(::IsWindowEnabled(main_)) << "a second operation could start";
    Send(busy, WM_SYSCOMMAND, SC_CLOSE);
    Send(main_, WM_CLOSE);
    EXPECT_TRUE(done >= planned / 2 || ::IsWindowVisible(busy)) << "the busy window closed midway";
    EXPECT_TRUE(::IsWindow(main_)) << "the main window closed midway";
    SaveScreenshot(busy, L"busy-window");
    EXPECT_TRUE(WaitUntil([&] { return Send(progress, PBM_GETPOS) > done; })) << "the progress bar never moved";
    message = WaitForMessage();
    SaveScreenshot(message.window, L"closing-message");
    EXPECT_EQ(message.text, L"バックアップ終了しました。") << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::None);
    if (message.window) PressOk(message.window);
    EXPECT_TRUE(OnlyMainWindowShows());
    EXPECT_EQ(ReadBytes(package_ / L"PathDATA.txt"), SavedPathBytes(folder));
    EXPECT_EQ(ReadTree(in(L"Backup")), BackedUpPart(game));

    // The close box ends an operation quietly, although the one before confirmed a folder.
    dialog = OpenDialog(app::kInstallBTId);
    ASSERT_NE(dialog, nullptr);
    SaveScreenshot(dialog, L"folder-dialog");
    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); })) << "the dialog did not close";
    EXPECT_TRUE(OnlyMainWindowShows()) << "a window showed after the dialog was closed";

    // Install with a read-only game file, which cannot be replaced: nothing is. (Held files
    // and a folder another run holds: the transfer's and the closing message's tests.)
    SetAttributes(in(L"kosei01.dat"), FILE_ATTRIBUTE_READONLY);
    message = RunWithRememberedFolder(app::kInstallBTId);
    EXPECT_EQ(message.text, L"次のファイルをコピーまたは削除できなかったため、中止しました。何も変更していません。\rkosei01.dat：" +
                                platform::ErrorText(ERROR_ACCESS_DENIED)) << Show(message.text);
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    SetAttributes(in(L"kosei01.dat"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadTree(folder, L"Backup"), game);

    // Install from the folder the program started in, music included; Restore then
    // brings back what was backed up (the new music stays: Restore carries none).
    message = RunWithRememberedFolder(app::kInstallBTId);
    EXPECT_EQ(message.text, L"データ書き込み終了しました。") << Show(message.text);
    const Tree installed = ReadTree(folder, L"Backup");
    for (const auto& [name, content] : kPackage) EXPECT_EQ(installed.at(name), content) << Show(name);
    EXPECT_FALSE(installed.contains(L"nationDATA\\many1.dat"));
    EXPECT_EQ(installed.at(L"player.sav"), game.at(L"player.sav"));

    message = RunWithRememberedFolder(app::kRestoreBTId);
    EXPECT_EQ(message.text, L"バックアップの状態に戻しました。") << Show(message.text);
    EXPECT_EQ(ReadTree(folder, L"Backup"), With(game, {{L"title.mp3", "package music"}}));
    EXPECT_EQ(ReadTree(in(L"Backup")), BackedUpPart(game)) << "Restore changed the backup";

    // Default brings the game's own default data.
    WriteBytes(in(L"Default\\MAINDATA.DAT"), "default main data");
    message = RunWithRememberedFolder(app::kDefoBTId);
    EXPECT_EQ(message.text, L"デフォルトに戻すことに成功しました。") << Show(message.text);
    EXPECT_EQ(ReadBytes(in(L"MAINDATA.DAT")), "default main data");
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

// The program's icon holds the 48 x 48, 16-colour image.
TEST(ProgramFile, HasTheProgramIcon) {
    const platform::UniqueModule module(::LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    HRSRC group = module ? ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_GROUP_ICON) : nullptr;  // IDI_PROGRAM
    ASSERT_NE(group, nullptr);
    // GRPICONDIR: reserved, type, count; then 14-byte entries starting width, height, colours.
    const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(module.get(), group)));
    const size_t count = bytes[4] | (bytes[5] << 8);
    ASSERT_LE(6 + 14 * count, ::SizeofResource(module.get(), group));
    bool found = false;
    for (size_t i = 0; i < count; ++i) found = found || (bytes[6 + 14 * i] == 48 && bytes[8 + 14 * i] == 16);
    EXPECT_TRUE(found) << "no 48 x 48 image of 16 colours in the program's icon";
}

}  // namespace

}  // namespace e2e
