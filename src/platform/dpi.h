#pragma once
// Twips to pixels for a window's DPI, and the system's message font for that DPI.
// Functions newer than Windows 7 (which is what Wine 8 reports) are loaded at run
// time, with a fallback to the system DPI.
#include "platform/unique_handle.h"

#include <windows.h>

namespace platform {

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DeleteObject(h); }
};
using UniqueGdiObject = UniqueHandle<GdiObjectTraits>;

struct IconTraits {
    using Handle = HICON;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<IconTraits>;

inline constexpr int kTwipsPerInch = 1440;

// The one conversion from the twips the windows are laid out in to pixels.
[[nodiscard]] inline int TwipsToPixels(int twips, UINT dpi) noexcept {
    return ::MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The DPI of the system as a whole (the primary monitor's at log-on).
[[nodiscard]] UINT SystemDpi() noexcept;
// The DPI a window is drawn at (its monitor's where the system cannot say).
[[nodiscard]] UINT WindowDpi(HWND window) noexcept;
// The DPI of a monitor; the system DPI before Windows 8.1.
[[nodiscard]] UINT MonitorDpi(HMONITOR monitor) noexcept;

// The outer size of a window whose client area is `client` pixels at `dpi`.
[[nodiscard]] SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi) noexcept;

// The message font of the system (a Japanese UI font on Japanese Windows) at `dpi`.
[[nodiscard]] UniqueGdiObject CreateMessageFont(UINT dpi) noexcept;

// A small or large icon from the program's resources, sized for `dpi`.
[[nodiscard]] UniqueIcon LoadProgramIcon(int resourceId, bool small, UINT dpi) noexcept;

}  // namespace platform
