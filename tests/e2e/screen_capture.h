#pragma once
// Pictures of the screen: what a window shows, compared with a system icon or saved
// as a bitmap file.
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// The pixels (0x00RRGGBB) of a screen rectangle, top row first.
[[nodiscard]] std::vector<DWORD> ScreenPixels(const RECT& rect);
// An icon drawn at `width` x `height` over `background`, as ScreenPixels gives it.
[[nodiscard]] std::vector<DWORD> IconPixels(HICON icon, int width, int height, DWORD background);
// Saves what the screen shows of a window as a 24-bit BMP file.
void SaveWindowBitmap(HWND window, const std::wstring& path);

}  // namespace e2e
