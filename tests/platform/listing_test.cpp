#include "platform/file_services.h"
#include "platform/wildcard.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testing_support::FileExists;
using testing_support::MakeFolders;
using testing_support::SetAttributes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

std::vector<std::wstring> Sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Wildcard, MatchesLikeTheFileSystemOnLongNames) {
    struct Case {
        const wchar_t* name;
        const wchar_t* pattern;
        bool matches;
    };
    const Case cases[] = {
        {L"touroku.dat", L"TOUROKU.DAT", true}, {L"Kosei01.DAT", L"kosei??.dat", true},
        {L"kosei1.dat", L"kosei??.dat", false}, {L"年表", L"年表*.*", true},
        {L"年表01.txt", L"年表*.*", true},      {L"年表x.dat", L"年表*.*", true},
        {L"x年表.txt", L"年表*.*", false},      {L"noext", L"*.*", true},
        {L"a.b.c", L"*.*", true},               {L"foo.data", L"*.dat", false},
        {L"foo.dat", L"*.dat", true},           {L"abc", L"a*c", true},
        {L"ab", L"a*c", false},                 {L"", L"*", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing_support::Narrow(c.name) + " vs " + testing_support::Narrow(c.pattern));
        EXPECT_EQ(platform::MatchesPattern(c.name, c.pattern), c.matches);
    }
}

class FolderWithMixedEntries : public testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"年表", L"年表01.txt", L"年表x.dat", L"other.txt", L"foo.data", L"Touroku.DAT"})
            WriteBytes(dir / name, "x");
        MakeFolders(dir / L"年表sub");
        MakeFolders(dir / L"nationDATA");
        WriteBytes(dir / L"年表hidden.txt", "h");
        SetAttributes(dir / L"年表hidden.txt", FILE_ATTRIBUTE_HIDDEN);
        WriteBytes(dir / L"年表system.txt", "s");
        SetAttributes(dir / L"年表system.txt", FILE_ATTRIBUTE_SYSTEM);
    }
    TempFolder dir;
};

TEST_F(FolderWithMixedEntries, ListsOnlyOrdinaryFilesMatchingTheLongName) {
    const platform::FileList all = platform::ListFiles(dir.path() + L"\\");
    ASSERT_EQ(all.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(Sorted(all.names),
              Sorted({L"年表", L"年表01.txt", L"年表x.dat", L"other.txt", L"foo.data", L"Touroku.DAT"}));

    EXPECT_EQ(Sorted(platform::ListFiles(dir / L"年表*.*").names), Sorted({L"年表", L"年表01.txt", L"年表x.dat"}));
    // Short names must not widen a pattern: "*.dat" does not find "foo.data".
    EXPECT_EQ(Sorted(platform::ListFiles(dir / L"*.dat").names), Sorted({L"Touroku.DAT", L"年表x.dat"}));
    EXPECT_EQ(platform::ListFiles(dir / L"touroku.dat").names, std::vector<std::wstring>{L"Touroku.DAT"});
    // Case-insensitive folder names in the pattern too.
    EXPECT_EQ(platform::ListFiles(dir / L"NATIONdata\\*.*").error, static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(FolderWithMixedEntries, MissingFolderIsAnErrorAndEmptyFolderIsNot) {
    EXPECT_EQ(platform::ListFiles(dir / L"missing\\*.*").error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    const platform::FileList empty = platform::ListFiles(dir / L"nationDATA\\");
    EXPECT_EQ(empty.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(empty.names.empty());
}

}  // namespace
