#pragma once
// Drives the real program from outside, as a player's clicks would: starts it in a
// folder, finds its windows, clicks, reads texts and message boxes, and makes sure
// it ends. The end-to-end tests and the benchmark both drive it through this. Waits
// are bounded polls and messages to the program time out, so a hung program fails
// a run instead of hanging it.
#include "platform/unique_handle.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace driver {

using namespace std::chrono_literals;
using WindowTest = std::function<bool(HWND)>;

// Polls `condition` every `poll` until it holds or `timeout` runs out. A plain sleep:
// pumping our own queue would be one more call into a busy Wine server.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 15s,
               std::chrono::milliseconds poll = 5ms);

class RunningProgram {
public:
    // Starts `exe` with `currentFolder` as its current folder and `arguments` after its
    // name; throws std::runtime_error when it cannot.
    RunningProgram(const std::wstring& exe, const std::wstring& currentFolder, const std::wstring& arguments = {});
    // The exit code once the program has ended; STILL_ACTIVE before.
    [[nodiscard]] DWORD ExitCode() const noexcept;
    ~RunningProgram();  // ends the program if it is still running
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    [[nodiscard]] HANDLE process() const noexcept { return process_.get(); }
    [[nodiscard]] bool HasExited(std::chrono::milliseconds wait = 0ms) const noexcept;
    // The largest working set the program has had so far, in bytes (0 if unknown).
    [[nodiscard]] SIZE_T PeakWorkingSet() const noexcept;

    // The visible top-level windows of the program.
    [[nodiscard]] std::vector<HWND> Windows() const;
    // The first of them that passes `test`, or null.
    [[nodiscard]] HWND Find(const WindowTest& test) const;
    // The same, waited for; null after `timeout` or when the program ends.
    [[nodiscard]] HWND WaitFor(const WindowTest& test, std::chrono::milliseconds timeout = 15s,
                               std::chrono::milliseconds poll = 5ms) const;
    // Asks every window to close; true when the program then ended by itself,
    // false when it had to be terminated.
    bool Close(std::chrono::milliseconds timeout = 10s);

private:
    platform::UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// Window tests for RunningProgram::Find and WaitFor.
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
// Direct children of a window in z-order (the order of creation, which is the Tab order).
[[nodiscard]] std::vector<HWND> ChildrenInOrder(HWND parent);
[[nodiscard]] HWND ChildOfClass(HWND parent, const wchar_t* className);

// A message box as the player sees it.
enum class MessageIcon { None, Exclamation, Other };
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

// When SCREENSHOT_DIR is set (scripts/screenshots.sh), saves what the screen shows
// of the window as `<dir>\<name>.ppm`.
void SaveScreenshot(HWND window, std::wstring_view name);

// Under Wine, paths given on a command line may be Unix paths; Wine names them on a DOS drive.
[[nodiscard]] std::wstring WindowsPath(const std::wstring& path);

}  // namespace driver
