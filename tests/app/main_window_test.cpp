// The main window moved to a monitor of 144 DPI: laid out again from its twips, with a
// larger font. (At 96 DPI the end-to-end tests check every box.)
#include "app/main_window.h"

#include <gtest/gtest.h>

namespace {

LONG FontHeight(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
}

TEST(MainWindow, LaysItselfOutAgainWhenItsDpiChanges) {
    app::MainWindow window;
    ASSERT_TRUE(window.Show(SW_SHOWNOACTIVATE));
    HWND main = window.hwnd();
    HWND backup = ::GetDlgItem(main, app::kBackupBTId);
    const bool from96 = platform::WindowDpi(main) == 96;
    const LONG heightBefore = FontHeight(backup);

    // The system's suggestion: a client of 6090 x 2880 twips at 144 DPI, in the window's present frame.
    RECT suggested{50, 60, 50 + 609, 60 + 288};
    ::AdjustWindowRectEx(&suggested, static_cast<DWORD>(::GetWindowLongPtrW(main, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrW(main, GWL_EXSTYLE)));
    ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    RECT rect{};
    ::GetWindowRect(main, &rect);
    EXPECT_EQ(rect.left, suggested.left);
    EXPECT_EQ(rect.top, suggested.top);
    ::GetClientRect(main, &rect);
    EXPECT_EQ(rect.right, 609);
    EXPECT_EQ(rect.bottom, 288);
    ::GetWindowRect(backup, &rect);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 12);  // 120, 120, 5895 x 495 twips
    EXPECT_EQ(rect.top, 12);
    EXPECT_EQ(rect.right - rect.left, 590);
    EXPECT_EQ(rect.bottom - rect.top, 50);
    ASSERT_GT(heightBefore, 0);
    if (from96) {
        EXPECT_GE(FontHeight(backup) * 2, heightBefore * 3 - 2);  // about one and a half times
    }

    // Its end asks the message loop to stop; the request must not reach a later test.
    window.Destroy();
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
