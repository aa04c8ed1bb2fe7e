#include "e2e/automation.h"

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <thread>

#include "e2e/screen_capture.h"
#include "support/temp_folder.h"

namespace e2e {

namespace {

constexpr UINT kReplyTimeoutMs = 5000;
constexpr int kMessageBoxTextId = 0xFFFF;  // the text static of a system message box

std::string Utf8(std::wstring_view text) { return testing_support::Narrow(text); }

// Under Wine, paths handed over by ctest are Unix paths; Wine names them on a DOS drive.
std::wstring WindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    using UnixToDos = LPWSTR(CDECL*)(LPCSTR);
    const auto convert = reinterpret_cast<UnixToDos>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!convert) return path;
    LPWSTR dos = convert(Utf8(path).c_str());
    if (!dos) return path;
    std::wstring result = dos;
    ::HeapFree(::GetProcessHeap(), 0, dos);
    return result;
}

std::wstring Environment(const wchar_t* name) {
    wchar_t buffer[MAX_PATH * 2] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
    return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

// Memory inside another process, for messages that carry pointers.
class RemoteMemory {
public:
    RemoteMemory(HANDLE process, size_t size)
        : process_(process), address_(::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
    ~RemoteMemory() {
        if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;

    [[nodiscard]] void* get() const noexcept { return address_; }
    bool Write(void* there, const void* here, size_t size) const {
        return ::WriteProcessMemory(process_, there, here, size, nullptr) != FALSE;
    }
    bool Read(void* here, const void* there, size_t size) const {
        return ::ReadProcessMemory(process_, there, here, size, nullptr) != FALSE;
    }

private:
    HANDLE process_;
    void* address_;
};

bool IsFolderBrowser(HWND window) {
    return ClassOf(window) == L"#32770" && ChildOfClass(window, WC_TREEVIEWW) != nullptr;
}

// An icon handle belongs to the program's process, so it cannot be drawn here:
// compare what the screen shows with the system's exclamation icon instead (for a
// while, in case the box is still painting or another window passes over it).
MessageIcon IconShownBy(HWND iconControl) {
    RECT rect = {};
    ::GetWindowRect(iconControl, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return MessageIcon::Other;
    bool same = false;
    WaitUntil([&] {
        const std::vector<DWORD> shown = ScreenPixels(rect);
        same = !shown.empty() &&
               shown == IconPixels(::LoadIconW(nullptr, IDI_EXCLAMATION), width, height, shown.front());
        return same;
    }, 3s);
    return same ? MessageIcon::Exclamation : MessageIcon::Other;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
}

std::wstring ProgramPath() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> arguments(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    std::wstring path;
    for (int i = 1; arguments && i < count && path.empty(); ++i) {
        if (std::wstring_view(arguments.get()[i]).substr(0, 2) != L"--") path = arguments.get()[i];
    }
    if (path.empty()) path = Environment(L"E2E_PROGRAM");
    return WindowsPath(path);
}

RunningProgram::RunningProgram(const std::wstring& program, const std::wstring& currentFolder) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          currentFolder.c_str(), &startup, &info)) {
        throw std::runtime_error("cannot start " + Utf8(program) + ", error " + std::to_string(::GetLastError()));
    }
    ::CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

RunningProgram::~RunningProgram() {
    if (HasExited()) return;
    ADD_FAILURE() << "the program was still running at the end of the test; terminated";
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 10000);
}

std::vector<HWND> RunningProgram::Windows() const {
    struct Search {
        DWORD id;
        std::vector<HWND> found;
    } search{id_, {}};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == s.id && ::IsWindowVisible(window)) s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND RunningProgram::Find(std::wstring_view caption, const wchar_t* className) const {
    for (HWND window : Windows()) {
        // GetWindowTextW reads another process's caption without sending it a message.
        wchar_t text[512] = {};
        ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
        if (text == caption && (!className || ClassOf(window) == className)) return window;
    }
    return nullptr;
}

HWND RunningProgram::WaitFor(std::wstring_view caption, const wchar_t* className,
                             std::chrono::milliseconds timeout) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Find(caption, className)) != nullptr || HasExited(); }, timeout);
    return found;
}

HWND RunningProgram::FindFolderBrowser() const {
    for (HWND window : Windows()) {
        if (IsFolderBrowser(window)) return window;
    }
    return nullptr;
}

bool RunningProgram::Close(HWND mainWindow) {
    if (HasExited()) return true;
    ::PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    if (HasExited(10s)) return true;
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 10000);
    return false;
}

bool RunningProgram::HasExited(std::chrono::milliseconds wait) const {
    return ::WaitForSingleObject(process_.get(), static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0;
}

std::wstring TextOf(HWND window) {
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &length)) {
        return L"<no reply>";
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                               SMTO_ABORTIFHUNG, kReplyTimeoutMs, &copied)) {
        return L"<no reply>";
    }
    text.resize(copied);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<size_t>(length));
}

void Click(HWND button) { ::PostMessageW(button, BM_CLICK, 0, 0); }

bool Sync(HWND window) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &ignored) != 0;
}

Box ClientSize(HWND window) {
    RECT rect = {};
    ::GetClientRect(window, &rect);
    return {0, 0, rect.right - rect.left, rect.bottom - rect.top};
}

Box ChildBox(HWND parent, HWND child) {
    RECT rect = {};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

Box WindowBox(HWND window) {
    RECT rect = {};
    ::GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<HWND> ChildrenInOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

HWND ChildWithText(HWND parent, std::wstring_view text, const wchar_t* className) {
    for (HWND child : ChildrenInOrder(parent)) {
        if ((!className || ClassOf(child) == className) && TextOf(child) == text) return child;
    }
    return nullptr;
}

HWND ChildOfClass(HWND parent, const wchar_t* className) {
    for (HWND child : ChildrenInOrder(parent)) {
        if (ClassOf(child) == className) return child;
    }
    return nullptr;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    wchar_t title[512] = {};
    ::GetWindowTextW(box, title, static_cast<int>(std::size(title)));
    view.title = title;
    if (HWND text = ::GetDlgItem(box, kMessageBoxTextId)) view.text = TextOf(text);
    // The icon is a static of the icon kind (Wine keeps an empty one when there is no icon).
    for (HWND child : ChildrenInOrder(box)) {
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        if (ClassOf(child) != WC_STATICW || (style & SS_TYPEMASK) != SS_ICON) continue;
        DWORD_PTR icon = 0;
        ::SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &icon);
        if (icon != 0 && ::IsWindowVisible(child)) view.icon = IconShownBy(child);
    }
    return view;
}

bool PressOk(HWND box) {
    HWND ok = ::GetDlgItem(box, IDOK);
    if (!ok) ok = ::GetDlgItem(box, IDCANCEL);
    if (!ok) return false;
    Click(ok);
    return WaitUntil([&] { return !::IsWindow(box) || !::IsWindowVisible(box); });
}

bool PickInFolderBrowser(const RunningProgram& program, HWND browser, const std::wstring& folder) {
    // BFFM_SETSELECTIONW and TVM_GETITEMW take pointers into the browser's own
    // process: the path, an item and a text buffer are put there.
    struct Shared {
        wchar_t path[MAX_PATH];
        TVITEMW item;
        wchar_t text[MAX_PATH];
    };
    HWND tree = ChildOfClass(browser, WC_TREEVIEWW);
    const RemoteMemory memory(program.process(), sizeof(Shared));
    auto* shared = static_cast<Shared*>(memory.get());
    if (!tree || !shared || folder.size() >= MAX_PATH ||
        !memory.Write(shared->path, folder.c_str(), (folder.size() + 1) * sizeof(wchar_t))) {
        return false;
    }
    auto selectedName = [&]() -> std::wstring {
        DWORD_PTR caret = 0;
        ::SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_ABORTIFHUNG, kReplyTimeoutMs, &caret);
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(caret);
        item.pszText = shared->text;
        item.cchTextMax = MAX_PATH;
        wchar_t text[MAX_PATH] = {};
        DWORD_PTR ignored = 0;
        const bool read = caret && memory.Write(&shared->item, &item, sizeof item) &&
                          ::SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&shared->item),
                                                SMTO_ABORTIFHUNG, kReplyTimeoutMs, &ignored) &&
                          memory.Read(text, shared->text, sizeof text - sizeof(wchar_t));
        return read ? text : L"";
    };
    // The browser's answer to BFFM_SETSELECTIONW says nothing, so the tree is asked
    // which folder is selected; a folder made just before may need a second try.
    const std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
    const bool selected = WaitUntil([&] {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(shared->path),
                              SMTO_ABORTIFHUNG, kReplyTimeoutMs, &ignored);
        return selectedName() == name;
    }, 5s);
    if (selected) Click(::GetDlgItem(browser, IDOK));
    return selected;
}

void CancelFolderBrowser(HWND browser) { Click(::GetDlgItem(browser, IDCANCEL)); }

void SaveScreenshot(HWND window, std::wstring_view name) {
    const std::wstring folder = WindowsPath(Environment(L"E2E_SCREENSHOT_DIR"));
    if (folder.empty()) return;
    // Let the window finish painting; this is a picture, not an assertion.
    Sync(window);
    std::this_thread::sleep_for(300ms);
    const std::wstring path = folder + L"\\" + std::wstring(name) + L".bmp";
    SaveWindowBitmap(window, path);
    if (!::IsWindowVisible(window)) {
        ::DeleteFileW(path.c_str());
        std::fprintf(stderr, "%s: the window closed while it was captured; no picture\n", Utf8(name).c_str());
    }
}

}  // namespace e2e
