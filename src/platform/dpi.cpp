#include "platform/dpi.h"

#include "platform/system_function.h"

namespace platform {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

template <typename Fn>
Fn Load(const wchar_t* module, const char* name) noexcept {
    HMODULE handle = ::GetModuleHandleW(module);
    if (handle == nullptr) handle = ::LoadLibraryExW(module, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return SystemFunction<Fn>(handle, name);
}

UINT ScreenDpi() noexcept {
    HDC screen = ::GetDC(nullptr);
    const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (screen != nullptr) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

int SystemMetricForDpi(int index, UINT dpi) noexcept {
    static const auto getForDpi = Load<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
    if (getForDpi != nullptr) return getForDpi(index, dpi);
    return ::MulDiv(::GetSystemMetrics(index), static_cast<int>(dpi), static_cast<int>(SystemDpi()));
}

}  // namespace

UINT SystemDpi() noexcept {
    static const UINT dpi = ScreenDpi();
    return dpi;
}

UINT WindowDpi(HWND window) noexcept {
    static const auto getForWindow = Load<GetDpiForWindowFn>(L"user32.dll", "GetDpiForWindow");
    if (window == nullptr) return SystemDpi();
    if (getForWindow != nullptr) {
        const UINT dpi = getForWindow(window);
        if (dpi != 0) return dpi;
    }
    // Windows 8.1 has per-monitor DPI but no GetDpiForWindow: a per-monitor aware
    // window is drawn at the DPI of the monitor it is on.
    return MonitorDpi(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

UINT MonitorDpi(HMONITOR monitor) noexcept {
    static const auto getForMonitor = Load<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    UINT x = 0;
    UINT y = 0;
    if (getForMonitor != nullptr && monitor != nullptr && SUCCEEDED(getForMonitor(monitor, kEffectiveDpi, &x, &y)) &&
        y != 0) {
        return y;
    }
    return SystemDpi();
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, UINT dpi) noexcept {
    static const auto adjustForDpi = Load<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (adjustForDpi != nullptr) {
        adjustForDpi(&rect, style, FALSE, exStyle, dpi);
    } else {
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

UniqueGdiObject CreateMessageFont(UINT dpi) noexcept {
    static const auto infoForDpi =
        Load<SystemParametersInfoForDpiFn>(L"user32.dll", "SystemParametersInfoForDpi");
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    bool got = infoForDpi != nullptr && infoForDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, dpi);
    if (!got) {
        got = ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0) != FALSE;
        // Without the per-DPI query the font comes at the system DPI.
        metrics.lfMessageFont.lfHeight =
            ::MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
    }
    // Without a font the controls keep the system's default one.
    if (!got) return UniqueGdiObject();
    return UniqueGdiObject(::CreateFontIndirectW(&metrics.lfMessageFont));
}

UniqueIcon LoadProgramIcon(int resourceId, bool small, UINT dpi) noexcept {
    const int cx = SystemMetricForDpi(small ? SM_CXSMICON : SM_CXICON, dpi);
    const int cy = SystemMetricForDpi(small ? SM_CYSMICON : SM_CYICON, dpi);
    return UniqueIcon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                                      IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR)));
}

}  // namespace platform
