// Program start: the main window, and nothing else until it is closed.
#include "app/main_window.h"
#include "platform/message_loop.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&controls);

    app::MainWindow window;
    if (!window.Show(showCommand)) return 1;
    return platform::RunMessageLoop();
}
