#pragma once
// The thread's message loops: the program's own, a modal window's, and the one
// that keeps the windows alive while a worker thread runs.
#include <windows.h>

#include <functional>

namespace platform {

// Hands one message to its window. Keys that move between or press controls
// (Tab, arrows, Space, Enter) work in every top-level window, as in a dialog.
void DispatchUiMessage(MSG& message);

// Runs messages until WM_QUIT; returns its exit code.
int RunMessageLoop();

// Runs messages until `ended()` holds. A WM_QUIT met meanwhile is posted again
// for the outer loop, and the result is false.
bool RunMessagesUntil(const std::function<bool()>& ended);

// Runs messages until `handle` (a thread, an event) is signalled. Never leaves
// before that, even on WM_QUIT, which is posted again afterwards (result false).
bool RunMessagesUntilSignalled(HANDLE handle);

}  // namespace platform
