// The three windows as a player sees them at 96 DPI: client sizes and control boxes
// (twips / 15), window kinds, placement, the order Tab walks, and the program's icon.
#include "e2e/program_test.h"

#include <cstdlib>

namespace e2e {

namespace {

LONG Style(HWND window) { return ::GetWindowLongW(window, GWL_STYLE); }

bool FixedWithoutMinMax(HWND window) {
    return (Style(window) & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) ==
           (WS_CAPTION | WS_SYSMENU);
}

bool InTaskBar(HWND window) {
    const LONG ex = ::GetWindowLongW(window, GWL_EXSTYLE);
    return !(ex & WS_EX_TOOLWINDOW) && ((ex & WS_EX_APPWINDOW) || !::GetWindow(window, GW_OWNER));
}

// Centred within a pixel on `area` (the screen's work area when null): the halves of
// an odd difference round either way.
bool CentredOn(HWND window, HWND area = nullptr) {
    RECT work = {};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const Box box = WindowBox(window);
    const Box on = area ? WindowBox(area) : Box{work.left, work.top, work.right - work.left, work.bottom - work.top};
    return std::abs(2 * (box.left - on.left) + box.width - on.width) <= 2 &&
           std::abs(2 * (box.top - on.top) + box.height - on.height) <= 2;
}

// The controls in the order they were made, with their texts and boxes; all buttons
// plain push buttons (neither default nor cancel) that Tab stops at.
void ExpectControls(HWND parent, const std::vector<std::pair<std::wstring_view, Box>>& expected) {
    const std::vector<HWND> children = ChildrenInOrder(parent);
    ASSERT_EQ(children.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(TextOf(children[i]), expected[i].first) << "control " << i;
        EXPECT_EQ(ChildBox(parent, children[i]), expected[i].second) << Show(expected[i].first);
        if (ClassOf(children[i]) != WC_BUTTONW) continue;
        EXPECT_EQ(Style(children[i]) & BS_TYPEMASK, BS_PUSHBUTTON) << Show(expected[i].first);
        EXPECT_TRUE(Style(children[i]) & WS_TABSTOP) << Show(expected[i].first);
    }
}

// The focused window of the program's interface thread.
HWND Focus(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

class WindowsTest : public ProgramTest {
protected:
    void SetUp() override {
        HDC screen = ::GetDC(nullptr);
        const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
        ::ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, 96) << "the expected pixel sizes hold at 96 DPI only";
    }
};

TEST_F(WindowsTest, MainWindow) {
    ASSERT_NO_FATAL_FAILURE(Start());
    SaveScreenshot(main_, L"main-window");

    EXPECT_EQ(ClientSize(main_), (Box{0, 0, 406, 192}));
    // Made (and so walked by Tab) in this order: Default before Restore.
    ASSERT_NO_FATAL_FAILURE(ExpectControls(main_, {{kBackupButton, {8, 8, 393, 33}},
                                                   {kInstallButton, {8, 48, 393, 57}},
                                                   {kDefaultButton, {8, 152, 393, 33}},
                                                   {kRestoreButton, {8, 112, 393, 33}}}));
    EXPECT_TRUE(FixedWithoutMinMax(main_));
    EXPECT_TRUE(InTaskBar(main_));
    EXPECT_TRUE(CentredOn(main_));
    // Wine does not answer WM_GETICON from another process; Windows does.
    DWORD_PTR icon = 0;
    if (::SendMessageTimeoutW(main_, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 5000, &icon)) {
        EXPECT_NE(icon, 0u) << "the main window carries no icon";
    }

    // Focus starts on BackupBT, and the Tab key walks the buttons round.
    const std::vector<HWND> order = ChildrenInOrder(main_);
    EXPECT_TRUE(WaitUntil([&] { return Focus(main_) == order[0]; }, 3s))
        << "focused at start: " << Show(TextOf(Focus(main_)));
    for (size_t i = 1; i <= order.size(); ++i) {
        HWND focused = Focus(main_);
        ::PostMessageW(focused, WM_KEYDOWN, VK_TAB, 0x000F0001);
        ::PostMessageW(focused, WM_KEYUP, VK_TAB, 0xC00F0001);
        EXPECT_TRUE(WaitUntil([&] { return Focus(main_) == order[i % order.size()]; }, 3s))
            << "Tab from " << Show(TextOf(focused)) << " went to " << Show(TextOf(Focus(main_)));
    }
    Finish();
}

TEST_F(WindowsTest, FolderDialog) {
    // The dialog only shows the remembered folder; it need not exist.
    testing_support::WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(L"C:\\Games\\Torvanel"));
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = OpenDialog(kBackupButton);
    ASSERT_NE(dialog, nullptr);
    SaveScreenshot(dialog, L"folder-dialog");

    EXPECT_EQ(ClientSize(dialog), (Box{0, 0, 546, 131}));
    ASSERT_NO_FATAL_FAILURE(ExpectControls(dialog, {{L"■Torvanelフォルダの選択方法を決めて下さい。", {16, 8, 377, 17}},
                                                    {kBrowseButton, {8, 24, 529, 25}},
                                                    {SavedPathCaption(L"C:\\Games\\Torvanel"), {8, 56, 529, 65}}}));
    EXPECT_EQ(ClassOf(ChildrenInOrder(dialog)[0]), WC_STATICW);
    EXPECT_TRUE(Style(BT2(dialog)) & BS_MULTILINE) << "BT2 shows its caption on several lines";
    EXPECT_EQ(::GetNextDlgTabItem(dialog, BT1(dialog), FALSE), BT2(dialog));
    EXPECT_EQ(::GetNextDlgTabItem(dialog, BT2(dialog), FALSE), BT1(dialog));
    EXPECT_TRUE(FixedWithoutMinMax(dialog));
    EXPECT_TRUE(InTaskBar(dialog));
    EXPECT_TRUE(CentredOn(dialog));
    EXPECT_FALSE(::IsWindowEnabled(main_)) << "the dialog is modal";

    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    Finish();
}

TEST_F(WindowsTest, BusyWindowWhileATransferRuns) {
    // Enough files that the transfer lasts while the test looks at its window.
    PrepareGameAndPackage();
    FileSet many;
    for (int i = 0; i < 1500; ++i) many.emplace(L"nationDATA\\many" + std::to_wstring(i) + L".dat", "n");
    WriteFiles(game_.path(), many);
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = OpenDialog(kBackupButton);
    ASSERT_NE(dialog, nullptr);
    Click(BT2(dialog));

    HWND busy = program_->WaitFor(Captioned(kBusyCaption));
    ASSERT_NE(busy, nullptr) << "no busy window during the transfer";
    HWND progress = ChildOfClass(busy, PROGRESS_CLASSW);
    ASSERT_NE(progress, nullptr) << "no progress bar under the label";
    const DWORD_PTR done = Send(progress, PBM_GETPOS), planned = Send(progress, PBM_GETRANGE, FALSE);
    EXPECT_EQ(ClientSize(busy), (Box{0, 0, 312, 206}));
    EXPECT_EQ(ChildBox(busy, ChildWithText(busy, L"保存中です。しばらくお待ち下さい。")), (Box{16, 32, 193, 25}));
    EXPECT_TRUE(::GetWindowLongW(busy, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(InTaskBar(busy));
    EXPECT_TRUE(CentredOn(busy, main_));
    EXPECT_FALSE(::IsWindowEnabled(main_)) << "a second operation could start";

    // Closing the busy window is ignored while the transfer runs.
    Send(busy, WM_SYSCOMMAND, SC_CLOSE);
    if (done < planned / 2) {
        EXPECT_TRUE(::IsWindowVisible(busy)) << "the busy window closed midway";
    }
    SaveScreenshot(busy, L"busy-window");
    EXPECT_TRUE(WaitUntil([&] { return Send(progress, PBM_GETPOS) > done; })) << "the progress bar never moved";

    const MessageBoxView message = WaitForMessage();
    EXPECT_EQ(message.text, kBackupDone) << Show(message.text);
    FileSet game = InstalledGame();
    game.merge(many);
    EXPECT_EQ(Snapshot(Game(L"Backup")), BackedUpPart(game));
    if (message.window) PressOk(message.window);
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

// The program's icon holds the 48 x 48, 16-colour image.
TEST(ProgramFile, HasTheProgramIcon) {
    const platform::UniqueModule module(::LoadLibraryExW(ProgramPath().c_str(), nullptr,
                                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module);
    HRSRC group = ::FindResourceW(module.get(), MAKEINTRESOURCEW(1), RT_GROUP_ICON);  // IDI_PROGRAM
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
