// The names a world file lists and the journal a transfer keeps: which fields name a file,
// which names are kept, reading files other programs hold, and only a whole journal read.
#include "transfer/journal.h"
#include "transfer/listed_files.h"

#include "platform/unique_handle.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace testing_support;
using transfer::ListedFileName;
using transfer::ListedFileNames;
using Names = std::vector<std::wstring>;

// The text after the first colon, without blanks or further colons, when it names
// a data-set file: not outside the folders, in the player's backup or the game's
// default data, nor a device.
TEST(ListedFileName, TakesTheNameAfterTheFirstColonInsideTheDataSet) {
    const struct {
        std::wstring_view field;
        std::wstring_view name;
    } cases[] = {
        {L"img:a.jpg", L"a.jpg"}, {L"img : a .jpg", L"a.jpg"}, {L"背景:\u3000back8.jpg", L"back8.jpg"},
        {L"a:b:c.txt", L"bc.txt"}, {L"x:sub\\a.gif", L"sub\\a.gif"}, {L"x:a..b.dat", L"a..b.dat"},
        // Only the game folder's own Backup is out.
        {L"x:sub\\Backup\\a.dat", L"sub\\Backup\\a.dat"}, {L"x:Backups\\a.dat", L"Backups\\a.dat"},
        {L"x:Default.dat", L"Default.dat"}, {L"x:CONSOLE.dat", L"CONSOLE.dat"}, {L"x:COM10.dat", L"COM10.dat"},
        // One file, however spelled: as Windows resolves it.
        {L"x:sub\\.\\a.gif", L"sub\\a.gif"}, {L"x:sub\\\\a.gif", L"sub\\a.gif"}, {L"x:sub.\\a.gif", L"sub\\a.gif"},
        {L"x:sub/a.gif", L"sub\\a.gif"}, {L"x:.\\a.gif", L"a.gif"},
    };
    for (const auto& c : cases) EXPECT_EQ(ListedFileName(c.field), c.name) << Utf8(c.field);
    // No name: no colon (a full-width one is none), an ending not carried, a path out of
    // the data set or into Backup or Default, a device.
    for (const std::wstring_view field :
         {L"img\uFF1Aa.jpg", L"a.dat", L"x:", L"x:a.JPG", L"x:a.bmp", L"x:a.jpg.bak", L"x:..\\x.dat", L"x:\\x.dat",
          L"x:/x.dat", L"x:sub\\..\\..\\x.dat", L"x:sub/../x.dat", L"x:...\\x.dat", L"x:\\\\server\\share\\x.dat",
          L"x:Backup\\touroku.dat", L"x:backup/nationDATA/a.dat", L"x:DEFAULT\\touroku.dat", L"x:.\\Backup\\a.dat",
          L"x:Backup.\\a.dat", L"x:CON.dat", L"x:NUL.jpg", L"x:aux.dat", L"x:face\\COM1.dat", L"x:CONIN$.dat"})
        EXPECT_EQ(ListedFileName(field), L"") << Utf8(field);
}

TEST(ListedFileNames, ReadsEveryFieldOnceInOrder) {
    EXPECT_EQ(ListedFileNames(L"x:a.jpg,y:b.dat\r\nname,z:c.txt"), (Names{L"a.jpg", L"b.dat", L"c.txt"}));
    EXPECT_EQ(ListedFileNames(L"x:a.jpg\r\n\r\n,"), (Names{L"a.jpg"}));
    EXPECT_EQ(ListedFileNames(L"  \"t:a, b.gif\"  ,x:a.jpg"), (Names{L"a,b.gif", L"a.jpg"}));
    EXPECT_EQ(ListedFileNames(L"x:a.jpg,x:a.jpg"), (Names{L"a.jpg", L"a.jpg"}));
    EXPECT_EQ(ListedFileNames(L""), Names{});
}

// A world file a scanner holds for a moment is read once it lets go. (A missing one,
// one an editor holds and one held for good: see the transfer tests.)
TEST(ReadWorldFileNames, WaitsOutAPassingHold) {
    const TempFolder temp;
    const std::wstring path = temp / L"zeloworld.dat";
    WriteBytes(path, "x:a.jpg");
    platform::UniqueFile held = HoldWithoutSharing(path);
    const std::jthread release([&held] { ::Sleep(200); held.reset(); });
    const transfer::WorldFileNames read = transfer::ReadWorldFileNames(path);
    EXPECT_EQ(read.error, static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(read.names, Names{L"a.jpg"});
}

// World files come in code page 932, where 表 and ソ end in a 5C byte; on a Windows
// whose ANSI code page is UTF-8 they name the same files, and a UTF-8 one stays UTF-8.
TEST(ReadWorldFileNames, ReadsCodePage932AlsoOnAUtf8System) {
    const TempFolder temp;
    const std::wstring text = L"画像:顔\\表.gif,データ:ソフト.dat\r\n背景:back.jpg";
    WriteBytes(temp / L"932.dat", "\x89\xE6\x91\x9C:\x8A\xE7\\\x95\x5C.gif,\x83\x66\x81\x5B\x83\x5E:"
                                  "\x83\x5C\x83\x74\x83\x67.dat\r\n\x94\x77\x8C\x69:back.jpg");
    WriteBytes(temp / L"utf8.dat", Utf8(text));
    for (const auto& [file, codePage] : {std::pair{L"932.dat", 932u}, std::pair{L"932.dat", 65001u}, std::pair{L"utf8.dat", 65001u}}) {
        const transfer::WorldFileNames read = transfer::ReadWorldFileNames(temp / file, codePage);
        EXPECT_EQ(read.names, (Names{L"顔\\表.gif", L"ソフト.dat", L"back.jpg"})) << Utf8(file) << " in " << codePage;
    }
}

// Only a journal written whole reads: a run cut off while writing it had changed nothing.
TEST(Journal, ReadsOnlyWhenWhole) {
    const std::string bytes =
        transfer::JournalBytes({{L"pastDATA"}, {L"NationData"}, {{L"a.dat", true, false, 0}, {L"nationDATA\\b.dat", false, true, 12}}});
    const std::optional<transfer::Journal> journal = transfer::ParseJournal(bytes);
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->createdFolders, std::vector<std::wstring>{L"pastDATA"});
    ASSERT_EQ(journal->entries.size(), 2u);
    EXPECT_TRUE(journal->entries[0].hadOld && !journal->entries[0].hasNew);
    EXPECT_EQ(journal->entries[1].name, L"nationDATA\\b.dat");
    EXPECT_EQ(journal->entries[1].newSize, 12u);
    // A folder replaced whole, in its own spelling, holds its new files under their names.
    EXPECT_EQ(transfer::StagedName(*journal, 1), L"new-NationData\\b.dat");
    // The first version's journals, without sizes, are still honoured.
    const std::wstring_view first = L"torvanel-transfer-journal 1\nE 01 a.dat\nend\n";
    const std::optional<transfer::Journal> older =
        transfer::ParseJournal({reinterpret_cast<const char*>(first.data()), first.size() * sizeof(wchar_t)});
    ASSERT_TRUE(older);
    EXPECT_FALSE(older->entries.at(0).newSize);
    for (size_t cut = 0; cut < bytes.size(); cut += 2) EXPECT_FALSE(transfer::ParseJournal(bytes.substr(0, cut))) << cut;
    std::string garbled = bytes;
    garbled[bytes.find('E')] = 'X';
    EXPECT_FALSE(transfer::ParseJournal(garbled));
}

}  // namespace
