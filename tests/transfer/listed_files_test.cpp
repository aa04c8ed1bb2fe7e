// The names a world file lists: which fields name a file, and which names are kept.
// (Reading the world file itself is checked with the transfer that carries the files.)
#include "transfer/listed_files.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

using transfer::ListedFileName;
using transfer::ListedFileNames;
using Names = std::vector<std::wstring>;

TEST(ListedFileName, TakesTheTextAfterTheFirstColonWithoutBlanksOrFurtherColons) {
    const struct {
        std::wstring_view field;
        std::wstring_view name;
    } cases[] = {
        {L"img:a.jpg", L"a.jpg"},
        {L"img : a .jpg", L"a.jpg"},
        {L"背景:\u3000back8.jpg", L"back8.jpg"},
        {L"a:b:c.txt", L"bc.txt"},
        {L"x:sub\\a.gif", L"sub\\a.gif"},
        {L"x:a..b.dat", L"a..b.dat"},
        {L"img\uFF1Aa.jpg", L""},  // a full-width colon is no colon
        {L"a.dat", L""},           // no colon at all
        {L"x:", L""},
        {L"x:a.JPG", L""},
        {L"x:a.bmp", L""},
        {L"x:a.jpg.bak", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ListedFileName(c.field), c.name) << testing_support::Narrow(c.field);
}

TEST(ListedFileName, NamesNothingOutsideTheFolders) {
    for (const std::wstring_view field : {L"x:..\\x.dat", L"x:\\x.dat", L"x:/x.dat", L"x:sub\\..\\..\\x.dat",
                                          L"x:sub/../x.dat", L"x:...\\x.dat", L"x:\\\\server\\share\\x.dat"}) {
        EXPECT_EQ(ListedFileName(field), L"") << testing_support::Narrow(field);
    }
}

TEST(ListedFileNames, ReadsEveryFieldOnceInOrder) {
    EXPECT_EQ(ListedFileNames(L"x:a.jpg,y:b.dat\r\nname,z:c.txt"), (Names{L"a.jpg", L"b.dat", L"c.txt"}));
    EXPECT_EQ(ListedFileNames(L"x:a.jpg\r\n"), (Names{L"a.jpg"}));
    EXPECT_EQ(ListedFileNames(L"x:a.jpg\r\n\r\n,"), (Names{L"a.jpg"}));
    EXPECT_EQ(ListedFileNames(L"  \"t:a, b.gif\"  ,x:a.jpg"), (Names{L"a,b.gif", L"a.jpg"}));
    EXPECT_EQ(ListedFileNames(L"x:a.jpg,x:a.jpg"), (Names{L"a.jpg", L"a.jpg"}));
    EXPECT_EQ(ListedFileNames(L""), Names{});
}

}  // namespace
