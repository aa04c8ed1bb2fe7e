// The names a world file lists and the journal a transfer keeps: which fields name a file,
// which names are kept (a world file another program holds: the transfer's tests), and only
// a whole journal read.
#include "transfer/journal.h"
#include "transfer/listed_files.h"

#include "transfer_fixture.h"

#include <gtest/gtest.h>

namespace {

using namespace transfer_testing;
using transfer::ListedFileName;

// The text after the first colon, without blanks or further colons, when it names
// a data-set file: not outside the folders, in the player's backup or the game's
// default data, nor a device.
TEST(ListedFileName, TakesTheNameAfterTheFirstColonInsideTheDataSet) {
    const struct { std::wstring_view field, name; } cases[] = {
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

// Only a journal written whole reads: a run cut off while writing it had changed nothing.
TEST(Journal, ReadsOnlyWhenWhole) {
    const std::string bytes =
        transfer::JournalBytes({{L"pastDATA"}, {L"NationData"}, {{L"a.dat", true, false, 0}, {L"nationDATA\\b.dat", false, true, 12}}});
    const std::optional<transfer::Journal> journal = transfer::ParseJournal(bytes);
    ASSERT_TRUE(journal);
    EXPECT_EQ(transfer::JournalBytes(*journal), bytes);  // every field read back
    EXPECT_EQ(journal->entries.at(1).newSize, 12u);
    // A folder replaced whole, in its own spelling, holds its new files under their names.
    EXPECT_EQ(transfer::StagedName(*journal, 1), L"new-NationData\\b.dat");
    // The first version's journals, without sizes, are still honoured.
    const std::optional<transfer::Journal> older =
        transfer::ParseJournal(JournalText(L"torvanel-transfer-journal 1\nE 01 a.dat\nend\n"));
    ASSERT_TRUE(older);
    EXPECT_FALSE(older->entries.at(0).newSize);
    for (size_t cut = 0; cut < bytes.size(); cut += 2) EXPECT_FALSE(transfer::ParseJournal(bytes.substr(0, cut))) << cut;
    std::string garbled = bytes;
    garbled[bytes.find('E')] = 'X';
    EXPECT_FALSE(transfer::ParseJournal(garbled));
}

}  // namespace
