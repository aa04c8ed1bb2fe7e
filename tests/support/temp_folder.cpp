#include "support/temp_folder.h"

#include "platform/file_services.h"
#include "platform/system_function.h"

#include <atomic>
#include <cwctype>
#include <stdexcept>

namespace testing_support {

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

Tree ReadInto(Tree&& tree, const std::wstring& folder, const std::wstring& prefix, std::wstring_view skipped,
              bool everything) {
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
        const std::wstring name = prefix + entry.path().filename().wstring();
        if (name == skipped) continue;
        if (entry.is_directory()) {
            if (everything) tree[name + L"\\"] = "";
            tree = ReadInto(std::move(tree), entry.path().wstring(), name + L"\\", skipped, everything);
            continue;
        }
        platform::BytesRead read = platform::ReadFileBytes(entry.path().wstring());
        std::string& content = tree[name] = read.error == ERROR_SUCCESS ? std::move(read.bytes) : "<held open>";
        const DWORD kept = ::GetFileAttributesW(entry.path().c_str()) & kKeptAttributes;
        if (everything && kept) content += " [attributes " + std::to_string(kept) + "]";
    }
    return std::move(tree);
}

}  // namespace

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    wchar_t root[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, root);
    // A folder left by an earlier process of the same id is passed over.
    do {
        path_ = root + (L"tvtest-" + std::to_wstring(::GetCurrentProcessId())) + L"-" + std::to_wstring(counter++);
    } while (!::CreateDirectoryW(path_.c_str(), nullptr) && ::GetLastError() == ERROR_ALREADY_EXISTS);
    if (!FolderExists(path_)) throw std::runtime_error("cannot create a temporary folder");
}

// A file still held open leaves the folder to the system's clean-up.
TempFolder::~TempFolder() {
    try { RemoveTree(path_); } catch (const std::exception&) {}
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
    MakeFolders(path.substr(0, path.rfind(L'\\')));
    bench::WriteFileBytes(path, bytes);
}

std::string ReadBytes(const std::wstring& path) {
    platform::BytesRead read = platform::ReadFileBytes(path);
    if (read.error != ERROR_SUCCESS) throw std::runtime_error("cannot read " + Utf8(path));
    return std::move(read.bytes);
}

platform::UniqueFile HoldWithoutSharing(const std::wstring& path) {
    platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) throw std::runtime_error("cannot hold " + Utf8(path));
    return file;
}

void SetAttributes(const std::wstring& path, DWORD attributes) {
    if (!::SetFileAttributesW(path.c_str(), attributes) ||
        (::GetFileAttributesW(path.c_str()) & kKeptAttributes) != (attributes & kKeptAttributes))
        throw std::runtime_error("attributes did not stick on " + Utf8(path) + " (file system without xattrs?)");
}

void WriteTree(const std::wstring& folder, const Tree& tree) {
    MakeFolders(folder);
    for (const auto& [name, content] : tree) WriteBytes(folder + L"\\" + name, content);
}

Tree ReadTree(const std::wstring& folder, std::wstring_view skipped) { return ReadInto({}, folder, L"", skipped, false); }
Tree Snapshot(const std::wstring& folder) { return ReadInto({}, folder, L"", {}, true); }

}  // namespace testing_support

namespace testing_support {

namespace {

// The Unix path of a Windows path under Wine; "" elsewhere.
std::string UnixPath(const std::wstring& path) {
    using DosToUnix = char*(CDECL*)(LPCWSTR);
    const auto convert = platform::SystemFunction<DosToUnix>(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    char* unix = convert ? convert(path.c_str()) : nullptr;
    if (!unix) return {};
    std::string result = unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    return result;
}

// Starts a Unix command and waits until `done` holds (Wine gives no handle to wait on
// for a Unix process).
template <typename Done>
bool RunUnix(std::wstring command, Done done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const platform::UniqueKernelHandle thread(process.hThread), running(process.hProcess);
    for (int wait = 0; wait < 100 && !done(); ++wait) ::Sleep(50);
    return done();
}

std::wstring Quoted(const std::string& unixPath) {
    return L"\"" + std::filesystem::path(std::u8string(unixPath.begin(), unixPath.end())).wstring() + L"\"";
}

}  // namespace

bool MakeLink(const std::wstring& link, const std::wstring& target) {
    const std::string from = UnixPath(link), to = UnixPath(target);
    return !from.empty() && !to.empty() && RunUnix(L"/bin/ln -s " + Quoted(to) + L" " + Quoted(from), [&] {
               return ::GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES;
           });
}

bool RemoveLink(const std::wstring& link) {
    const std::string path = UnixPath(link);
    return !path.empty() && RunUnix(L"/bin/rm " + Quoted(path), [&] {
               return ::GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES;
           });
}

bool WriteCaseTwin(const std::wstring& path, std::string_view bytes) {
    const TempFolder scratch;
    WriteBytes(scratch / L"twin", bytes);
    // The folder's Unix path, then the name: Wine would find the existing twin by the whole path.
    const std::filesystem::path name = std::filesystem::path(path).filename();
    const std::u8string utf8 = name.u8string();
    const std::string from = UnixPath(scratch / L"twin"),
                      to = UnixPath(std::filesystem::path(path).parent_path().wstring()) + "/" +
                           std::string(utf8.begin(), utf8.end());
    const auto written = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path())) {
            if (entry.path().filename() == std::filesystem::path(path).filename()) return true;
        }
        return false;
    };
    return !from.empty() && !to.empty() && RunUnix(L"/bin/cp " + Quoted(from) + L" " + Quoted(to), written);
}

namespace {

std::wstring FinalPath(const std::wstring& path) {
    const platform::UniqueFile file(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    wchar_t final[1024] = {};
    return file && ::GetFinalPathNameByHandleW(file.get(), final, 1024, 0) < 1024 ? final : L"";
}

}  // namespace

bool SameFile(const std::wstring& a, const std::wstring& b) {
    const std::wstring leadsTo = FinalPath(a);
    return !leadsTo.empty() && leadsTo == FinalPath(b);
}

MappedDrive::MappedDrive(wchar_t letter, const std::wstring& folder) : root_{letter, L':', L'\\'} {
    const wchar_t* prefix = ::_wgetenv(L"WINEPREFIX");
    const std::string target = UnixPath(folder);
    if (!prefix || !*prefix || target.empty()) throw std::runtime_error("no Wine prefix to map a drive in");
    link_ = std::wstring(prefix) + L"/dosdevices/" + static_cast<wchar_t>(std::towlower(letter)) + L":";
    if (!RunUnix(L"/bin/ln -sfn " + Quoted(target) + L" \"" + link_ + L"\"", [&] { return SameFile(root_, folder); })) {
        (void)RunUnix(L"/bin/rm -f \"" + link_ + L"\"", [] { return true; });
        throw std::runtime_error("drive " + Utf8(root_) + " could not be mapped");
    }
}

MappedDrive::~MappedDrive() {
    (void)RunUnix(L"/bin/rm -f \"" + link_ + L"\"", [&] { return ::GetFileAttributesW(root_.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

std::optional<bool> AwaitsWriteBack(const std::wstring& path) {
    const TempFolder scratch;
    const std::string file = UnixPath(path), report = UnixPath(scratch.path()) + "/extents";
    if (file.empty() || report.size() == 8) return std::nullopt;
    // Renamed once whole, so that its name appearing says it is complete.
    const std::string script = "/usr/sbin/filefrag -v '" + file + "' > '" + report + ".tmp' 2>&1; mv '" + report +
                               ".tmp' '" + report + "'";
    if (!RunUnix(L"/bin/sh -c " + Quoted(script), [&] { return FileExists(scratch / L"extents"); })) return std::nullopt;
    const std::string extents = ReadBytes(scratch / L"extents");
    if (extents.find("extent found") == std::string::npos && extents.find("extents found") == std::string::npos)
        return std::nullopt;
    return extents.find("delalloc") != std::string::npos || extents.find("unknown_loc") != std::string::npos;
}

}  // namespace testing_support
