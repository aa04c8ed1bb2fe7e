// The calls by which files are replaced and transfers change folders: they never
// overwrite what they must not, never lose the old file, and leave no temporary file.
#include "platform/file_system.h"
#include "platform/unique_handle.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace testing_support;

constexpr DWORD kOk = ERROR_SUCCESS;
constexpr DWORD kAnyError = ~0u;  // Windows and Wine give different errors

platform::UniqueFile HoldWithoutSharing(const std::wstring& path) {
    platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(file.valid()) << ::GetLastError();
    return file;
}

TEST(ReplaceFileContents, RefusesWhatWindowsRefusesAndNeverCostsTheOldFile) {
    TempFolder dir;
    const struct {
        const wchar_t* name;
        DWORD attributes;
        DWORD error;
    } cases[] = {
        {L"plain.dat", FILE_ATTRIBUTE_NORMAL, kOk},
        {L"ro.dat", FILE_ATTRIBUTE_READONLY, ERROR_ACCESS_DENIED},
        {L"hidden.dat", FILE_ATTRIBUTE_HIDDEN, ERROR_ACCESS_DENIED},
        {L"system.dat", FILE_ATTRIBUTE_SYSTEM, ERROR_ACCESS_DENIED},
        {L"held.dat", FILE_ATTRIBUTE_NORMAL, kAnyError},  // another program holds it
    };
    // A temporary file left by an earlier run is never reused.
    WriteBytes(dir / (L"~tvcopy" + std::to_wstring(::GetCurrentProcessId()) + L"-0.tmp"), "left over");
    for (const auto& c : cases) {
        WriteBytes(dir / c.name, "old");
        SetAttributes(dir / c.name, c.attributes);
    }
    platform::UniqueFile held = HoldWithoutSharing(dir / L"held.dat");
    for (const auto& c : cases) {
        const DWORD error = platform::ReplaceFileContents(dir / c.name, "new");
        if (c.error == kAnyError) {
            EXPECT_NE(error, kOk) << Narrow(c.name);
        } else {
            EXPECT_EQ(error, c.error) << Narrow(c.name);
        }
        ::SetFileAttributesW((dir / c.name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    held.reset();
    EXPECT_EQ(ReadBytes(dir / L"plain.dat"), "new");
    for (const auto& c : cases) {
        if (c.error != kOk) {
            EXPECT_EQ(ReadBytes(dir / c.name), "old") << Narrow(c.name);
        }
    }
    EXPECT_EQ(FileNamesIn(dir.path()).size(), std::size(cases) + 1);  // no temporary file of ours
}

TEST(SystemFileSystem, CreatesOnlyNewNamesAndMakesCopiesWritable) {
    TempFolder dir;
    platform::FileSystem& fs = platform::SystemFileSystem();
    WriteBytes(dir / L"src.dat", "content");
    WriteBytes(dir / L"taken.dat", "old");
    SetAttributes(dir / L"src.dat", FILE_ATTRIBUTE_READONLY);

    EXPECT_EQ(fs.CopyNewFile(dir / L"src.dat", dir / L"taken.dat"), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(fs.Move(dir / L"src.dat", dir / L"taken.dat"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(fs.WriteNewFile(dir / L"taken.dat", "x"), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(ReadBytes(dir / L"taken.dat"), "old");

    // A copy from read-only media would keep the next run from replacing it.
    EXPECT_EQ(fs.CopyNewFile(dir / L"src.dat", dir / L"copy.dat"), kOk);
    EXPECT_EQ(ReadBytes(dir / L"copy.dat"), "content");
    EXPECT_EQ(::GetFileAttributesW((dir / L"copy.dat").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);

    EXPECT_NE(fs.CopyNewFile(dir / L"missing.dat", dir / L"none.dat"), kOk);
    EXPECT_FALSE(FileExists(dir / L"none.dat"));
}

TEST(SystemFileSystem, WaitsOutAPassingHoldButNotTheGame) {
    TempFolder dir;
    platform::FileSystem& fs = platform::SystemFileSystem();
    WriteBytes(dir / L"scanned.dat", "x");
    WriteBytes(dir / L"game.dat", "x");
    EXPECT_EQ(platform::DeleteAccessError(dir / L"scanned.dat"), kOk);

    // A scanner that lets go after a moment.
    platform::UniqueFile scanner = HoldWithoutSharing(dir / L"scanned.dat");
    EXPECT_EQ(platform::DeleteAccessError(dir / L"scanned.dat"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    std::thread release([&scanner] {
        ::Sleep(300);
        scanner.reset();
    });
    EXPECT_EQ(fs.Move(dir / L"scanned.dat", dir / L"moved.dat"), kOk);
    release.join();

    const platform::UniqueFile game = HoldWithoutSharing(dir / L"game.dat");
    EXPECT_EQ(fs.DeleteFile(dir / L"game.dat"), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_TRUE(FileExists(dir / L"game.dat"));
}

}  // namespace
