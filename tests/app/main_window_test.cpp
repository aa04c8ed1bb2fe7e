// The main window as it opens: its kind, buttons, their places and tab order.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::wstring TextOf(HWND window) {
    wchar_t buffer[256] = {};
    ::GetWindowTextW(window, buffer, 256);
    return buffer;
}

TEST(MainWindow, OpensWithFourButtonsInTheirTabOrder) {
    struct Button {
        int id;
        std::wstring caption;
        RECT pixels;  // at 96 DPI: the twips divided by 15
    };
    const std::vector<Button> inTabOrder = {
        {app::kBackupBTId, L"現在の状態のバックアップ", {8, 8, 401, 41}},
        {app::kInstallBTId, L"ワールドデータ・シナリオデータのインストール", {8, 48, 401, 105}},
        {app::kDefoBTId, L"デフォルトに戻す", {8, 152, 401, 185}},
        {app::kRestoreBTId, L"バックアップしていた状態に戻す", {8, 112, 401, 145}},
    };

    app::MainWindow window;
    ASSERT_TRUE(window.Show(SW_SHOWNOACTIVATE));
    HWND main = window.hwnd();
    EXPECT_EQ(TextOf(main), L"Torvanelワールドデータ・シナリオデータ　インストーラー");
    const LONG_PTR style = ::GetWindowLongPtrW(main, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(::GetWindow(main, GW_OWNER), nullptr);  // a top-level window of its own: in the task bar

    std::vector<int> order;
    for (HWND child = ::GetWindow(main, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        order.push_back(::GetDlgCtrlID(child));
    }
    ASSERT_EQ(order.size(), inTabOrder.size());
    const bool at96 = platform::WindowDpi(main) == 96;
    RECT client{};
    ::GetClientRect(main, &client);
    if (at96) {
        EXPECT_EQ(client.right, 406);
        EXPECT_EQ(client.bottom, 192);
    }
    for (size_t i = 0; i < inTabOrder.size(); ++i) {
        const Button& expected = inTabOrder[i];
        EXPECT_EQ(order[i], expected.id);
        HWND button = ::GetDlgItem(main, expected.id);
        EXPECT_EQ(TextOf(button), expected.caption);
        const LONG_PTR buttonStyle = ::GetWindowLongPtrW(button, GWL_STYLE);
        EXPECT_NE(buttonStyle & WS_TABSTOP, 0);
        EXPECT_EQ(buttonStyle & BS_TYPEMASK, BS_PUSHBUTTON);  // none is the default button
        if (at96) {
            RECT rect{};
            ::GetWindowRect(button, &rect);
            ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
            EXPECT_EQ(rect.left, expected.pixels.left);
            EXPECT_EQ(rect.top, expected.pixels.top);
            EXPECT_EQ(rect.right, expected.pixels.right);
            EXPECT_EQ(rect.bottom, expected.pixels.bottom);
        }
    }

    // Moved to a monitor of 144 DPI: everything is laid out again from its twips, with a larger font.
    auto fontHeight = [](HWND control) {
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        return font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
    };
    HWND backup = ::GetDlgItem(main, app::kBackupBTId);
    const LONG heightBefore = fontHeight(backup);
    RECT suggested{50, 60, 50 + 620, 60 + 330};
    ::SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT moved{};
    ::GetWindowRect(main, &moved);
    EXPECT_EQ(moved.left, 50);
    EXPECT_EQ(moved.top, 60);
    EXPECT_EQ(moved.right, 670);
    RECT rect{};
    ::GetWindowRect(backup, &rect);
    ::MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 12);  // 120 twips
    EXPECT_EQ(rect.top, 12);
    EXPECT_EQ(rect.right - rect.left, 590);  // 5895 twips
    EXPECT_EQ(rect.bottom - rect.top, 50);   // 495 twips
    ASSERT_GT(heightBefore, 0);
    if (at96) {
        EXPECT_GE(fontHeight(backup) * 2, heightBefore * 3 - 2);  // about one and a half times
    }

    // Closing it ends the program: the message loop is told to stop.
    ::SendMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(window.hwnd(), nullptr);
    MSG message{};
    EXPECT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
