#include "platform/field_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::wstring> AllFields(std::wstring_view text) {
    platform::FieldReader reader(text);
    std::vector<std::wstring> fields;
    std::wstring value;
    while (reader.ReadField(value)) fields.push_back(value);
    EXPECT_TRUE(reader.AtEnd());
    return fields;
}

struct FieldCase {
    const wchar_t* text;
    std::vector<std::wstring> fields;
};

TEST(FieldReader, SplitsFieldsAsTheWorldAndPathFilesNeed) {
    const FieldCase cases[] = {
        {L"a,b\r\nc\r\n", {L"a", L"b", L"c"}},
        {L"last line without end", {L"last line without end"}},
        {L"x:a.jpg,y:b.dat", {L"x:a.jpg", L"y:b.dat"}},
        {L"  \tlead,trail  \t\r\n", {L"lead", L"trail"}},
        {L"\"quoted, with comma\",next", {L"quoted, with comma", L"next"}},
        {L"  \"  kept blanks  \"\r\n", {L"  kept blanks  "}},
        {L"\"ab\"junk,after", {L"ab", L"after"}},
        {L"\"unterminated", {L"unterminated"}},
        {L"a\r\n\r\nb", {L"a", L"", L"b"}},
        {L",,x", {L"", L"", L"x"}},
        {L"lf\nonly\ncr\ronly", {L"lf", L"only", L"cr", L"only"}},
        {L"C:\\Games\\Torvanel\r\n", {L"C:\\Games\\Torvanel"}},
        {L"背景: back8.jpg,画像：face.gif\r\n", {L"背景: back8.jpg", L"画像：face.gif"}},
        {L"", {}},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(AllFields(c.text), c.fields);
    }
}

}  // namespace
