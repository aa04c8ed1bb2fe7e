#include "platform/text_file.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::ReadBytes;
using testing_support::TempFolder;
using testing_support::WriteBytes;

TEST(TextFile, ReadsShiftJisIncludingTrailBytesThatLookLikeSeparators) {
    TempFolder folder;
    // 表 is 95 5C and ソ is 83 5C in code page 932: the 5C must not split the text.
    WriteBytes(folder / L"t.txt", "C:\\\x95\x5C\\\x83\x5C\x83\x74\x83\x67\r\n\x81\x60\x81\x5C");
    const platform::TextRead read = platform::ReadTextFile(folder / L"t.txt");
    ASSERT_EQ(read.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(read.text, L"C:\\表\\ソフト\r\n～―");
}

TEST(TextFile, MissingFileIsAnError) {
    TempFolder folder;
    EXPECT_EQ(platform::ReadTextFile(folder / L"none.txt").error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(platform::ReadTextFile(folder / L"no\\none.txt").error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(TextFile, WritesLinesInCodePage932WithCrLf) {
    TempFolder folder;
    const std::wstring path = folder / L"PathDATA.txt";
    WriteBytes(path, "an older and much longer content that must be replaced entirely");
    ASSERT_EQ(platform::WriteTextLines(path, {L"D:\\ゲーム\\表"}), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(ReadBytes(path), "D:\\\x83\x51\x81\x5B\x83\x80\\\x95\x5C\r\n");
    EXPECT_EQ(testing_support::FileNamesIn(folder.path()), std::vector<std::wstring>{L"PathDATA.txt"});
}

TEST(TextFile, TextWithoutAFormInTheCodePageIsRefusedAndTheOldFileKept) {
    TempFolder folder;
    const std::wstring path = folder / L"PathDATA.txt";
    WriteBytes(path, "C:\\old\r\n");
    // Hangul and an emoji have no Shift-JIS form; best-fit would silently write '?'.
    EXPECT_EQ(platform::WriteTextLines(path, {L"C:\\한국"}), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(platform::WriteTextLines(path, {L"C:\\\U0001F600"}), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(ReadBytes(path), "C:\\old\r\n");
    // Best-fit would quietly turn é into e: a different folder.
    EXPECT_FALSE(platform::ToAnsi(L"café").has_value());
}

TEST(TextFile, ReadOnlyFileIsNotReplaced) {
    TempFolder folder;
    const std::wstring path = folder / L"PathDATA.txt";
    WriteBytes(path, "C:\\old\r\n");
    testing_support::SetAttributes(path, FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(platform::WriteTextLines(path, {L"C:\\new"}), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadBytes(path), "C:\\old\r\n");
    EXPECT_EQ(testing_support::FileNamesIn(folder.path()).size(), 1u);
}

}  // namespace
