// Program start: the main window, and nothing else until it is closed.
#include "app/main_window.h"
#include "platform/message_loop.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace {

// The shell's folder browser needs COM in a single-threaded apartment.
class ComApartment {
public:
    ComApartment() noexcept
        : initialized_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialized_) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&controls);
    const ComApartment com;

    app::MainWindow window;
    if (!window.Show(showCommand)) return 1;
    return platform::RunMessageLoop();
}
