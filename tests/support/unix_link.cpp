#include "support/unix_link.h"

#include "folder_tree.h"
#include "platform/system_function.h"
#include "platform/unique_handle.h"
#include "program_driver.h"

#include <windows.h>

#include <stdexcept>

namespace testing_support {

namespace {

// Wine starts a Unix program given by its Unix path, but hands back no process handle to
// wait on: callers wait for what the program does instead.
void StartUnix(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = program + L" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        throw std::runtime_error("cannot start " + bench::Utf8(program));
    const platform::UniqueKernelHandle process(started.hProcess), thread(started.hThread);
}

// A Unix path as Windows programs may name it.
std::wstring Seen(const std::wstring& unixPath) { return L"\\\\?\\unix" + unixPath; }

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

}  // namespace

std::wstring UnixPath(const std::wstring& path) {
    using DosToUnix = char*(CDECL*)(LPCWSTR);
    const auto convert = platform::SystemFunction<DosToUnix>(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    char* unix = convert ? convert(path.c_str()) : nullptr;
    if (!unix) throw std::runtime_error("no Unix path for " + bench::Utf8(path) + " (not under Wine?)");
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, unix, -1, nullptr, 0);
    std::wstring result(static_cast<size_t>(length > 0 ? length - 1 : 0), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, unix, -1, result.data(), length);
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

std::wstring DriveLetters() {
    const wchar_t* prefix = ::_wgetenv(L"WINEPREFIX");
    if (!prefix || !*prefix) throw std::runtime_error("WINEPREFIX is not set: run through scripts/wine-env.sh");
    return std::wstring(prefix) + L"/dosdevices";
}

std::wstring FinalPath(const std::wstring& path) {
    const platform::UniqueFile file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t final[1024] = {};
    return file && ::GetFinalPathNameByHandleW(file.get(), final, 1024, 0) < 1024 ? final : L"";
}

// Unix programs run on their own: the link is waited for, and a link left from an earlier
// run is replaced.
UnixLink::UnixLink(const std::wstring& target, std::wstring link) : link_(std::move(link)) {
    StartUnix(L"/bin/ln", L"-sfn " + Quoted(target) + L" " + Quoted(link_));
    const std::wstring leadsTo = FinalPath(Seen(target));
    if (leadsTo.empty() || !driver::WaitUntil([&] { return FinalPath(Seen(link_)) == leadsTo; })) {
        StartUnix(L"/bin/rm", L"-f " + Quoted(link_));
        throw std::runtime_error("cannot link " + bench::Utf8(link_) + " to " + bench::Utf8(target));
    }
}

// A link whose target has gone cannot be seen from Windows, so nothing to wait for then.
UnixLink::~UnixLink() {
    try {
        StartUnix(L"/bin/rm", L"-f " + Quoted(link_));
        driver::WaitUntil([&] { return FinalPath(Seen(link_)).empty(); });
    } catch (const std::exception&) {}
}

}  // namespace testing_support
