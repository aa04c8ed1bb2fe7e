#include "program_driver.h"

#include "folder_tree.h"
#include "platform/system_function.h"

#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <thread>

namespace driver {

namespace {

// What `paint` draws into a width x height picture (over `background`), as
// 0x00RRGGBB pixels, top row first.
std::vector<DWORD> Picture(int width, int height, const std::function<void(HDC picture, HDC screen)>& paint,
                           DWORD background = 0) {
    struct Dcs {
        HDC screen = ::GetDC(nullptr);
        HDC memory = ::CreateCompatibleDC(screen);
        ~Dcs() {
            ::DeleteDC(memory);
            ::ReleaseDC(nullptr, screen);
        }
    } dcs;
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    const std::unique_ptr<void, decltype(&::DeleteObject)> bitmap(
        ::CreateDIBSection(dcs.memory, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0),
        &::DeleteObject);
    if (!bitmap || width <= 0 || height <= 0) return {};
    const size_t count = static_cast<size_t>(width) * height;
    std::fill(bits, bits + count, background);
    const HGDIOBJ old = ::SelectObject(dcs.memory, bitmap.get());
    paint(dcs.memory, dcs.screen);
    ::GdiFlush();
    ::SelectObject(dcs.memory, old);
    std::vector<DWORD> pixels(bits, bits + count);
    for (DWORD& pixel : pixels) pixel &= 0xFFFFFF;  // alpha means nothing on screen
    return pixels;
}

std::vector<DWORD> ScreenPixels(const RECT& box) {
    const int width = box.right - box.left, height = box.bottom - box.top;
    return Picture(width, height, [&](HDC picture, HDC screen) {
        ::BitBlt(picture, 0, 0, width, height, screen, box.left, box.top, SRCCOPY);
    });
}

// An icon handle belongs to the program's process, so it cannot be drawn here:
// compare what the screen shows with the system's exclamation icon instead (for a
// while, in case the box is still painting or another window passes over it).
MessageIcon IconShownBy(HWND iconControl) {
    RECT box = {};
    ::GetWindowRect(iconControl, &box);
    const int width = box.right - box.left, height = box.bottom - box.top;
    const bool exclamation = WaitUntil([&] {
        const std::vector<DWORD> shown = ScreenPixels(box);
        return !shown.empty() && shown == Picture(width, height, [&](HDC picture, HDC) {
            ::DrawIconEx(picture, 0, 0, ::LoadIconW(nullptr, IDI_EXCLAMATION), width, height, 0, nullptr, DI_NORMAL);
        }, shown.front());
    }, 3s);
    return exclamation ? MessageIcon::Exclamation : MessageIcon::Other;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout,
               std::chrono::milliseconds poll) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(poll);
    }
    return true;
}

RunningProgram::RunningProgram(const std::wstring& exe, const std::wstring& currentFolder, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Wine now and then fails a start with an internal error (1359) while a second
    // prefix starts up: that is the host's, not the program's, and is tried again.
    for (int attempt = 1;; ++attempt) {
        if (::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             currentFolder.c_str(), &startup, &info))
            break;
        const DWORD error = ::GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 5)
            throw std::runtime_error(bench::ErrorMessage(L"starting " + exe + L" (the host could not start it)", error));
        ::Sleep(200);
    }
    ::CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

RunningProgram::~RunningProgram() {
    if (HasExited()) return;
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 10000);
}

bool RunningProgram::HasExited(std::chrono::milliseconds wait) const noexcept {
    return ::WaitForSingleObject(process_.get(), static_cast<DWORD>(wait.count())) == WAIT_OBJECT_0;
}

DWORD RunningProgram::ExitCode() const noexcept {
    DWORD code = STILL_ACTIVE;
    return ::GetExitCodeProcess(process_.get(), &code) ? code : STILL_ACTIVE;
}

SIZE_T RunningProgram::PeakWorkingSet() const noexcept {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    return ::GetProcessMemoryInfo(process_.get(), &memory, sizeof memory) ? memory.PeakWorkingSetSize : 0;
}

std::vector<HWND> RunningProgram::Windows() const {
    std::pair<DWORD, std::vector<HWND>> search{id_, {}};
    ::EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto& [id, found] = *reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(parameter);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == id && ::IsWindowVisible(window)) found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

HWND RunningProgram::Find(const WindowTest& test) const {
    const std::vector<HWND> windows = Windows();
    const auto match = std::find_if(windows.begin(), windows.end(), test);
    return match == windows.end() ? nullptr : *match;
}

HWND RunningProgram::WaitFor(const WindowTest& test, std::chrono::milliseconds timeout,
                             std::chrono::milliseconds poll) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Find(test)) != nullptr || HasExited(); }, timeout, poll);
    return found;
}

bool RunningProgram::Close(std::chrono::milliseconds timeout) {
    for (HWND window : Windows()) ::PostMessageW(window, WM_CLOSE, 0, 0);
    if (HasExited(timeout)) return true;
    ::TerminateProcess(process_.get(), 1);
    ::WaitForSingleObject(process_.get(), 10000);
    return false;
}

WindowTest Captioned(std::wstring_view caption) {
    return [caption](HWND window) {
        // GetWindowTextW reads another process's caption without sending it a
        // message, so a busy program cannot stall us here.
        wchar_t text[512] = {};
        ::GetWindowTextW(window, text, static_cast<int>(std::size(text)));
        return caption == text;
    };
}

// A system message box: a dialog with its text static.
bool IsMessageBox(HWND window) { return ClassOf(window) == L"#32770" && ::GetDlgItem(window, 0xFFFF); }
bool IsFolderBrowser(HWND window) { return ClassOf(window) == L"#32770" && ChildOfClass(window, WC_TREEVIEWW); }

DWORD_PTR Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
}

std::wstring TextOf(HWND window) {
    std::wstring text(std::max<DWORD_PTR>(Send(window, WM_GETTEXTLENGTH) + 1, 4096), L'\0');
    text.resize(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    return std::wstring(name, static_cast<size_t>(::GetClassNameW(window, name, static_cast<int>(std::size(name)))));
}

std::vector<HWND> ChildrenInOrder(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

HWND ChildOfClass(HWND parent, const wchar_t* className) {
    for (HWND child : ChildrenInOrder(parent)) {
        if (ClassOf(child) == className) return child;
    }
    return nullptr;
}

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view{box, {}, TextOf(::GetDlgItem(box, 0xFFFF))};
    wchar_t title[512] = {};
    ::GetWindowTextW(box, title, static_cast<int>(std::size(title)));
    view.title = title;
    // The icon is a static of the icon kind (Wine keeps an empty one when there is no icon).
    for (HWND child : ChildrenInOrder(box)) {
        const bool iconStatic = ClassOf(child) == WC_STATICW && (::GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
        if (iconStatic && ::IsWindowVisible(child) && Send(child, STM_GETICON)) view.icon = IconShownBy(child);
    }
    return view;
}

bool PressOk(HWND box) {
    Click(::GetDlgItem(box, IDOK));
    return WaitUntil([&] { return !::IsWindowVisible(box); });
}

bool PickInFolderBrowser(HANDLE process, HWND browser, const std::wstring& folder) {
    // BFFM_SETSELECTIONW and TVM_GETITEMW take pointers into the browser's own
    // process: the path, an item and a text buffer are put there.
    struct Shared {
        wchar_t path[MAX_PATH];
        TVITEMW item;
        wchar_t text[MAX_PATH];
    };
    const auto release = [process](Shared* memory) { ::VirtualFreeEx(process, memory, 0, MEM_RELEASE); };
    const std::unique_ptr<Shared, decltype(release)> remote(
        static_cast<Shared*>(::VirtualAllocEx(process, nullptr, sizeof(Shared), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
        release);
    Shared local = {};
    folder.copy(local.path, MAX_PATH - 1);
    HWND tree = ChildOfClass(browser, WC_TREEVIEWW);
    // The browser's answer to BFFM_SETSELECTIONW says nothing, so the tree is asked
    // which folder is selected; a folder made just before may need a second try.
    const std::wstring name = folder.substr(folder.rfind(L'\\') + 1);
    const bool selected = remote && WaitUntil([&] {
        Send(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote->path));
        local.item.mask = TVIF_TEXT;
        local.item.hItem = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET));
        local.item.pszText = remote->text;
        local.item.cchTextMax = MAX_PATH;
        return ::WriteProcessMemory(process, remote.get(), &local, sizeof local, nullptr) &&
               Send(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&remote->item)) &&
               ::ReadProcessMemory(process, remote->text, local.text, sizeof local.text, nullptr) &&
               local.text == name;
    }, 5s);
    if (selected) Click(::GetDlgItem(browser, IDOK));
    return selected;
}

void SaveScreenshot(HWND window, std::wstring_view name) {
    wchar_t folder[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"SCREENSHOT_DIR", folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    // Let the window finish painting; this is a picture, not a check.
    Sync(window);
    std::this_thread::sleep_for(300ms);
    RECT box = {};
    ::GetWindowRect(window, &box);
    // A binary PPM: a text header, then three bytes a pixel, top row first.
    std::string bytes = "P6\n" + std::to_string(box.right - box.left) + " " + std::to_string(box.bottom - box.top) +
                        "\n255\n";
    for (const DWORD pixel : ScreenPixels(box)) {
        bytes += {static_cast<char>(pixel >> 16), static_cast<char>(pixel >> 8), static_cast<char>(pixel)};
    }
    if (::IsWindowVisible(window)) bench::WriteFileBytes(WindowsPath(folder) + L"\\" + std::wstring(name) + L".ppm", bytes);
}

std::wstring WindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    using UnixToDos = LPWSTR(CDECL*)(LPCSTR);
    const auto convert = platform::SystemFunction<UnixToDos>(::GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name");
    LPWSTR dos = convert ? convert(bench::Utf8(path).c_str()) : nullptr;
    if (!dos) return path;
    std::wstring result = dos;
    ::HeapFree(::GetProcessHeap(), 0, dos);
    return result;
}

}  // namespace driver
