#include "package_check/check_window.h"

#include "resource_ids.h"

#include <commctrl.h>

#include <algorithm>

namespace package_check {

namespace {

constexpr int kMargin = 120;  // twips
constexpr int kButtonWidth = 1500;
constexpr int kButtonHeight = 495;
constexpr int kClientWidth = 10500;
constexpr int kClientHeight = 7200;

constexpr platform::ControlLayout kControls[] = {
    {kReportId, L"EDIT", L"", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_BORDER | WS_TABSTOP,
     {kMargin, kMargin, kClientWidth - 2 * kMargin, kClientHeight - 3 * kMargin - kButtonHeight}},
    {kCloseId, L"BUTTON", L"閉じる", BS_PUSHBUTTON | WS_TABSTOP,
     {kClientWidth - kMargin - kButtonWidth, kClientHeight - kMargin - kButtonHeight, kButtonWidth, kButtonHeight}},
};

constexpr platform::FormLayout kCheckForm = {
    L"TorvanelInstaller.PackageCheck",
    kCheckWindowCaption,
    WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
    0,
    kClientWidth,
    kClientHeight,
    platform::StartPosition::CenterScreen,
    IDI_PROGRAM,
    kControls,
};

// The report behaves as a dialog's text: Tab, Enter and Esc go to the window, and
// Ctrl+A selects everything (a multi-line edit does not, before Windows 10).
LRESULT CALLBACK ReportProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) noexcept {
    switch (message) {
    case WM_GETDLGCODE:
        return ::DefSubclassProc(edit, message, wParam, lParam) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    case WM_KEYDOWN:
        if (wParam == 'A' && ::GetKeyState(VK_CONTROL) < 0) {
            ::SendMessageW(edit, EM_SETSEL, 0, -1);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wParam == 1) return 0;  // Ctrl+A's character: no beep
        break;
    default:
        break;
    }
    return ::DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

CheckWindow::CheckWindow(std::wstring report, int exitCode)
    : Form(kCheckForm), report_(std::move(report)), exitCode_(exitCode) {}

CheckWindow::~CheckWindow() { Destroy(); }

bool CheckWindow::Show(int showCommand) {
    if (!Create(nullptr)) return false;
    ::ShowWindow(hwnd(), showCommand);
    ::UpdateWindow(hwnd());
    return true;
}

void CheckWindow::OnCreated() {
    HWND report = Control(kReportId);
    ::SetWindowSubclass(report, &ReportProc, 0, 0);
    ::SendMessageW(report, EM_SETLIMITTEXT, 0, 0);  // as much as the report holds
    ::SetWindowTextW(report, report_.c_str());
}

void CheckWindow::OnButtonClicked(int id) {
    if (id == kCloseId) Destroy();
}

void CheckWindow::OnDestroyed() { ::PostQuitMessage(exitCode_); }

void CheckWindow::OnLaidOut(UINT dpi) { PlaceControls(dpi); }

void CheckWindow::PlaceControls(UINT dpi) {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    const int margin = platform::TwipsToPixels(kMargin, dpi);
    const int buttonWidth = platform::TwipsToPixels(kButtonWidth, dpi);
    const int buttonHeight = platform::TwipsToPixels(kButtonHeight, dpi);
    const int buttonTop = client.bottom - margin - buttonHeight;
    ::MoveWindow(Control(kReportId), margin, margin, std::max(0L, client.right - 2 * margin),
                 std::max(0, buttonTop - 2 * margin), TRUE);
    ::MoveWindow(Control(kCloseId), client.right - margin - buttonWidth, buttonTop, buttonWidth, buttonHeight, TRUE);
}

bool CheckWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_SIZE:
        PlaceControls(platform::WindowDpi(hwnd()));
        break;
    case WM_GETMINMAXINFO: {
        // Room for the button and a few lines of text.
        const UINT dpi = platform::WindowDpi(hwnd());
        const SIZE least = platform::WindowSizeForClient(
            {platform::TwipsToPixels(kButtonWidth * 3, dpi), platform::TwipsToPixels(kButtonHeight * 4, dpi)},
            kCheckForm.style, kCheckForm.exStyle, dpi);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        limits->ptMinTrackSize = POINT{least.cx, least.cy};
        break;
    }
    case WM_COMMAND:
        // Esc, wherever the focus is (Enter comes as OnEnter).
        if (LOWORD(wParam) != IDCANCEL) return false;
        Destroy();
        break;
    default:
        return false;
    }
    result = 0;
    return true;
}

}  // namespace package_check
