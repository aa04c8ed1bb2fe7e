// Names as Windows reads them: wildcard patterns, device names, and the fields of
// the world and path files.
#include "platform/field_reader.h"
#include "platform/path_names.h"
#include "platform/wildcard.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using testing_support::Utf8;

TEST(Wildcard, MatchesLikeTheFileSystemOnLongNames) {
    const struct {
        const wchar_t* name;
        const wchar_t* pattern;
        bool matches;
    } cases[] = {
        {L"touroku.dat", L"TOUROKU.DAT", true}, {L"Kosei01.DAT", L"kosei??.dat", true},
        {L"kosei1.dat", L"kosei??.dat", false}, {L"年表", L"年表*.*", true},
        {L"年表01.txt", L"年表*.*", true},      {L"x年表.txt", L"年表*.*", false},
        {L"noext", L"*.*", true},               {L"a.b.c", L"*.*", true},
        {L"foo.data", L"*.dat", false},         {L"foo.dat", L"*.dat", true},
        {L"abc", L"a*c", true},                 {L"ab", L"a*c", false},
        {L"", L"*", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::MatchesPattern(c.name, c.pattern), c.matches) << Utf8(c.name) << " vs " << Utf8(c.pattern);
    }
}

TEST(PathNames, DeviceNamesWithAnyCaseExtensionTrailingDotsOrBlanks) {
    for (const std::wstring_view name : {L"CON", L"con", L"Con.txt", L"con .txt", L"NUL.tar.gz", L"aux..", L"AUX  ",
                                         L"PRN.dat", L"COM1", L"com9.jpg", L"LPT1", L"lpt9.dat", L"CONIN$",
                                         L"conout$.log", L"COM\u00B9.dat"}) {
        EXPECT_TRUE(platform::IsReservedDeviceName(name)) << Utf8(name);
    }
    for (const std::wstring_view name : {L"", L"CONSOLE", L"COM0", L"COM10", L"LPT", L"xCON", L".con", L"NULL.dat",
                                         L"CON_1.txt", L"\uFF23\uFF2F\uFF2E", L"CONIN.dat"}) {
        EXPECT_FALSE(platform::IsReservedDeviceName(name)) << Utf8(name);
    }
}

TEST(FieldReader, SplitsFieldsAsTheWorldAndPathFilesNeed) {
    const struct {
        const wchar_t* text;
        std::vector<std::wstring> fields;
    } cases[] = {
        {L"a,b\r\nc\r\n", {L"a", L"b", L"c"}},
        {L"last line without end", {L"last line without end"}},
        {L"  \tlead,trail  \t\r\n", {L"lead", L"trail"}},
        {L"\"quoted, with comma\",next", {L"quoted, with comma", L"next"}},
        {L"  \"  kept blanks  \"\r\n", {L"  kept blanks  "}},
        {L"\"ab\"junk,after", {L"ab", L"after"}},
        {L"\"unterminated", {L"unterminated"}},
        {L"a\r\n\r\nb", {L"a", L"", L"b"}},
        {L",,x", {L"", L"", L"x"}},
        {L"lf\nonly\ncr\ronly", {L"lf", L"only", L"cr", L"only"}},
        {L"背景: back8.jpg,画像：face.gif\r\n", {L"背景: back8.jpg", L"画像：face.gif"}},
        {L"", {}},
    };
    for (const auto& c : cases) {
        platform::FieldReader reader(c.text);
        std::vector<std::wstring> fields;
        for (std::wstring value; reader.ReadField(value);) fields.push_back(value);
        EXPECT_TRUE(reader.AtEnd());
        EXPECT_EQ(fields, c.fields) << Utf8(c.text);
    }
}

}  // namespace
