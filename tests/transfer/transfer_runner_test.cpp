// Whole transfers from a source tree to a destination tree, compared file by file.
#include "transfer_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>

namespace {

using namespace transfer_testing;
using namespace testing_support;
using transfer::TransferOutcome;

TEST_F(TransferTest, RebuildsTheDestinationsSetsFromTheSourceAlone) {
    const Tree carried{{L"nationDATA\\n1.dat", "N1"}, {L"nationDATA\\n2.dat", "N2"}, {L"pastDATA\\p1.dat", "P1"},
                       {L"a.wav", "W"}, {L"back4.jpg", "B4"}, {L"pic.jpg", "PIC"}, {L"kosei01.dat", "K1"},
                       {L"kosei02.dat", "K2"}, {L"kosei05.dat", "K5"}, {L"habatuzu.dat", "H"}, {L"年表1.txt", "C1"},
                       {L"年表2.txt", "C2"}, {L"SWAIT.DAT", "SW"}, {L"taizin_log.txt", "LOG"}};
    WriteTree(S(), With(carried, {{L"a.Jpg", "no"}, {L"年表4.txt", "no"}, {L"unrelated.bmp", "no"}, {L"other\\x.dat", "no"},
                                  {L"nationDATA\\hidden.dat", "no"}, {L"nationDATA\\system.dat", "no"}}));
    SetAttributes(S() + L"nationDATA\\hidden.dat", FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(S() + L"nationDATA\\system.dat", FILE_ATTRIBUTE_SYSTEM);
    WriteTree(D(), {{L"nationDATA\\n1.dat", "old"}, {L"nationDATA\\gone.dat", "old"}, {L"pastDATA\\gone.dat", "old"},
                    {L"年表3.txt", "old"}, {L"年表.txt", "old"}, {L"年表x.dat", "old"}, {L"touroku.dat", "old"},
                    {L"habatuzu.dat", "old"}, {L"Sison.dat", "old"}, {L"SWAIT.DAT", "old"},
                    {L"keep.txt", "K"}, {L"BALANCE.DAT", "kept: the source has none"},
                    {L"pastDATA\\h.dat", "H"}, {L"pastDATA\\sub\\s.dat", "S"}});
    SetAttributes(D() + L"pastDATA\\h.dat", FILE_ATTRIBUTE_HIDDEN);  // stays, as its folder does

    // Copies carry no read-only, hidden or system bit: the next run must be able to replace them.
    SetAttributes(S() + L"SWAIT.DAT", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    // The outcome is told once, when the destination is complete, before the work folder with the
    // old files is removed.
    Tree atResult;
    size_t workEntries = 0;
    observer_.onResult = [&] {
        atResult = ReadTree(D());
        workEntries = std::erase_if(atResult, [](const auto& entry) { return entry.first.starts_with(L"~tvwork-"); });
        atResult.erase(L"~tvlock");
    };
    const transfer::TransferReport report = Transfer();
    EXPECT_EQ(report.outcome, TransferOutcome::Completed);
    EXPECT_EQ(atResult, ReadTree(D()));
    EXPECT_EQ(observer_.results, 1);
    EXPECT_GT(workEntries, 0u);
    EXPECT_EQ(Snapshot(D()), With(With(kBlankFiles, carried), {{L"keep.txt", "K"}, {L"BALANCE.DAT", "kept: the source has none"},
                                                               {L"nationDATA\\", ""}, {L"pastDATA\\", ""},
                                                               {L"pastDATA\\h.dat", "H [attributes 2]"},
                                                               {L"pastDATA\\sub\\", ""}, {L"pastDATA\\sub\\s.dat", "S"}}));
    // Copied once each, although the "jpg" sweep and step 13 both name back4.jpg.
    EXPECT_EQ(report.filesCopied, carried.size());
    EXPECT_EQ(observer_.started, std::vector<size_t>{observer_.lastProgress});  // told once, and the progress got there
    EXPECT_EQ(observer_.finished, 1);

    // An observer out of memory when told changes neither the outcome nor the clean-up.
    observer_.onResult = [] { throw std::bad_alloc(); };
    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
    EXPECT_EQ(observer_.results, 2);
    const Tree after = ReadTree(D());
    EXPECT_FALSE(std::any_of(after.begin(), after.end(), [](const auto& entry) { return entry.first.starts_with(L"~tvwork-"); }));

    // Data only in nationDATA is a data set.
    WriteTree(root_ / L"only", {{L"nationDATA\\x.dat", "X"}});
    EXPECT_EQ(TransferFrom(root_ / L"only\\").outcome, TransferOutcome::Completed);
    EXPECT_EQ(ReadTree(D() + L"nationDATA"), (Tree{{L"x.dat", "X"}}));
}

TEST_F(TransferTest, SweepsMusicOnlyForExactlyOnAndEndingsCaseSensitively) {
    WriteTree(S(), {{L"song.mp3", "M"}, {L"xmp3", "X"}, {L"TITLE.MP3", "no"}, {L"a.Jpg", "no"}, {L"BALANCE.DAT", "B"}});
    const Tree withoutMusic = With(kBlankFiles, {{L"BALANCE.DAT", "B"}});
    for (const std::wstring_view flag : {L"ON", L"on ", L""}) {
        EXPECT_EQ(Transfer(flag).outcome, TransferOutcome::Completed);
        EXPECT_EQ(ReadTree(D()), withoutMusic) << Utf8(flag);
    }
    EXPECT_EQ(Transfer(L"on").outcome, TransferOutcome::Completed);
    EXPECT_EQ(ReadTree(D()), With(withoutMusic, {{L"song.mp3", "M"}, {L"xmp3", "X"}}));
}

TEST_F(TransferTest, StopAtFirstSeriesEndAtTheFirstNameTheSourceLacks) {
    Tree source;
    for (int n = 1; n <= 9; ++n) source[L"年表" + std::to_wstring(n) + L".txt"] = "C";
    for (int n = 0; n <= 99; ++n)
        if (n != 50) source[L"kosei" + std::wstring(n < 10 ? L"0" : L"") + std::to_wstring(n) + L".dat"] = "K";
    WriteTree(S(), source);
    WriteTree(D(), {{L"年表9.txt", "old"}, {L"kosei99.dat", "old"}});

    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
    // Steps 11 and 14 between them carry every kosei file, the last of each series too.
    EXPECT_EQ(ReadTree(D()), With(kBlankFiles, source));

    // Without kosei00.dat the stop-at-first series carries nothing, the other one still all.
    for (const wchar_t* name : {L"kosei00.dat", L"年表3.txt"}) ::DeleteFileW((S() + name).c_str());
    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
    const Tree after = ReadTree(D());
    EXPECT_TRUE(after.contains(L"kosei99.dat"));
    EXPECT_TRUE(after.contains(L"年表2.txt"));
    EXPECT_FALSE(after.contains(L"年表4.txt"));
    EXPECT_FALSE(after.contains(L"年表9.txt"));
}

TEST_F(TransferTest, CarriesTheFilesTheWorldFileNames) {
    WriteTree(S(), {{L"zeloworld.dat", "a:fromSource.gif"}, {L"fromSource.gif", "no"}, {L"listed.gif", "L"},
                    {L"表.dat", "HYO"}, {L"sub\\s.gif", "SUB"}, {L"nosub\\n.gif", "no"}});
    WriteTree(root_ / L"src", {{L"evil.dat", "no"}, {L"evil2.dat", "no"}});
    MakeFolders(D() + L"sub");
    WriteBytes(WorldFile(),
               "x:listed.gif,y:sub\\s.gif,z:nosub\\n.gif,u:..\\evil.dat,v:sub\\..\\..\\evil2.dat,"
               "w:absent.gif,h:\x95\x5c.dat,s:sub\\.\\s.gif,t:SUB\\\\S.gif,u:sub.\\s.gif\r\n");

    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
    EXPECT_EQ(ReadTree(D()), With(kBlankFiles, {{L"zeloworld.dat", "a:fromSource.gif"}, {L"listed.gif", "L"},
                                                {L"表.dat", "HYO"}, {L"sub\\s.gif", "SUB"}}));
    for (const wchar_t* outside : {L"dst\\evil.dat", L"dst\\evil2.dat"}) EXPECT_FALSE(FileExists(root_ / outside));

    // Without a world file the transfer carries the rest.
    ::DeleteFileW(WorldFile().c_str());
    RemoveTree(root_ / L"dst\\D");
    MakeFolders(D() + L"sub");
    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
    EXPECT_EQ(ReadTree(D()), With(kBlankFiles, {{L"zeloworld.dat", "a:fromSource.gif"}}));
}

}  // namespace
