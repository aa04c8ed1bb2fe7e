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
    std::string bytes;  // the file as stored: code page 932 unless it starts with a byte-order mark
    std::optional<std::wstring> expected;
};

template <size_t N>
void ExpectReads(const ReadCase (&cases)[N]) {
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder temp;
        WriteBytes(temp / L"PathDATA.txt", c.bytes);
        EXPECT_EQ(SavedPathFile(temp / L"PathDATA.txt").Read(), c.expected);
    }
}

TEST(SavedPathFile, ReadsTheWholeFirstLine) {
    const ReadCase cases[] = {
        {"plain folder", "C:\\Games\\Torvanel\r\n", L"C:\\Games\\Torvanel"},
        {"comma kept", "C:\\Games\\a,b\r\n", L"C:\\Games\\a,b"},
        // ゲーム and 表 (whose second byte is 0x5C, a backslash on its own)
        {"Shift-JIS", "D:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c\r\n", L"D:\\ゲーム\\表"},
        {"only the first line", "C:\\one\r\nC:\\two\r\n", L"C:\\one"},
        {"no line end", "C:\\Games", L"C:\\Games"},
        {"LF alone", "C:\\Games\nC:\\two", L"C:\\Games"},
        {"drive root", "e:\\\r\n", L"e:\\"},
        {"network share", "\\\\server\\share\\game\r\n", L"\\\\server\\share\\game"},
        {"empty file", "", std::nullopt},
        {"empty first line", "\r\nC:\\Games\r\n", std::nullopt},
        {"blank first line", " \t \r\n", std::nullopt},
        {"ideographic blanks", "\x81\x40\x81\x40\r\n", std::nullopt},
    };
    ExpectReads(cases);
}

// Anything but a fully qualified folder would be looked up relative to the program's
// folder or drive: it reads as no saved folder at all.
TEST(SavedPathFile, OnlyAFullPathIsASavedFolder) {
    using namespace std::string_literals;
    const ReadCase cases[] = {
        {"relative", "Games\\Torvanel\r\n", std::nullopt},
        {"leading blanks", "  C:\\Games\r\n", std::nullopt},
        {"quoted", "\"C:\\Games\"\r\n", std::nullopt},
        {"drive-relative", "C:Games\r\n", std::nullopt},
        {"root of the current drive", "\\Games\r\n", std::nullopt},
        {"slashes", "C:/Games\r\n", std::nullopt},
        {"server without share", "\\\\server\r\n", std::nullopt},
        {"empty share", "\\\\server\\\r\n", std::nullopt},
        {"device path", "\\\\.\\C:\\Games\r\n", std::nullopt},
        {"NUL inside", "C:\\Ga\0mes\r\n"s, std::nullopt},
        {"control character", "C:\\Games\x1b\r\n", std::nullopt},
        // An editor's byte-order mark is no part of the folder; the rest is read in its encoding.
        {"UTF-8 mark", "\xEF\xBB\xBF" "C:\\\xE8\xA1\xA8\r\n", L"C:\\表"},
        {"UTF-16 LE mark", "\xFF\xFE" "C\0:\0\\\0\x68\x88\r\0\n\0"s, L"C:\\表"},
        {"UTF-16 BE mark", "\xFE\xFF" "\0C\0:\0\\\x88\x68\0\r\0\n"s, L"C:\\表"},
        {"UTF-16 without a mark", "C\0:\0\\\0G\0\r\0\n\0"s, std::nullopt},
    };
    ExpectReads(cases);
}

}  // namespace
