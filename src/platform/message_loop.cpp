#include "platform/message_loop.h"

namespace platform {

void DispatchUiMessage(MSG& message) {
    HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && ::IsDialogMessageW(root, &message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

int RunMessageLoop() {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) DispatchUiMessage(message);
    return static_cast<int>(message.wParam);
}

bool RunMessagesUntil(const std::function<bool()>& ended) {
    MSG message{};
    while (!ended()) {
        if (::GetMessageW(&message, nullptr, 0, 0) <= 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return false;
        }
        DispatchUiMessage(message);
    }
    return true;
}

bool RunMessagesUntilSignalled(HANDLE handle) {
    bool quit = false;
    int quitCode = 0;
    for (;;) {
        const DWORD wait = ::MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (wait != WAIT_OBJECT_0 + 1) break;  // signalled, or the wait itself failed
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                continue;
            }
            DispatchUiMessage(message);
        }
    }
    if (quit) ::PostQuitMessage(quitCode);
    return !quit;
}

}  // namespace platform
