#include "program_driver.h"

#include "folder_tree.h"
#include "stopwatch.h"

#include <psapi.h>

#include <stdexcept>
#include <vector>

namespace bench {

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

// Top-level windows of one process, in Z order.
std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<WindowSearch*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId) s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ChildrenOf(HWND parent) {
    std::vector<HWND> children;
    ::EnumChildWindows(
        parent,
        [](HWND window, LPARAM parameter) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

}  // namespace

std::wstring WindowText(HWND window) {
    // GetWindowTextW does not send WM_GETTEXT to another process's window, so a busy
    // program cannot stall us here.
    wchar_t text[1024] = {};
    ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
    return text;
}

HWND FindChildByText(HWND parent, std::wstring_view prefix) {
    for (HWND child : ChildrenOf(parent)) {
        // Controls of another process: WM_GETTEXT is answered by the control's own
        // window procedure, which is fine while the program is idle.
        wchar_t text[1024] = {};
        ::SendMessageTimeoutW(child, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                              2000, nullptr);
        if (std::wstring_view(text).substr(0, prefix.size()) == prefix) return child;
    }
    return nullptr;
}

std::wstring StaticTexts(HWND dialog) {
    std::wstring texts;
    for (HWND child : ChildrenOf(dialog)) {
        if (::CompareStringOrdinal(ClassOf(child).c_str(), -1, L"Static", -1, TRUE) != CSTR_EQUAL) continue;
        wchar_t text[1024] = {};
        ::SendMessageTimeoutW(child, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                              2000, nullptr);
        if (text[0] == L'\0') continue;
        if (!texts.empty()) texts += L'\n';
        texts += text;
    }
    return texts;
}

void ClickButton(HWND button) {
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

void PumpingSleep(DWORD ms) {
    const Stopwatch watch;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        const double left = ms - watch.ElapsedMs();
        if (left <= 0) return;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    }
}

RunningProgram::RunningProgram(const std::wstring& exe, const std::wstring& currentFolder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, currentFolder.c_str(),
                          &startup, &info))
        throw std::runtime_error(ErrorMessage(L"starting " + exe, ::GetLastError()));
    process_.reset(info.hProcess);
    thread_.reset(info.hThread);
    id_ = info.dwProcessId;
}

RunningProgram::~RunningProgram() {
    if (!HasExited()) {
        ::TerminateProcess(process_.get(), 1);
        ::WaitForSingleObject(process_.get(), 5000);
    }
}

bool RunningProgram::HasExited() const noexcept {
    return ::WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0;
}

SIZE_T RunningProgram::PeakWorkingSet() const noexcept {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    return ::GetProcessMemoryInfo(process_.get(), &memory, sizeof memory) ? memory.PeakWorkingSetSize : 0;
}

HWND RunningProgram::FindVisibleWindow(std::wstring_view caption) const {
    for (HWND window : TopLevelWindowsOf(id_)) {
        if (::IsWindowVisible(window) && WindowText(window) == caption) return window;
    }
    return nullptr;
}

HWND RunningProgram::WaitForVisibleWindow(std::wstring_view caption, DWORD timeoutMs) const {
    const Stopwatch watch;
    while (watch.ElapsedMs() < timeoutMs) {
        if (HWND window = FindVisibleWindow(caption)) return window;
        if (HasExited()) return nullptr;
        // A plain sleep: peeking at our own queue would be one more call into the
        // Wine server, which the starting program is busy with.
        ::Sleep(1);
    }
    return nullptr;
}

HWND RunningProgram::FindMessageBox(std::wstring_view notCaption) const {
    for (HWND window : TopLevelWindowsOf(id_)) {
        if (::IsWindowVisible(window) && ClassOf(window) == L"#32770" && WindowText(window) != notCaption)
            return window;
    }
    return nullptr;
}

bool RunningProgram::Close(DWORD timeoutMs) {
    for (HWND window : TopLevelWindowsOf(id_)) {
        if (::IsWindowVisible(window)) ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    const Stopwatch watch;
    while (watch.ElapsedMs() < timeoutMs) {
        if (HasExited()) return true;
        ::Sleep(5);
    }
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 5000);
    return false;
}

}  // namespace bench
