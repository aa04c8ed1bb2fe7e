// The three windows as a player sees them at 96 DPI: captions, client sizes and
// control boxes (twips / 15), window kinds, placement, and the order Tab walks.
#include "e2e/program_test.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <utility>

namespace e2e {

namespace {

struct Control {
    std::wstring_view text;
    Box box;
};

int ScreenDpi() {
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi;
}

LONG Style(HWND window) { return ::GetWindowLongW(window, GWL_STYLE); }
LONG ExStyle(HWND window) { return ::GetWindowLongW(window, GWL_EXSTYLE); }

bool FixedWithoutMinMax(HWND window) {
    const LONG style = Style(window);
    return (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) &&
           !(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
}

bool InTaskBar(HWND window) {
    const LONG ex = ExStyle(window);
    return !(ex & WS_EX_TOOLWINDOW) && ((ex & WS_EX_APPWINDOW) || !::GetWindow(window, GW_OWNER));
}

RECT WorkArea(HWND window) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcWork;
}

// Centred within a pixel: the halves of an odd difference round either way.
testing::AssertionResult CentredOn(HWND window, const RECT& area) {
    const Box box = WindowBox(window);
    const int dx = (2 * box.left + box.width) - (area.left + area.right);
    const int dy = (2 * box.top + box.height) - (area.top + area.bottom);
    if (std::abs(dx) <= 2 && std::abs(dy) <= 2) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "window at " << testing::PrintToString(box) << ", area " << area.left
                                       << "," << area.top << "-" << area.right << "," << area.bottom;
}

void ExpectControls(HWND parent, const std::vector<HWND>& children, const std::vector<Control>& expected) {
    ASSERT_EQ(children.size(), expected.size()) << "controls of " << Show(TextOf(parent));
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(TextOf(children[i]), expected[i].text) << "control " << i;
        EXPECT_EQ(ChildBox(parent, children[i]), expected[i].box) << Show(expected[i].text);
    }
}

// Neither the default nor the cancel button: plain push buttons.
void ExpectPlainPushButtons(const std::vector<HWND>& buttons) {
    for (HWND button : buttons) {
        EXPECT_EQ(Style(button) & BS_TYPEMASK, BS_PUSHBUTTON) << Show(TextOf(button));
        EXPECT_TRUE(Style(button) & WS_TABSTOP) << Show(TextOf(button));
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
        ProgramTest::SetUp();
        ASSERT_EQ(ScreenDpi(), 96) << "the expected pixel sizes hold at 96 DPI only";
    }
};

TEST_F(WindowsTest, MainWindow) {
    ASSERT_NO_FATAL_FAILURE(Start());
    SaveScreenshot(main_, L"main-window");

    EXPECT_EQ(ClientSize(main_), (Box{0, 0, 406, 192}));
    // In the order they were made, which is the Tab order: Default before Restore.
    ExpectControls(main_, ChildrenInOrder(main_),
                   {{kBackupButton, {8, 8, 393, 33}},
                    {kInstallButton, {8, 48, 393, 57}},
                    {kDefaultButton, {8, 152, 393, 33}},
                    {kRestoreButton, {8, 112, 393, 33}}});
    ExpectPlainPushButtons(ChildrenInOrder(main_));
    EXPECT_TRUE(FixedWithoutMinMax(main_));
    EXPECT_TRUE(InTaskBar(main_));
    EXPECT_TRUE(CentredOn(main_, WorkArea(main_)));
    // Wine does not answer WM_GETICON from another process; Windows does.
    DWORD_PTR icon = 0;
    if (::SendMessageTimeoutW(main_, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 5000, &icon)) {
        EXPECT_NE(icon, 0u) << "the main window carries no icon";
    }
    Finish();
}

// The program's icon holds the 48 x 48, 16-colour image.
TEST(ProgramFile, HasTheProgramIcon) {
    const std::wstring program = ProgramPath();
    const std::unique_ptr<HINSTANCE__, decltype(&::FreeLibrary)> module(
        ::LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE),
        &::FreeLibrary);
    ASSERT_NE(module, nullptr) << testing_support::Narrow(program);
    std::vector<std::pair<int, int>> sizesAndColours;  // width, colour count (0: more than 256)
    ::EnumResourceNamesW(
        module.get(), RT_GROUP_ICON,
        [](HMODULE m, LPCWSTR, LPWSTR name, LONG_PTR found) -> BOOL {
            HRSRC resource = ::FindResourceW(m, name, RT_GROUP_ICON);
            const auto* bytes = static_cast<const BYTE*>(::LockResource(::LoadResource(m, resource)));
            const size_t size = ::SizeofResource(m, resource);
            // GRPICONDIR: reserved, type, count; then 14-byte entries starting width, height, colours.
            const size_t count = size >= 6 ? bytes[4] | (bytes[5] << 8) : 0;
            for (size_t i = 0; i < count && 6 + 14 * (i + 1) <= size; ++i) {
                const BYTE* entry = bytes + 6 + 14 * i;
                reinterpret_cast<std::vector<std::pair<int, int>>*>(found)->emplace_back(entry[0], entry[2]);
            }
            return FALSE;  // the first icon is the program's
        },
        reinterpret_cast<LONG_PTR>(&sizesAndColours));
    EXPECT_NE(std::find(sizesAndColours.begin(), sizesAndColours.end(), std::pair{48, 16}), sizesAndColours.end())
        << "no 48 x 48 image of 16 colours in the program's icon";
}

TEST_F(WindowsTest, TabWalksTheMainWindowsButtonsInTheirOrder) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::vector<HWND> buttons = ChildrenInOrder(main_);
    ASSERT_EQ(buttons.size(), 4u);
    const HWND backup = ChildWithText(main_, kBackupButton), install = ChildWithText(main_, kInstallButton),
               defo = ChildWithText(main_, kDefaultButton), restore = ChildWithText(main_, kRestoreButton);
    const std::vector<HWND> order = {backup, install, defo, restore};

    // What the dialog manager computes ...
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(::GetNextDlgTabItem(main_, order[i], FALSE), order[(i + 1) % order.size()])
            << "after " << Show(TextOf(order[i]));
    }
    // ... and what the Tab key does: focus starts on BackupBT and walks the order.
    ASSERT_TRUE(WaitUntil([&] { return Focus(main_) != nullptr; }, 3s)) << "no control has the focus";
    EXPECT_EQ(Focus(main_), backup) << "focused at start: " << Show(TextOf(Focus(main_)));
    for (size_t i = 1; i <= order.size(); ++i) {
        HWND focused = Focus(main_);
        ::PostMessageW(focused, WM_KEYDOWN, VK_TAB, 0x000F0001);
        ::PostMessageW(focused, WM_KEYUP, VK_TAB, 0xC00F0001);
        Sync(main_);
        EXPECT_TRUE(WaitUntil([&] { return Focus(main_) == order[i % order.size()]; }, 3s))
            << "Tab from " << Show(TextOf(focused)) << " went to " << Show(TextOf(Focus(main_)));
    }
    Finish();
}

TEST_F(WindowsTest, FolderDialog) {
    // The dialog only shows the remembered folder; it need not exist.
    const std::wstring remembered = L"C:\\Games\\Torvanel";
    WriteSavedPath(package_.path(), remembered);
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = OpenDialog(kBackupButton);
    ASSERT_NE(dialog, nullptr);
    SaveScreenshot(dialog, L"folder-dialog");

    EXPECT_EQ(ClientSize(dialog), (Box{0, 0, 546, 131}));
    const std::vector<HWND> children = ChildrenInOrder(dialog);
    ExpectControls(dialog, children,
                   {{kDialogLabel, {16, 8, 377, 17}},
                    {kBrowseButton, {8, 24, 529, 25}},
                    {SavedPathCaption(remembered), {8, 56, 529, 65}}});
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(ClassOf(children[0]), WC_STATICW);
    ExpectPlainPushButtons({children[1], children[2]});
    EXPECT_TRUE(Style(children[2]) & BS_MULTILINE) << "BT2 shows its caption on several lines";
    EXPECT_EQ(::GetNextDlgTabItem(dialog, children[1], FALSE), children[2]);
    EXPECT_EQ(::GetNextDlgTabItem(dialog, children[2], FALSE), children[1]);
    EXPECT_TRUE(FixedWithoutMinMax(dialog));
    EXPECT_TRUE(InTaskBar(dialog));
    EXPECT_TRUE(CentredOn(dialog, WorkArea(dialog)));
    EXPECT_FALSE(::IsWindowEnabled(main_)) << "the dialog is modal";

    ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

TEST_F(WindowsTest, BusyWindowWhileATransferRuns) {
    // Enough files that the transfer lasts while the test looks at its window.
    FileSet game = InstalledGame();
    for (int i = 0; i < 1500; ++i) game.emplace(L"nationDATA\\many" + std::to_wstring(i) + L".dat", std::string(1, 'n'));
    WriteFiles(game_.path(), game);
    WriteFiles(package_.path(), PackageData());
    WriteSavedPath(package_.path(), game_.path());
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND dialog = OpenDialog(kBackupButton);
    ASSERT_NE(dialog, nullptr);
    Click(RememberedFolderButton(dialog));

    HWND busy = program_->WaitFor(kBusyCaption);
    ASSERT_NE(busy, nullptr) << "no busy window during the transfer";
    HWND progress = ChildOfClass(busy, PROGRESS_CLASSW);
    DWORD_PTR done = 0, planned = 0;
    ::SendMessageTimeoutW(progress, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &done);
    ::SendMessageTimeoutW(progress, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &planned);
    EXPECT_NE(progress, nullptr) << "no progress bar under the label";
    EXPECT_EQ(ClientSize(busy), (Box{0, 0, 312, 206}));
    HWND label = ChildWithText(busy, L"保存中です。しばらくお待ち下さい。", WC_STATICW);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(ChildBox(busy, label), (Box{16, 32, 193, 25}));
    EXPECT_TRUE(ExStyle(busy) & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(InTaskBar(busy));
    EXPECT_TRUE(CentredOn(busy, [&] { RECT r; ::GetWindowRect(main_, &r); return r; }()));
    EXPECT_FALSE(::IsWindowEnabled(main_)) << "a second operation could start";

    // Closing the busy window is ignored while the transfer runs.
    const bool workLeft = done < planned / 2;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(busy, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    if (workLeft) {
        EXPECT_TRUE(::IsWindowVisible(busy)) << "the busy window closed midway";
    }
    SaveScreenshot(busy, L"busy-window");
    // The bar moves while the files are carried.
    EXPECT_TRUE(WaitUntil([&] {
        DWORD_PTR position = 0;
        return ::SendMessageTimeoutW(progress, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000, &position) && position > done;
    })) << "the progress bar never moved";

    MessageBoxView message = WaitForMessage();
    EXPECT_EQ(message.text, kBackupDone);
    EXPECT_EQ(Within(FilesUnder(game_.path()), L"Backup"), BackedUpPart(game));
    if (message.window) PressOk(message.window);
    EXPECT_TRUE(OnlyMainWindowShows());
    Finish();
}

}  // namespace

}  // namespace e2e
