#pragma once
// A small driver for the real program: start it in a folder, find its windows by
// caption, click, read texts and message boxes, and make sure it ends.
// Everything waits by bounded polling; nothing here blocks on the program's windows.
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
inline constexpr std::chrono::milliseconds kPatience = 15s;

// Polls `condition` every few milliseconds until it holds or `timeout` runs out.
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = kPatience);

// The program under test as a Windows path, from the test's command line
// (`e2e_tests <path of TorvanelInstaller.exe>`) or the E2E_PROGRAM variable.
[[nodiscard]] std::wstring ProgramPath();

// One running instance of the program.
class RunningProgram {
public:
    // Starts `program` with `currentFolder` as its current folder.
    RunningProgram(const std::wstring& program, const std::wstring& currentFolder);
    // Ends the program if the test did not (a test failure: it should have ended).
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Visible top-level windows of the program.
    [[nodiscard]] std::vector<HWND> Windows() const;
    // The visible top-level window with this caption (and class, if given), or null.
    [[nodiscard]] HWND Find(std::wstring_view caption, const wchar_t* className = nullptr) const;
    // As Find, polling until it appears; null when it never does.
    [[nodiscard]] HWND WaitFor(std::wstring_view caption, const wchar_t* className = nullptr,
                               std::chrono::milliseconds timeout = kPatience) const;
    // The shell folder browser (a dialog holding a tree of folders), or null.
    [[nodiscard]] HWND FindFolderBrowser() const;

    // Closes the main window and waits for the process to end. False when it had
    // to be terminated instead.
    bool Close(HWND mainWindow);
    [[nodiscard]] bool HasExited(std::chrono::milliseconds wait = 0ms) const;

    [[nodiscard]] HANDLE process() const noexcept { return process_.get(); }
    [[nodiscard]] DWORD id() const noexcept { return id_; }

private:
    platform::UniqueKernelHandle process_;
    DWORD id_ = 0;
};

// Window texts through WM_GETTEXT with a timeout, so a hung program fails the test
// instead of hanging it.
[[nodiscard]] std::wstring TextOf(HWND window);
[[nodiscard]] std::wstring ClassOf(HWND window);
// Posts a click: the click's handler may open a modal window, so never wait for it.
void Click(HWND button);
// Returns once the window's thread has handled every message sent before this one.
bool Sync(HWND window);

// A rectangle as left, top, width, height.
struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box&) const = default;
};
inline void PrintTo(const Box& box, std::ostream* out) {
    *out << "(" << box.left << "," << box.top << " " << box.width << "x" << box.height << ")";
}
// The client area's size.
[[nodiscard]] Box ClientSize(HWND window);
// A child control's box in its parent's client coordinates.
[[nodiscard]] Box ChildBox(HWND parent, HWND child);
[[nodiscard]] Box WindowBox(HWND window);

// Direct children of a window in z-order (the order of creation unless changed).
[[nodiscard]] std::vector<HWND> ChildrenInOrder(HWND parent);
// The child with this text (and class, if given), or null.
[[nodiscard]] HWND ChildWithText(HWND parent, std::wstring_view text, const wchar_t* className = nullptr);
[[nodiscard]] HWND ChildOfClass(HWND parent, const wchar_t* className);

// A message box as the player sees it.
enum class MessageIcon { None, Exclamation, Other };
struct MessageBoxView {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
    MessageIcon icon = MessageIcon::None;
};
// Reads a message box (class #32770 with a text static).
[[nodiscard]] MessageBoxView ReadMessageBox(HWND box);
// Presses OK and waits until the box is gone.
bool PressOk(HWND box);

// Selects `folder` in an open shell folder browser and presses its OK button.
bool PickInFolderBrowser(const RunningProgram& program, HWND browser, const std::wstring& folder);
// Presses the browser's Cancel button.
void CancelFolderBrowser(HWND browser);

// When E2E_SCREENSHOT_DIR is set, saves the window as `<dir>\<name>.bmp` (24-bit, as on screen).
void SaveScreenshot(HWND window, std::wstring_view name);

}  // namespace e2e
