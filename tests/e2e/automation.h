#pragma once
// A small driver for the real program: start it in a folder, find its windows, click,
// read texts and message boxes, and make sure it ends. Everything waits by bounded
// polling, and messages to the program time out, so a hung program fails a test
// instead of hanging it.
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/unique_handle.h"

namespace e2e {

using namespace std::chrono_literals;
using WindowTest = std::function<bool(HWND)>;

// Polls `condition` every few milliseconds until it holds or `timeout` runs out.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 15s);

// Under Wine, paths handed over by ctest and scripts are Unix paths; Wine names them on a DOS drive.
[[nodiscard]] std::wstring WindowsPath(const std::wstring& path);

// The program under test, from the test's command line (`e2e_tests <path of the exe>`).
[[nodiscard]] std::wstring ProgramPath();

// One running instance of the program.
class RunningProgram {
public:
    RunningProgram(const std::wstring& program, const std::wstring& currentFolder);
    // Ends the program if the test did not (a test failure: it should have ended).
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Visible top-level windows of the program.
    [[nodiscard]] std::vector<HWND> Windows() const;
    // The first visible top-level window that passes `test`, waited for; null when none comes.
    [[nodiscard]] HWND WaitFor(const WindowTest& test) const;
    // Closes the main window; false when the program did not end and had to be terminated.
    bool Close(HWND mainWindow);
    [[nodiscard]] bool HasExited(std::chrono::milliseconds wait = 0ms) const;
    [[nodiscard]] HANDLE process() const noexcept { return process_.get(); }

private:
    platform::UniqueKernelHandle process_;
    DWORD id_ = 0;
};

[[nodiscard]] WindowTest Captioned(std::wstring_view caption);
[[nodiscard]] bool IsMessageBox(HWND window);
[[nodiscard]] bool IsFolderBrowser(HWND window);

// SendMessageTimeoutW's answer, 0 when the program does not reply in time.
DWORD_PTR Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
[[nodiscard]] std::wstring TextOf(HWND window);
[[nodiscard]] std::wstring ClassOf(HWND window);
// Posts a click: its handler may open a modal window, so never wait for it.
inline void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }
// Returns once the window's thread has handled every message sent before this one.
inline bool Sync(HWND window) { return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr) != 0; }

// A rectangle as left, top, width, height.
struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};
inline void PrintTo(const Box& box, std::ostream* out) {
    *out << "(" << box.left << "," << box.top << " " << box.width << "x" << box.height << ")";
}
[[nodiscard]] Box ClientSize(HWND window);
[[nodiscard]] Box WindowBox(HWND window);
// A child control's box in its parent's client coordinates.
[[nodiscard]] Box ChildBox(HWND parent, HWND child);

// Direct children of a window in z-order (the order of creation, which is the Tab order).
[[nodiscard]] std::vector<HWND> ChildrenInOrder(HWND parent);
// The first child with this text (or class), or null.
[[nodiscard]] HWND ChildWithText(HWND parent, std::wstring_view text);
[[nodiscard]] HWND ChildOfClass(HWND parent, const wchar_t* className);

// A message box as the player sees it.
enum class MessageIcon { None, Exclamation, Other };
inline void PrintTo(MessageIcon icon, std::ostream* out) {
    *out << (icon == MessageIcon::None ? "no icon" : icon == MessageIcon::Exclamation ? "exclamation" : "another icon");
}
struct MessageBoxView {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
    MessageIcon icon = MessageIcon::None;
};
[[nodiscard]] MessageBoxView ReadMessageBox(HWND box);
// Presses OK and waits until the box is gone.
bool PressOk(HWND box);

// Selects `folder` in an open shell folder browser and presses its OK button.
bool PickInFolderBrowser(HANDLE process, HWND browser, const std::wstring& folder);

// When E2E_SCREENSHOT_DIR is set, saves what the screen shows of the window as `<dir>\<name>.ppm`.
void SaveScreenshot(HWND window, std::wstring_view name);

}  // namespace e2e
