// Program start: the main window, and nothing else until it is closed; or, when a
// folder is dropped on the exe or named after /check, the package check's window.
#include "app/main_window.h"
#include "app/start_request.h"
#include "package_check/check_report.h"
#include "package_check/check_window.h"
#include "platform/message_loop.h"
#include "platform/path_names.h"

#include <windows.h>
#include <commctrl.h>

namespace {

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

// Only reads: no lock, no work folder, no saved path.
int CheckPackage(const app::StartRequest& request, const std::wstring& programPath, int showCommand) {
    const std::wstring_view programName = std::wstring_view(programPath).substr(platform::FolderPart(programPath).size());
    const package_check::PackageCheck check = package_check::CheckPackage(request.folder, programName);
    package_check::CheckWindow window(package_check::CheckReportText(check), package_check::HasFindings(check) ? 1 : 0);
    if (!window.Show(showCommand)) return 1;
    return platform::RunMessageLoop();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int showCommand) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS;
    ::InitCommonControlsEx(&controls);

    const std::wstring programPath = ProgramPath();
    const app::StartRequest request =
        app::StartRequestFrom(arguments ? arguments : L"", std::wstring(platform::FolderPart(programPath)));
    if (request.checkPackage) return CheckPackage(request, programPath, showCommand);

    app::MainWindow window;
    if (!window.Show(showCommand)) return 1;
    return platform::RunMessageLoop();
}
