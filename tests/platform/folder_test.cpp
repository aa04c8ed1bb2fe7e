#include "platform/file_services.h"

#include "folder_dialog/current_folder_scope.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::MakeFolders;
using testing_support::TempFolder;

TEST(MakeFolder, CreatesOneFolderAndReportsWhyItCannot) {
    TempFolder dir;
    EXPECT_EQ(platform::MakeFolder(dir / L"Backup"), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(platform::MakeFolder(dir / L"Backup"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(platform::MakeFolder(dir / L"BACKUP"), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(platform::MakeFolder(dir / L"no\\such"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(CurrentFolder, HasNoTrailingSeparatorExceptAtADriveRoot) {
    TempFolder dir;
    {
        const testing_support::CurrentFolderScope scope(dir.path() + L"\\");
        EXPECT_TRUE(platform::IsSameFolder(platform::CurrentFolder(), dir.path()));
        EXPECT_NE(platform::CurrentFolder().back(), L'\\');
    }
    const testing_support::CurrentFolderScope scope(L"C:\\");
    EXPECT_EQ(platform::CurrentFolder(), L"C:\\");
}

TEST(IsSameFolder, ComparesWhatTheFoldersAreNotHowTheyAreSpelled) {
    TempFolder dir;
    MakeFolders(dir / L"Game\\Backup");
    const std::wstring game = dir / L"Game";
    for (const std::wstring& spelling : {game + L"\\", dir / L"GAME", game + L"\\\\", game + L"\\Backup\\..",
                                         dir / L"Game\\.\\", game + L"/"}) {
        SCOPED_TRACE(testing_support::Narrow(spelling));
        EXPECT_TRUE(platform::IsSameFolder(game, spelling));
    }
    wchar_t shortName[MAX_PATH] = {};
    if (::GetShortPathNameW(game.c_str(), shortName, MAX_PATH) > 0) {
        EXPECT_TRUE(platform::IsSameFolder(game, shortName));
    }

    EXPECT_FALSE(platform::IsSameFolder(game, game + L"\\Backup"));
    EXPECT_FALSE(platform::IsSameFolder(game, dir.path()));
    // Folders that do not exist are compared by their full paths.
    EXPECT_TRUE(platform::IsSameFolder(dir / L"gone\\", dir / L"GONE"));
    EXPECT_FALSE(platform::IsSameFolder(dir / L"gone", dir / L"gone2"));
}

TEST(ErrorText, GivesTheSystemsWordsWithoutALineEnd) {
    const std::wstring text = platform::ErrorText(ERROR_ACCESS_DENIED);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), L'\n');
    EXPECT_NE(text.back(), L'\r');
    EXPECT_NE(text, platform::ErrorText(ERROR_SHARING_VIOLATION));
}

}  // namespace
