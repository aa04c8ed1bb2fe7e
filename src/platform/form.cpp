#include "platform/form.h"

#ifndef WM_GETDPISCALEDSIZE
#define WM_GETDPISCALEDSIZE 0x02E4
#endif

namespace platform {

namespace {

bool RegisterFormClass(const wchar_t* className, WNDPROC procedure) noexcept {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

RECT PixelRect(const TwipsRect& twips, UINT dpi) noexcept {
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    return RECT{left, top, left + TwipsToPixels(twips.width, dpi), top + TwipsToPixels(twips.height, dpi)};
}

// Keeps a window of `size` centred on `center` and inside `area` where it fits.
RECT CenteredIn(POINT center, SIZE size, const RECT& area) noexcept {
    LONG left = center.x - size.cx / 2;
    LONG top = center.y - size.cy / 2;
    if (left + size.cx > area.right) left = area.right - size.cx;
    if (top + size.cy > area.bottom) top = area.bottom - size.cy;
    if (left < area.left) left = area.left;
    if (top < area.top) top = area.top;
    return RECT{left, top, left + size.cx, top + size.cy};
}

HMONITOR MonitorFor(HWND owner) noexcept {
    return owner != nullptr ? ::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST)
                            : ::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

}  // namespace

Form::~Form() { Destroy(); }

bool Form::Create(HWND owner) {
    if (hwnd_ != nullptr) return true;
    if (!RegisterFormClass(layout_.className, &Form::WindowProc)) return false;

    const UINT monitorDpi = MonitorDpi(MonitorFor(owner));
    RECT rect = StartRect(owner, monitorDpi);
    if (::CreateWindowExW(layout_.exStyle, layout_.className, layout_.caption, layout_.style, rect.left, rect.top,
                          rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, ::GetModuleHandleW(nullptr),
                          this) == nullptr) {
        return false;
    }
    // The window may have come out at another DPI than its monitor's (system-aware hosts).
    const UINT dpi = WindowDpi(hwnd_);
    if (dpi != monitorDpi) {
        rect = StartRect(owner, dpi);
        ::SetWindowPos(hwnd_, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOutControls(dpi);
    SetIcons(dpi);
    OnCreated();
    return true;
}

void Form::Destroy() noexcept {
    if (hwnd_ != nullptr) ::DestroyWindow(hwnd_);
}

SIZE Form::WindowSize(UINT dpi) const noexcept {
    const SIZE client{TwipsToPixels(layout_.clientWidth, dpi), TwipsToPixels(layout_.clientHeight, dpi)};
    return WindowSizeForClient(client, layout_.style, layout_.exStyle, dpi);
}

RECT Form::StartRect(HWND owner, UINT dpi) const noexcept {
    const SIZE size = WindowSize(dpi);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(MonitorFor(owner), &info);

    POINT center{(info.rcWork.left + info.rcWork.right) / 2, (info.rcWork.top + info.rcWork.bottom) / 2};
    RECT ownerRect{};
    if (layout_.startPosition == StartPosition::CenterOwner && owner != nullptr && ::GetWindowRect(owner, &ownerRect)) {
        center = POINT{(ownerRect.left + ownerRect.right) / 2, (ownerRect.top + ownerRect.bottom) / 2};
    }
    return CenteredIn(center, size, info.rcWork);
}

void Form::CreateControls() {
    for (const ControlLayout& control : layout_.controls) {
        ::CreateWindowExW(0, control.className, control.text, WS_CHILD | WS_VISIBLE | control.style, 0, 0, 0, 0, hwnd_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), ::GetModuleHandleW(nullptr),
                          nullptr);
    }
}

// Every twips figure of the controls becomes pixels here, with the font for the same DPI.
void Form::LayOutControls(UINT dpi) {
    UniqueGdiObject font = CreateMessageFont(dpi);
    for (const ControlLayout& control : layout_.controls) {
        HWND child = Control(control.id);
        if (child == nullptr) continue;
        if (font) ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
        const RECT rect = PixelRect(control.place, dpi);
        ::MoveWindow(child, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, TRUE);
    }
    // The old font may go only once no control uses it any more.
    font_ = std::move(font);
    OnLaidOut(dpi);
}

void Form::SetIcons(UINT dpi) {
    if (layout_.iconId == 0) return;
    UniqueIcon big = LoadProgramIcon(layout_.iconId, false, dpi);
    UniqueIcon small = LoadProgramIcon(layout_.iconId, true, dpi);
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

// Focus leaves with the window and comes back to the same control, as in a dialog.
void Form::RestoreFocus() {
    HWND target = lastFocus_ != nullptr && ::IsChild(hwnd_, lastFocus_) && ::IsWindowEnabled(lastFocus_)
                      ? lastFocus_
                      : ::GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target != nullptr && target != hwnd_) ::SetFocus(target);
}

HWND Form::FocusedButton() const noexcept {
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsChild(hwnd_, focus) || !::IsWindowEnabled(focus)) return nullptr;
    const LRESULT code = ::SendMessageW(focus, WM_GETDLGCODE, 0, 0);
    return (code & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON)) != 0 ? focus : nullptr;
}

// An exception must never unwind through user32; noexcept ends the program instead.
LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Form* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        self->lastFocus_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        CreateControls();
        return 0;
    case WM_COMMAND: {
        // Enter comes as IDOK when there is no default button (our control ids are
        // never IDOK): it presses the button that has the focus, as in a dialog.
        if (LOWORD(wParam) == IDOK) {
            if (HWND button = FocusedButton()) {
                OnButtonClicked(::GetDlgCtrlID(button));
            } else {
                OnEnter();
            }
            return 0;
        }
        HWND control = reinterpret_cast<HWND>(lParam);
        if (HIWORD(wParam) == BN_CLICKED && control != nullptr && ::IsChild(hwnd_, control)) {
            OnButtonClicked(LOWORD(wParam));
            return 0;
        }
        break;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus != nullptr && ::IsChild(hwnd_, focus)) lastFocus_ = focus;
        }
        break;  // the default puts the focus on the window, and WM_SETFOCUS passes it on
    case WM_SETFOCUS:
        RestoreFocus();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        OnDestroyed();
        return 0;
    case WM_GETDPISCALEDSIZE: {
        // The client area keeps its size in twips exactly at the new DPI; one the
        // user can resize is scaled by the system.
        if (layout_.style & WS_THICKFRAME) break;
        *reinterpret_cast<SIZE*>(lParam) = WindowSize(static_cast<UINT>(wParam));
        return TRUE;
    }
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        LayOutControls(HIWORD(wParam));
        SetIcons(HIWORD(wParam));
        return 0;
    }
    default:
        break;
    }
    LRESULT result = 0;
    if (OnMessage(message, wParam, lParam, result)) return result;
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace platform
