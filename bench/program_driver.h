#pragma once
// Starts a Windows program and drives its windows from outside, as a user's clicks
// would: finding top-level windows of the process by caption, clicking buttons
// by their text, answering message boxes.
#include "platform/unique_handle.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace bench {

class RunningProgram {
public:
    // Starts `exe` with `currentFolder` as its current folder; throws when it cannot.
    RunningProgram(const std::wstring& exe, const std::wstring& currentFolder);
    ~RunningProgram();  // ends the program if it is still running
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    [[nodiscard]] HANDLE process() const noexcept { return process_.get(); }
    [[nodiscard]] DWORD id() const noexcept { return id_; }
    [[nodiscard]] bool HasExited() const noexcept;
    // The largest working set the program has had so far, in bytes (0 if unknown).
    [[nodiscard]] SIZE_T PeakWorkingSet() const noexcept;

    // A visible top-level window of this program with exactly this caption, or null.
    [[nodiscard]] HWND FindVisibleWindow(std::wstring_view caption) const;
    // Polls for it every millisecond; null after `timeoutMs` or when the program ends.
    // Our own messages wait meanwhile.
    [[nodiscard]] HWND WaitForVisibleWindow(std::wstring_view caption, DWORD timeoutMs) const;
    // A visible message box of this program (dialog class) other than `notCaption`, or null.
    [[nodiscard]] HWND FindMessageBox(std::wstring_view notCaption) const;

    // Asks every window to close, waits, and ends the program after `timeoutMs`.
    // True when it ended by itself.
    bool Close(DWORD timeoutMs);

private:
    platform::UniqueKernelHandle process_;
    platform::UniqueKernelHandle thread_;
    DWORD id_ = 0;
};

// The window's caption or text, read without sending it a message (other process).
[[nodiscard]] std::wstring WindowText(HWND window);

// The child control whose text starts with `prefix`, or null.
[[nodiscard]] HWND FindChildByText(HWND parent, std::wstring_view prefix);

// All static texts of a dialog, joined by newlines (a message box's message).
[[nodiscard]] std::wstring StaticTexts(HWND dialog);

// Clicks a button the way the program will see a user's click: BM_CLICK, posted.
void ClickButton(HWND button);

// Sleeps while answering this thread's own window messages (between measurements).
void PumpingSleep(DWORD ms);

}  // namespace bench
