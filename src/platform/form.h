#pragma once
// A top-level window laid out in twips: its size, kind and controls are constant
// data; the window converts them to pixels for its DPI, sets the system's message
// font on every control, and lays itself out again when its DPI changes.
// One static window procedure stores `this` and forwards to named handlers.
#include "platform/dpi.h"

#include <windows.h>

#include <span>

namespace platform {

struct ControlLayout {
    int id;
    const wchar_t* className;  // L"BUTTON", L"STATIC", PROGRESS_CLASSW
    const wchar_t* text;
    DWORD style;  // on top of WS_CHILD | WS_VISIBLE
    TwipsRect place;
};

enum class StartPosition {
    CenterScreen,  // on the owner's monitor, or the primary one
    CenterOwner,
};

struct FormLayout {
    const wchar_t* className;
    const wchar_t* caption;
    DWORD style;
    DWORD exStyle;
    int clientWidth;  // twips
    int clientHeight;
    StartPosition startPosition;
    int iconId;  // 0: no icon
    // Created in this order, which is also the order Tab moves in.
    std::span<const ControlLayout> controls;
};

class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Creates the window and its controls, hidden, at the start position.
    bool Create(HWND owner);
    void Destroy() noexcept;

    [[nodiscard]] HWND hwnd() const noexcept { return hwnd_; }
    [[nodiscard]] HWND Control(int id) const noexcept { return ::GetDlgItem(hwnd_, id); }

protected:
    explicit Form(const FormLayout& layout) noexcept : layout_(layout) {}

    virtual void OnCreated() {}
    virtual void OnButtonClicked(int /*id*/) {}
    // The close box, Alt+F4 or WM_CLOSE; the default destroys the window.
    virtual void OnClose() { Destroy(); }
    virtual void OnDestroyed() {}
    // Enter while no button has the focus.
    virtual void OnEnter() {}
    // After the controls were placed from their twips layout for `dpi`: a form the
    // user can resize places them for its size here.
    virtual void OnLaidOut(UINT /*dpi*/) {}
    // Any other message; return true when handled, with `result` set.
    virtual bool OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
        return false;
    }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    [[nodiscard]] SIZE WindowSize(UINT dpi) const noexcept;
    [[nodiscard]] RECT StartRect(HWND owner, UINT dpi) const noexcept;
    void LayOutControls(UINT dpi);
    void SetIcons(UINT dpi);
    void RestoreFocus();
    [[nodiscard]] HWND FocusedButton() const noexcept;

    const FormLayout& layout_;
    HWND hwnd_ = nullptr;
    HWND lastFocus_ = nullptr;
    UniqueGdiObject font_;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
};

}  // namespace platform
