// The three windows as a player sees them at 96 DPI and moved to monitors of 120, 144
// and 192 (boxes: twips / 15 at 96 DPI); Enter in the game-folder dialog presses the focused button.
#include "app/main_window.h"
#include "platform/text_file.h"
#include "program_driver.h"
#include "support/temp_folder.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

namespace {

using namespace driver;

using Box = std::array<int, 4>;  // left, top, width, height

Box Scaled(Box box, UINT dpi) {
    for (int& pixels : box) pixels = ::MulDiv(pixels, static_cast<int>(dpi), 96);
    return box;
}

// A window's box on the screen, or a child's in its parent's client area.
Box BoxOf(HWND window, HWND parent = nullptr) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

LONG FontHeight(HWND control) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
    return std::abs(font.lfHeight);
}

// A label's text, drawn without breaking lines in the label's own font, fits inside it:
// the label then shows it on the lines the text itself has.
void ExpectTextFits(HWND label) {
    const std::wstring text = TextOf(label);
    HDC dc = ::GetDC(label);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(label, WM_GETFONT, 0, 0)));
    RECT needed{};
    RECT has{};
    ::DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    ::SelectObject(dc, old);
    ::ReleaseDC(label, dc);
    ::GetClientRect(label, &has);
    EXPECT_TRUE(needed.right <= has.right && needed.bottom <= has.bottom)
        << testing_support::Utf8(text) << " needs " << needed.right << " x " << needed.bottom;
}

// Centred within a pixel on `on` (null: the screen's work area): the halves of an odd
// difference round either way.
void ExpectCentred(HWND window, HWND on) {
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const Box box = BoxOf(window);
    const Box area = on ? BoxOf(on) : Box{work.left, work.top, work.right - work.left, work.bottom - work.top};
    for (int i : {0, 1}) EXPECT_LE(std::abs(2 * (box[i] - area[i]) + box[i + 2] - area[i + 2]), 2) << "not centred";
}

// Boxes at 96 DPI; controls in the order they are made, which Tab follows; the style's
// WS_EX_APPWINDOW and WS_EX_TOOLWINDOW; centred on the screen's work area when null.
struct Control { const wchar_t* className; std::wstring text; Box box; };
struct Window {
    const char* name; HWND hwnd; const wchar_t* caption; Box client;
    std::vector<Control> controls; LONG exStyle; HWND centredOn;
};

void ExpectWindow(const Window& w, UINT dpi) {
    SCOPED_TRACE(testing::Message() << w.name << " at " << dpi << " DPI");
    EXPECT_EQ(TextOf(w.hwnd), w.caption);
    RECT client{};
    ::GetClientRect(w.hwnd, &client);
    EXPECT_EQ((Box{0, 0, client.right, client.bottom}), Scaled(w.client, dpi));
    const std::vector<HWND> children = ChildrenInOrder(w.hwnd);
    std::vector<HWND> buttons;
    ASSERT_EQ(children.size(), w.controls.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const Control& c = w.controls[i];
        EXPECT_EQ(ClassOf(children[i]) + L" " + TextOf(children[i]), c.className + (L" " + c.text));
        EXPECT_EQ(BoxOf(children[i], w.hwnd), Scaled(c.box, dpi)) << testing_support::Utf8(c.text);
        if (c.className == std::wstring_view(WC_STATICW)) ExpectTextFits(children[i]);
        if (c.className != std::wstring_view(WC_BUTTONW)) continue;
        buttons.push_back(children[i]);
        // Plain push buttons (neither default nor cancel), captions on several lines.
        const LONG style = ::GetWindowLongW(children[i], GWL_STYLE);
        EXPECT_EQ(style & (BS_TYPEMASK | BS_MULTILINE | WS_TABSTOP), BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP);
    }
    for (size_t i = 0; i < buttons.size(); ++i)
        EXPECT_EQ(::GetNextDlgTabItem(w.hwnd, buttons[i], FALSE), buttons[(i + 1) % buttons.size()]) << "Tab from " << i;
    const LONG style = ::GetWindowLongW(w.hwnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), WS_CAPTION | WS_SYSMENU)
        << "a fixed frame without minimize and maximize boxes";
    EXPECT_EQ(::GetWindowLongW(w.hwnd, GWL_EXSTYLE) & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW), w.exStyle);
    // At other DPIs they are where the system suggested; the main window was moved.
    if (dpi == 96 && w.centredOn != w.hwnd) ExpectCentred(w.hwnd, w.centredOn);
}

TEST(Windows, LaidOutFromTheirTwipsAt96To192Dpi) {
    const testing_support::TempFolder temp;
    const std::wstring game = temp / L"Torvanel";
    testing_support::WriteBytes(game + L"\\TorvaGame.exe", "MZ");
    testing_support::WriteBytes(temp / L"PathDATA.txt", *platform::ToAnsi(game) + "\r\n");
    const testing_support::CurrentFolderScope scope(temp.path());

    app::MainWindow main;
    ASSERT_TRUE(main.Show(SW_SHOWNOACTIVATE));
    ASSERT_EQ(platform::WindowDpi(main.hwnd()), 96u) << "the expected boxes start from 96 DPI";
    ExpectCentred(main.hwnd(), nullptr);
    // Away from the screen's centre, it shows what each of the others centres on.
    ::SetWindowPos(main.hwnd(), nullptr, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    folder_dialog::GameFolderSelection selection;
    folder_dialog::FolderDialog dialog(selection, L"title");
    app::BusyWindow busy;
    ASSERT_TRUE(dialog.Create(main.hwnd()) && busy.Create(main.hwnd()));
    // Busy first: it is centred on the main window as it is before the main window moves.
    const Window windows[] = {
        {"busy window", busy.hwnd(), L"保存中です。このままお待ち下さい。", {0, 0, 312, 206},
         {{WC_STATICW, L"保存中です。しばらくお待ち下さい。", {16, 32, 280, 25}}, {PROGRESS_CLASSW, L"", {16, 72, 280, 17}}},
         WS_EX_TOOLWINDOW, main.hwnd()},
        {"folder dialog", dialog.hwnd(), L"Torvanelフォルダ選択方法", {0, 0, 546, 131},
         {{WC_STATICW, L"■Torvanelフォルダの選択方法を決めて下さい。", {16, 8, 377, 17}},
          {WC_BUTTONW, L"初めてTorvanelフォルダを選ぶ。あるいは、前回と違うフォルダを選ぶ。", {8, 24, 529, 25}},
          {WC_BUTTONW, L"前回保存したパス名、\r" + game + L"\rを選択する。", {8, 56, 529, 65}}},
         WS_EX_APPWINDOW, nullptr},
        {"main window", main.hwnd(), L"Torvanelワールドデータ・シナリオデータ\u3000インストーラー", {0, 0, 406, 192},
         // Made (and so walked by Tab) in this order: Default before Restore.
         {{WC_BUTTONW, L"現在の状態のバックアップ", {8, 8, 393, 33}},
          {WC_BUTTONW, L"ワールドデータ・シナリオデータのインストール", {8, 48, 393, 57}},
          {WC_BUTTONW, L"デフォルトに戻す", {8, 152, 393, 33}},
          {WC_BUTTONW, L"バックアップしていた状態に戻す", {8, 112, 393, 33}}},
         0, main.hwnd()},
    };
    for (const Window& w : windows) {
        ASSERT_NO_FATAL_FAILURE(ExpectWindow(w, 96));
        EXPECT_EQ(::GetWindow(w.hwnd, GW_OWNER), w.hwnd == main.hwnd() ? nullptr : main.hwnd()) << w.name;
        const LONG heightAt96 = FontHeight(::GetWindow(w.hwnd, GW_CHILD));
        for (const UINT dpi : {120u, 144u, 192u}) {
            // The system's suggestion: the client at that DPI in the window's present frame
            // (this system draws frames at one DPI only).
            const Box client = Scaled(w.client, dpi);
            RECT suggested{50, 60, 50 + client[2], 60 + client[3]};
            ::AdjustWindowRectEx(&suggested, static_cast<DWORD>(::GetWindowLongW(w.hwnd, GWL_STYLE)), FALSE,
                                 static_cast<DWORD>(::GetWindowLongW(w.hwnd, GWL_EXSTYLE)));
            ::SendMessageW(w.hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
            ASSERT_NO_FATAL_FAILURE(ExpectWindow(w, dpi));
            EXPECT_GE(FontHeight(::GetWindow(w.hwnd, GW_CHILD)) * 96, heightAt96 * static_cast<LONG>(dpi) - 96)
                << w.name << " at " << dpi << " DPI: font not scaled";
        }
    }

    // There is no default button, so Enter comes as IDOK and presses the focused one: BT2.
    ::ShowWindow(dialog.hwnd(), SW_SHOWNOACTIVATE);
    ::SetFocus(dialog.Control(folder_dialog::kBT2Id));
    ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, game);

    // The main window's end asks the message loop to stop; the request must not reach a later test.
    main.Destroy();
    MSG quit{};
    EXPECT_TRUE(::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
