#include "folder_dialog/saved_path_file.h"

#include "folder_dialog/current_folder_scope.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using folder_dialog::SavedPathFile;
using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

struct ReadCase {
    const char* what;
    std::string bytes;  // the file as stored, code page 932
    std::optional<std::wstring> expected;
};

TEST(SavedPathFile, ReadsTheWholeFirstLine) {
    const ReadCase cases[] = {
        {"plain folder", "C:\\Games\\Torvanel\r\n", L"C:\\Games\\Torvanel"},
        {"comma kept", "C:\\Games\\a,b\r\n", L"C:\\Games\\a,b"},
        {"leading blanks kept", "  C:\\Games\r\n", L"  C:\\Games"},
        {"quotes kept", "\"C:\\Games\"\r\n", L"\"C:\\Games\""},
        // ゲーム and 表 (whose second byte is 0x5C, a backslash on its own)
        {"Shift-JIS", "D:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c\r\n", L"D:\\ゲーム\\表"},
        {"only the first line", "C:\\one\r\nC:\\two\r\n", L"C:\\one"},
        {"no line end", "C:\\Games", L"C:\\Games"},
        {"LF alone", "C:\\Games\nC:\\two", L"C:\\Games"},
        {"drive root", "E:\\\r\n", L"E:\\"},
        {"empty file", "", std::nullopt},
        {"empty first line", "\r\nC:\\Games\r\n", std::nullopt},
        {"blank first line", " \t \r\n", std::nullopt},
        {"ideographic blanks", "\x81\x40\x81\x40\r\n", std::nullopt},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder temp;
        WriteBytes(temp / L"PathDATA.txt", c.bytes);
        EXPECT_EQ(SavedPathFile(temp / L"PathDATA.txt").Read(), c.expected);
    }
}

TEST(SavedPathFile, MissingFileIsNotFound) {
    const TempFolder temp;
    EXPECT_EQ(SavedPathFile(temp / L"PathDATA.txt").Read(), std::nullopt);
}

TEST(SavedPathFile, WritesOneLineWithCrLfInCodePage932) {
    const TempFolder temp;
    const SavedPathFile file(temp / L"PathDATA.txt");
    WriteBytes(temp / L"PathDATA.txt", "C:\\a much longer folder name than the next one\r\nsecond line\r\n");
    ASSERT_EQ(file.Write(L"D:\\ゲーム\\表"), ERROR_SUCCESS);
    EXPECT_EQ(ReadBytes(temp / L"PathDATA.txt"), "D:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c\r\n");
    EXPECT_EQ(testing_support::FileNamesIn(temp.path()), std::vector<std::wstring>{L"PathDATA.txt"});
}

TEST(SavedPathFile, WhatIsWrittenReadsBackUnchanged) {
    const TempFolder temp;
    const SavedPathFile file(temp / L"PathDATA.txt");
    for (const std::wstring folder : {L"C:\\Games\\a,b", L"  C:\\lead", L"\"C:\\quoted\"", L"\\\\server\\share\\ゲーム"}) {
        ASSERT_EQ(file.Write(folder), ERROR_SUCCESS);
        EXPECT_EQ(file.Read(), folder);
    }
}

TEST(SavedPathFile, FailedWriteKeepsTheFormerFolder) {
    const TempFolder temp;
    const SavedPathFile file(temp / L"PathDATA.txt");
    WriteBytes(temp / L"PathDATA.txt", "C:\\Games\r\n");

    // Hangul has no form in code page 932.
    EXPECT_EQ(file.Write(L"C:\\\xD55C\xAE00"), static_cast<platform::ErrorCode>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(ReadBytes(temp / L"PathDATA.txt"), "C:\\Games\r\n");

    testing_support::SetAttributes(temp / L"PathDATA.txt", FILE_ATTRIBUTE_READONLY);
    EXPECT_NE(file.Write(L"D:\\Other"), static_cast<platform::ErrorCode>(ERROR_SUCCESS));
    EXPECT_EQ(ReadBytes(temp / L"PathDATA.txt"), "C:\\Games\r\n");
}

TEST(SavedPathFile, LivesInTheCurrentFolder) {
    const TempFolder first;
    const TempFolder second;
    const SavedPathFile file;
    {
        const testing_support::CurrentFolderScope scope(first.path());
        ASSERT_EQ(file.Write(L"C:\\Games"), ERROR_SUCCESS);
        EXPECT_EQ(file.Read(), L"C:\\Games");
    }
    EXPECT_EQ(ReadBytes(first / L"PathDATA.txt"), "C:\\Games\r\n");
    const testing_support::CurrentFolderScope scope(second.path());
    EXPECT_EQ(file.Read(), std::nullopt);
}

}  // namespace
