// Reading "PathDATA.txt". (Writing is one line through the text-file service, whose
// bytes the text-file tests check; the dialog tests check what a pick saves.)
#include "folder_dialog/saved_path_file.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using folder_dialog::SavedPathFile;
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

}  // namespace
