#include "platform/file_services.h"
#include "platform/unique_handle.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::FileNamesIn;
using testing_support::ReadBytes;
using testing_support::SetAttributes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

constexpr DWORD kOk = ERROR_SUCCESS;

platform::UniqueFile HoldWithoutSharing(const std::wstring& path) {
    platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(file.valid()) << ::GetLastError();
    return file;
}

class CopyDataFileTest : public testing::Test {
protected:
    void SetUp() override {
        WriteBytes(src / L"a.dat", "new content");
        WriteBytes(dst / L"a.dat", "old content that is longer");
    }
    // The destination folder holds exactly these names: no temporary file left behind.
    void ExpectOnlyInDestination(std::vector<std::wstring> names) { EXPECT_EQ(FileNamesIn(dst.path()), names); }
    TempFolder src, dst;
};

TEST_F(CopyDataFileTest, MissingSourceOrFolderFailsAndChangesNothing) {
    EXPECT_EQ(platform::CopyDataFile(src / L"none.dat", dst / L"a.dat"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ReadBytes(dst / L"a.dat"), "old content that is longer");
    EXPECT_EQ(platform::CopyDataFile(src / L"a.dat", dst / L"missing\\a.dat"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    ExpectOnlyInDestination({L"a.dat"});
}

TEST_F(CopyDataFileTest, ProtectedDestinationIsRefusedAsWindowsDoes) {
    for (const DWORD attribute : {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        SCOPED_TRACE(attribute);
        SetAttributes(dst / L"a.dat", attribute);
        EXPECT_EQ(platform::CopyDataFile(src / L"a.dat", dst / L"a.dat"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_EQ(ReadBytes(dst / L"a.dat"), "old content that is longer");
        ExpectOnlyInDestination({L"a.dat"});
        SetAttributes(dst / L"a.dat", FILE_ATTRIBUTE_NORMAL);
    }
    testing_support::MakeFolders(dst / L"folder.dat");
    EXPECT_EQ(platform::CopyDataFile(src / L"a.dat", dst / L"folder.dat"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(CopyDataFileTest, DestinationInUseKeepsItsContentAndLeavesNoTemporaryFile) {
    {
        const platform::UniqueFile held = HoldWithoutSharing(dst / L"a.dat");
        const DWORD error = platform::CopyDataFile(src / L"a.dat", dst / L"a.dat");
        EXPECT_TRUE(error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) << error;
    }
    EXPECT_EQ(ReadBytes(dst / L"a.dat"), "old content that is longer");
    ExpectOnlyInDestination({L"a.dat"});
}

TEST_F(CopyDataFileTest, UnreadableSourceLeavesTheDestinationWhole) {
    const platform::UniqueFile held = HoldWithoutSharing(src / L"a.dat");
    EXPECT_NE(platform::CopyDataFile(src / L"a.dat", dst / L"a.dat"), kOk);
    EXPECT_NE(platform::CopyDataFile(src / L"a.dat", dst / L"new.dat"), kOk);
    EXPECT_EQ(ReadBytes(dst / L"a.dat"), "old content that is longer");
    ExpectOnlyInDestination({L"a.dat"});
}

TEST_F(CopyDataFileTest, ReadOnlySourceGivesAReadOnlyCopy) {
    SetAttributes(src / L"a.dat", FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(platform::CopyDataFile(src / L"a.dat", dst / L"a.dat"), kOk);
    EXPECT_TRUE(platform::FileAttributes(dst / L"a.dat") & FILE_ATTRIBUTE_READONLY);
    // ...which, as on Windows, the next copy cannot overwrite.
    EXPECT_EQ(platform::CopyDataFile(src / L"a.dat", dst / L"a.dat"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(IsFileInUse, OnlyAHolderThatDeniesSharingCounts) {
    TempFolder dir;
    WriteBytes(dir / L"f.dat", "x");
    EXPECT_FALSE(platform::IsFileInUse(dir / L"f.dat"));
    EXPECT_FALSE(platform::IsFileInUse(dir / L"missing.dat"));
    {
        platform::UniqueFile shared(::CreateFileW((dir / L"f.dat").c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(shared.valid());
        EXPECT_FALSE(platform::IsFileInUse(dir / L"f.dat"));
    }
    SetAttributes(dir / L"f.dat", FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(platform::IsFileInUse(dir / L"f.dat"));
    const platform::UniqueFile held = HoldWithoutSharing(dir / L"f.dat");
    EXPECT_TRUE(platform::IsFileInUse(dir / L"f.dat"));
}

}  // namespace
