// A transfer completes or changes nothing: what it refuses before it starts, and
// what a failure, a kill or a power cut at any file-system call leaves behind.
#include "transfer_fixture.h"

#include "platform/folder_lock.h"
#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <thread>

namespace {

using namespace transfer_testing;
using namespace testing_support;
using transfer::TransferOutcome;

// Replaced, deleted, emptied, kept and created files, a folder to create, and files
// with attributes that must come back as they were.
const Tree kDestination{{L"nationDATA\\n1.dat", "old"}, {L"nationDATA\\gone.dat", "old"}, {L"年表3.txt", "old"},
                        {L"touroku.dat", "old"},         {L"Sison.dat", "old"},            {L"SWAIT.DAT", "old"},
                        {L"keep.txt", "K"},              {L"hidden.dat", "H"}};
const Tree kSource{{L"nationDATA\\n1.dat", "N1"}, {L"nationDATA\\n2.dat", "N2"}, {L"pastDATA\\p1.dat", "P1"},
                   {L"SWAIT.DAT", "SW"},          {L"MAPDATA.dat", "MAP"},       {L"年表1.txt", "C1"}};

// The real file system, but from its Nth changing call on, one call (or, as when the
// process is killed or the power fails, every call) fails without doing anything; a
// second call can be made to fail too. Folders can be shown as links.
// A power cut keeps what the seam promises: creations, renames and deletions in order up
// to the cut (NTFS journals them, so a cut at each call covers every case); a written
// file's content once its call returned (a full flush: a barrier for earlier copies); a
// copy's at the next barrier with `batchFlush` (data-only flushes), else once it returned.
class FaultyFileSystem : public platform::FileSystem {
public:
    FaultyFileSystem(int failAt, bool killed, platform::ErrorCode error = ERROR_DISK_FULL, int alsoFailAt = 0)
        : failAt_(failAt), alsoFailAt_(alsoFailAt), killed_(killed), error_(error) {}

    int calls = 0;
    std::vector<const char*> made;    // the changing calls
    std::vector<std::wstring> links;  // folder names listed as links
    bool batchFlush = false;
    std::function<void(const std::wstring&)> beforeMove;  // what another program does meanwhile

    using Path = const std::wstring&;
    platform::ErrorCode CopyNewFile(Path s, Path d) override {
        if (Fault("CopyNewFile")) return CutOff(d, real_.Read(s).bytes);
        if (batchFlush) unflushed_.insert(d);
        return real_.CopyNewFile(s, d);
    }
    platform::ErrorCode WriteNewFile(Path p, std::string_view b) override {
        if (Fault("WriteNewFile")) return CutOff(p, b);
        unflushed_.clear();  // its full flush is a barrier
        return real_.WriteNewFile(p, b);
    }
    platform::ErrorCode Move(Path f, Path t) override {
        if (beforeMove) beforeMove(f);
        return Fault("Move") ? error_ : Follow(real_.Move(f, t), f, t);
    }
    platform::ErrorCode DeleteFile(Path p) override { return Fault("DeleteFile") ? error_ : Follow(real_.DeleteFile(p), p); }
    platform::ErrorCode CreateFolder(Path p) override { return Fault("CreateFolder") ? error_ : real_.CreateFolder(p); }
    platform::ErrorCode RemoveFolder(Path p) override { return Fault("RemoveFolder") ? error_ : real_.RemoveFolder(p); }
    platform::FolderListing List(Path folder) override {
        platform::FolderListing listing = real_.List(folder);
        for (platform::FolderEntry& entry : listing.entries)
            if (std::ranges::find(links, entry.name) != links.end()) entry.attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        return listing;
    }

    // The power fails: every file whose content was not durable holds garbage of its
    // length, unlike any real content. Returns how many lost something.
    int CutPower() {
        int lost = 0;
        for (const std::wstring& path : unflushed_) {
            const size_t size = static_cast<size_t>(real_.Size(path).value_or(0));
            if (size > 0) WriteBytes(path, std::string(size, '\xA5'));
            lost += size > 0;
        }
        return lost;
    }

private:
    bool Fault(const char* kind) {
        made.push_back(kind);
        ++calls;
        return calls == failAt_ || calls == alsoFailAt_ || (killed_ && calls > failAt_);
    }
    // A renamed file, or the files of a renamed folder, are no more durable than
    // before; a deleted one is gone.
    platform::ErrorCode Follow(platform::ErrorCode error, Path from, Path to = {}) {
        std::set<std::wstring> renamed;
        std::erase_if(unflushed_, [&](const std::wstring& path) {
            if (error || (path != from && !path.starts_with(from + L"\\"))) return false;
            if (!to.empty()) renamed.insert(to + path.substr(from.size()));
            return true;
        });
        unflushed_.merge(renamed);
        return error;
    }
    // A process stopped while it writes leaves what it had written so far, not durable.
    platform::ErrorCode CutOff(Path path, std::string_view bytes) {
        if (killed_ && calls == failAt_ && !real_.WriteNewFile(path, bytes.substr(0, bytes.size() / 2)))
            unflushed_.insert(path);
        return error_;
    }
    int failAt_, alsoFailAt_;
    bool killed_;
    platform::ErrorCode error_;
    platform::FileSystem& real_ = platform::SystemFileSystem();
    std::set<std::wstring> unflushed_;
};

Tree WithoutWorkFolders(Tree tree) {
    std::erase_if(tree, [](const auto& entry) { return entry.first.starts_with(L"~tvwork-"); });
    return tree;
}

class AllOrNothingTest : public TransferTest {
protected:
    void SetUp() override {
        WriteTree(S(), kSource);
        PrepareDestination();
    }
    void PrepareDestination() {
        RemoveTree(root_ / L"dst\\D");
        WriteTree(D(), kDestination);
        SetAttributes(D() + L"hidden.dat", FILE_ATTRIBUTE_HIDDEN);
        SetAttributes(D() + L"keep.txt", FILE_ATTRIBUTE_READONLY);
    }

    // Runs `transfer`, expects it refused with `outcome` and everything as it was.
    template <typename Run>
    transfer::TransferReport ExpectRefused(TransferOutcome outcome, const char* what, Run transfer) {
        const Tree before = Snapshot(root_.path());
        const transfer::TransferReport report = transfer();
        EXPECT_EQ(report.outcome, outcome) << what;
        EXPECT_EQ(Snapshot(root_.path()), before) << what;
        EXPECT_TRUE(observer_.started.empty()) << what;
        return report;
    }
};

TEST_F(AllOrNothingTest, RefusesBeforeChangingAnything) {
    // One folder however it is spelled: in another case, with "." or "..", "/", doubled "\", its short name.
    wchar_t shortName[MAX_PATH] = {};
    ::GetShortPathNameW(D().c_str(), shortName, MAX_PATH);
    for (const std::wstring& same :
         {root_ / L"DST\\.\\d\\\\", D() + L"nationDATA\\..", D() + L"/", std::wstring(shortName)})
        ExpectRefused(TransferOutcome::SameFolder, Utf8(same).c_str(), [&] {
            return transfer::TransferDataSet({same, D(), L"", WorldFile()}, &observer_);
        });
    ExpectRefused(TransferOutcome::DestinationMissing, "missing destination",
                  [&] { return transfer::TransferDataSet({S(), root_ / L"dst\\none\\", L"", WorldFile()}, &observer_); });

    MakeFolders(root_ / L"empty");
    ExpectRefused(TransferOutcome::NoDataSet, "empty source", [&] { return TransferFrom(root_ / L"empty\\"); });
    ExpectRefused(TransferOutcome::NoDataSet, "missing source (one it writes, so locked)",
                  [&] { return transfer::TransferDataSet({root_ / L"none\\", D(), L"", WorldFile(), true}, &observer_); });
    // Files the plan does not carry by name, hidden data files and folders by data names are no data set.
    WriteTree(root_ / L"other", {{L"a.wav", "W"}, {L"song.mp3", "M"}, {L"x\\MAPDATA.dat", "M"}, {L"nationDATA\\h.dat", "H"}});
    SetAttributes(root_ / L"other\\nationDATA\\h.dat", FILE_ATTRIBUTE_HIDDEN);
    MakeFolders(root_ / L"other\\Sison.dat");
    ExpectRefused(TransferOutcome::NoDataSet, "unrelated files", [&] { return TransferFrom(root_ / L"other\\"); });

    // A file as large as no disk here holds (sparse: it costs nothing to make), kept
    // out of the snapshots.
    const TempFolder big;
    {
        platform::UniqueFile huge(::CreateFileW((big / L"BALANCE.DAT").c_str(), GENERIC_WRITE, 0, nullptr,
                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        const LARGE_INTEGER size{.QuadPart = 1LL << 43};
        ASSERT_TRUE(::SetFilePointerEx(huge.get(), size, nullptr, FILE_BEGIN) && ::SetEndOfFile(huge.get()));
    }
    const transfer::TransferReport full =
        ExpectRefused(TransferOutcome::NotEnoughSpace, "no room", [&] { return TransferFrom(big.path() + L"\\"); });
    EXPECT_GT(full.bytesShort, (1ULL << 43) - (1ULL << 40));
    EXPECT_LT(full.bytesShort, 1ULL << 43);  // what is missing, not all that is needed

    // Access denied at the first write: the destination is not ours to write.
    FaultyFileSystem denied(1, false, ERROR_ACCESS_DENIED);
    ExpectRefused(TransferOutcome::NotWritable, "not writable", [&] { return Transfer(L"", denied); });

    // Another run of the program holds the destination, however either spells it (its lock
    // file shares nothing, so holding it here is as good as in another process).
    for (const std::wstring& spelling : {root_ / L"DST\\d", root_ / L"dst\\D\\.\\"}) {
        const platform::FolderLock other(spelling);
        ASSERT_TRUE(other.Held());
        ExpectRefused(TransferOutcome::Busy, Utf8(spelling).c_str(), [&] { return Transfer(); });
    }
    {  // or the source a transfer writes (a Restore's Backup, put right first)
        const platform::FolderLock other(S());
        ExpectRefused(TransferOutcome::Busy, "a source it writes must be locked", [&] {
            return transfer::TransferDataSet({S(), D(), L"", WorldFile(), true}, &observer_);
        });
    }
    // The lock file a killed run left keeps no one out, and goes with the next lock.
    const std::wstring lockFile = D() + std::wstring(platform::kLockFileName);
    WriteBytes(lockFile, "");
    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
    EXPECT_FALSE(FileExists(lockFile));
}

TEST_F(AllOrNothingTest, FilesTheGameHoldsOrThatAreProtectedStopEverything) {
    transfer::TransferReport report;
    {
        // Replaced (held as the game holds files it reads: others may read, nobody may
        // move it), only deleted, emptied; a held file the transfer leaves alone does not count.
        const platform::UniqueFile replaced(::CreateFileW((D() + L"SWAIT.DAT").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                          nullptr, OPEN_EXISTING, 0, nullptr));
        const platform::UniqueFile deleted = HoldWithoutSharing(D() + L"nationDATA\\gone.dat");
        const platform::UniqueFile emptied = HoldWithoutSharing(D() + L"Sison.dat");
        const platform::UniqueFile untouched = HoldWithoutSharing(D() + L"hidden.dat");
        report = ExpectRefused(TransferOutcome::FilesInUse, "held", [&] { return Transfer(); });
    }
    EXPECT_EQ(report.filesInUse, (std::vector<std::wstring>{L"nationDATA\\gone.dat", L"SWAIT.DAT", L"Sison.dat"}));

    SetAttributes(D() + L"SWAIT.DAT", FILE_ATTRIBUTE_READONLY);         // to be replaced
    SetAttributes(D() + L"nationDATA\\gone.dat", FILE_ATTRIBUTE_SYSTEM);  // not deleted: not ordinary
    SetAttributes(D() + L"年表3.txt", FILE_ATTRIBUTE_READONLY);           // to be deleted
    SetAttributes(D() + L"Sison.dat", FILE_ATTRIBUTE_HIDDEN);             // to be emptied
    report = ExpectRefused(TransferOutcome::Failed, "protected", [&] { return Transfer(); });
    ASSERT_EQ(report.failures.size(), 3u);
    EXPECT_EQ(report.failures[0].name + L" " + report.failures[1].name + L" " + report.failures[2].name,
              L"年表3.txt SWAIT.DAT Sison.dat");
    EXPECT_EQ(report.failures[1].error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    for (const wchar_t* name : {L"SWAIT.DAT", L"年表3.txt", L"Sison.dat"}) SetAttributes(D() + name, FILE_ATTRIBUTE_NORMAL);

    // A world file that cannot be read stops everything. A scanner that holds the world file,
    // then a data file, for a few hundred milliseconds each, is waited out.
    WriteBytes(WorldFile(), "x:MAPDATA.dat");
    {
        platform::UniqueFile exclusive = HoldWithoutSharing(WorldFile());
        report = ExpectRefused(TransferOutcome::Failed, "world file", [&] { return Transfer(); });
        ASSERT_EQ(report.failures.size(), 1u);
        EXPECT_EQ(report.failures[0].name, L"zeloworld.dat");
        platform::UniqueFile scanner = HoldWithoutSharing(D() + L"SWAIT.DAT");
        const std::jthread release([&] { ::Sleep(300); exclusive.reset(); ::Sleep(300); scanner.reset(); });
        EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
    }
    // A world file an editor holds is read all the same.
    const platform::UniqueFile editor(::CreateFileW(WorldFile().c_str(), GENERIC_READ | GENERIC_WRITE,
                                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
}

// At every file-system call of a transfer: when that call fails, all is as before at once;
// when the run stops there (killed; a power cut, copies flushed one by one or in a batch;
// killed, then its staged copies taken), the next run puts it back or finishes it, also
// when it only reads the folder as a source it writes (a Restore from a Backup left halfway).
TEST_F(AllOrNothingTest, AFailureAKillOrAPowerCutAtAnyCallLeavesTheFoldersAsBeforeOrAsPlanned) {
    const auto backUp = [&] {  // the destination backed up into a fresh folder: the report and the copy
        RemoveTree(root_ / L"backup");
        MakeFolders(root_ / L"backup");
        const transfer::TransferReport report =
            transfer::TransferDataSet({D(), root_ / L"backup\\", L"", WorldFile(), true});
        return std::pair{report, ReadTree(root_ / L"backup")};
    };
    const Tree sourceBefore = Snapshot(S());
    const Tree before = Snapshot(D()), backupOfBefore = backUp().second;
    FaultyFileSystem counting(0, false);
    ASSERT_EQ(Transfer(L"", counting).outcome, TransferOutcome::Completed);
    const Tree after = Snapshot(D()), backupOfAfter = backUp().second;
    ASSERT_EQ(after.at(L"pastDATA\\p1.dat"), "P1");  // in the folder the destination lacked
    MakeFolders(root_ / L"empty");

    enum Stop { kFailure, kKill, kPowerCut, kPowerCutBatch, kStagedCopiesTaken };
    const char* const stops[] = {"failing", "killed", "power cut", "power cut (batch)", "killed, staged copies taken"};
    // A scanner quarantines the staged copies a stopped run left; how many.
    const auto takeStagedCopies = [&] {
        int taken = 0;
        for (const auto& [name, content] : ReadTree(D())) {
            if (name.starts_with(L"~tvwork-") && name.find(L"\\n") != std::wstring::npos &&
                name.find(L"\\old-") == std::wstring::npos)  // not the old folder's files
                taken += ::DeleteFileW((D() + name).c_str()) ? 1 : 0;
        }
        return taken;
    };
    int blockedRuns = 0, undoFailures = 0, lost[std::size(stops)] = {};
    for (const Stop stop : {kFailure, kKill, kPowerCut, kPowerCutBatch, kStagedCopiesTaken}) {
        bool reachedAfter = false;
        for (int n = 1; n <= counting.calls; ++n) {
            const std::string what = stops[stop] + (" at call " + std::to_string(n)) + " (" + counting.made[n - 1] + ")";
            PrepareDestination();
            FaultyFileSystem faulty(n, stop != kFailure);
            faulty.batchFlush = stop == kPowerCutBatch;
            const transfer::TransferReport report = Transfer(L"", faulty);
            const bool saidCompleted = report.outcome == TransferOutcome::Completed;
            if (stop == kFailure) {
                if (report.outcome == TransferOutcome::Failed) {
                    EXPECT_EQ(Snapshot(D()), before) << what;
                    EXPECT_FALSE(report.changesLeft) << what;
                } else {  // a data folder that cannot be renamed is changed file by file
                    EXPECT_EQ(WithoutWorkFolders(Snapshot(D())), after) << what;
                }
                // When the first step of undoing fails too, the run says whether anything
                // stayed changed, and the next run puts it back.
                PrepareDestination();
                FaultyFileSystem twice(n, false, ERROR_DISK_FULL, n + 1);
                const transfer::TransferReport left = Transfer(L"", twice);
                if (left.outcome == TransferOutcome::Failed) {
                    EXPECT_EQ(left.changesLeft, WithoutWorkFolders(Snapshot(D())) != before) << what;
                    if (left.changesLeft) ++undoFailures;
                    EXPECT_EQ(TransferFrom(root_ / L"empty\\").outcome, TransferOutcome::NoDataSet) << what;
                    EXPECT_EQ(Snapshot(D()), before) << what;
                }
                continue;
            }
            // What the power cut lost or the scanner took (at some cuts nothing: a kill again).
            if (stop > kKill) lost[stop] += stop == kStagedCopiesTaken ? takeStagedCopies() : faulty.CutPower();
            // A next run that cannot put things right starts nothing on top of them.
            const Tree left = Snapshot(D());
            FaultyFileSystem stuck(1, true);
            const transfer::TransferReport blocked =
                transfer::TransferDataSet({root_ / L"empty\\", D(), L"", WorldFile()}, nullptr, stuck);
            EXPECT_EQ(Snapshot(D()), left) << what;
            if (blocked.outcome != TransferOutcome::NoDataSet) {
                EXPECT_TRUE(blocked.outcome == TransferOutcome::Failed && blocked.changesLeft &&
                            !blocked.interruptedRunUndone) << what;
                ++blockedRuns;
            }
            // The next run, whatever it does (here a Backup of the folder), first puts things
            // right: exactly as before or as planned, no garbage under any name; then reads it.
            const auto [next, backup] = backUp();
            EXPECT_EQ(next.outcome, TransferOutcome::Completed) << what;
            const Tree now = Snapshot(D());
            EXPECT_EQ(backup, now == after ? backupOfAfter : backupOfBefore) << what;
            EXPECT_TRUE(now == after || !saidCompleted) << what << ": reported Completed, then undone";
            if (now == after) {
                reachedAfter = true;
                EXPECT_FALSE(next.interruptedRunUndone) << what;
            } else {
                EXPECT_FALSE(reachedAfter) << what << ": back to the old state after the change had completed";
                EXPECT_EQ(now, before) << what;
                // Only a run stopped before it copied anything left nothing to undo.
                const bool copied = std::any_of(left.begin(), left.end(), [](const auto& entry) {
                    return entry.first.starts_with(L"~tvwork-") && !entry.first.ends_with(L"\\"); });
                EXPECT_EQ(next.interruptedRunUndone, copied) << what;
            }
            EXPECT_EQ(Snapshot(S()), sourceBefore) << what;
        }
        EXPECT_TRUE(reachedAfter || stop == kFailure) << stops[stop];
        EXPECT_TRUE(lost[stop] > 0 || stop <= kKill) << stops[stop];
    }
    EXPECT_GT(blockedRuns, 0);
    EXPECT_GT(undoFailures, 0);

    // A file another program puts in a data folder after the plan was made stays there.
    PrepareDestination();
    FaultyFileSystem meanwhile(0, false);
    meanwhile.beforeMove = [&](const std::wstring& from) {
        if (from.ends_with(L"journal.new")) WriteBytes(D() + L"nationDATA\\late.dat", "late");
    };
    EXPECT_EQ(Transfer(L"", meanwhile).outcome, TransferOutcome::Completed);
    EXPECT_EQ(Snapshot(D()), With(after, {{L"nationDATA\\late.dat", "late"}}));
}

}  // namespace

// What recovery finds on disk is input: a journal it did not write, a link. It moves back
// only what a change of its own moved, inside the folder, and leaves a folder it only reads alone.
TEST_F(AllOrNothingTest, RecoveryTouchesNothingItDidNotMove) {
    WriteTree(root_ / L"victim", {{L"important.txt", "mine"}, {L"a.dat", "A"}});
    MakeFolders(root_ / L"victim_empty");
    const std::wstring work = D() + L"~tvwork-1-1-1";
    // One line from a journal the program would honour, each changed in one way.
    const struct {
        const char* rule;
        std::wstring_view journal;
    } journals[] = {
        {"names stay inside the folder", L"torvanel-transfer-journal 2\nE 010 4 ..\\victim\\important.txt\nend\n"},
        {"names stay inside the folder", L"torvanel-transfer-journal 2\nE 100 0 ..\\victim\\planted.dat\nend\n"},
        {"only data folders are created", L"torvanel-transfer-journal 2\nF ..\\victim_empty\nend\n"},
        {"only data folders are created", L"torvanel-transfer-journal 2\nF face\nE 100 0 SWAIT.DAT\nend\n"},
        {"no other drive", L"torvanel-transfer-journal 2\nE 110 7 Z:\\victim.dat\nend\n"},
        {"no device path", L"torvanel-transfer-journal 2\nE 110 7 \\\\?\\C:\\victim.dat\nend\n"},
        {"only data files", L"torvanel-transfer-journal 2\nE 110 7 TorvaGame.exe\nend\n"},
        {"no newer version", L"torvanel-transfer-journal 4\nE 100 0 SWAIT.DAT\nend\n"},
        {"whole", L"torvanel-transfer-journal 2\nE 100 0 SWAIT.DAT\nen"},
        {"well formed", L"torvanel-transfer-journal 2\nE 200 0 SWAIT.DAT\nend\n"},
        {"an overlay copy needs an overlay", L"torvanel-transfer-journal 2\nE 001 0 SWAIT.DAT\nend\n"},
        {"names as written", L"torvanel-transfer-journal 2\nE 100 0 face\\.\\a.gif\nend\n"},
        {"each file once, in any case", L"torvanel-transfer-journal 2\nE 100 0 face\\a.gif\nE 100 0 FACE\\a.gif\nend\n"},
    };
    for (const auto& [rule, journal] : journals) {
        PrepareDestination();
        MakeFolders(D() + L"face");  // a player's own, empty
        WriteTree(work, {{L"journal", JournalText(journal)}, {L"b0\\o0", "PLANTED"}});
        const std::string what = std::string("a journal followed only when ") + rule + ": " + Utf8(journal);
        const transfer::TransferReport report =
            ExpectRefused(TransferOutcome::UnreadableRecord, what.c_str(), [&] { return Transfer(); });
        EXPECT_EQ(report.unreadableWork, work) << what;
        observer_ = {};
    }
    // A journal this version would honour, beside a work folder it did not lay out: files
    // where an earlier layout put them, no bucket at all, a bucket or a new folder that is
    // a link leading out of the folder.
    const std::wstring victim = root_ / L"victim";
    const struct {
        std::wstring_view journal;
        Tree files;
        std::wstring link;  // in D (or in the overlay), made a link to the victim folder
        bool inOverlay = false;
    } layouts[] = {
        {L"torvanel-transfer-journal 1\nE 11 SWAIT.DAT\nend\n", {{L"n0", "NEW"}, {L"o0", "OLD"}}, L""},
        {L"torvanel-transfer-journal 3\nE 100 0 MAPDATA.dat\nend\n", {}, L""},
        {L"torvanel-transfer-journal 3\nE 100 0 MAPDATA.dat\nend\n", {}, L"~tvwork-1-1-1\\b0"},
        {L"torvanel-transfer-journal 3\nW nationDATA\nE 110 3 nationDATA\\n1.dat\nend\n", {{L"b0\\o0", "PLANTED"}},
         L"~tvwork-1-1-1\\new-nationDATA"},
        {L"torvanel-transfer-journal 3\nE 100 0 face\\a.gif\nend\n", {{L"b0\\o0", "PLANTED"}}, L"face"},
        {L"torvanel-transfer-journal 3\nE 001 0 face\\a.gif\nend\n", {{L"b0\\v0", "PLANTED"}}, L"face", true},
    };
    const std::wstring overlay = root_ / L"store\\";
    MakeFolders(overlay);
    WriteBytes(victim + L"\\o0", "OUTSIDE");
    for (const auto& layout : layouts) {
        PrepareDestination();
        RemoveTree(work);
        WriteTree(work, With(layout.files, {{L"journal", JournalText(layout.journal)}}));
        const std::wstring link = (layout.inOverlay ? overlay : D()) + layout.link;
        if (!layout.link.empty()) {
            ASSERT_TRUE(MakeLink(link, victim));
        }
        const std::string what = Utf8(std::wstring(layout.journal) + link);
        const transfer::TransferReport report = ExpectRefused(TransferOutcome::UnreadableRecord, what.c_str(), [&] {
            return transfer::TransferDataSet({S(), D(), L"", WorldFile(), false, L"", overlay}, &observer_);
        });
        EXPECT_EQ(report.unreadableWork, work) << what;
        if (!layout.link.empty()) {
            ASSERT_TRUE(RemoveLink(link));
        }
        observer_ = {};
    }
    RemoveTree(work);

    // The line they were made from is honoured: its set-aside file cannot go back over
    // the file standing there, and the run stops.
    PrepareDestination();
    WriteTree(work, {{L"journal", JournalText(L"torvanel-transfer-journal 2\nE 100 0 SWAIT.DAT\nend\n")},
                     {L"b0\\o0", "PLANTED"}});
    EXPECT_TRUE(Transfer().changesLeft);
    // An original set aside that has gone since (a scanner's quarantine) is named, not
    // said to be put back.
    PrepareDestination();
    RemoveTree(work);
    WriteTree(work, {{L"journal", JournalText(L"torvanel-transfer-journal 3\nE 100 0 MAPDATA.dat\nend\n")}});
    MakeFolders(work + L"\\b0");
    const transfer::TransferReport quarantined = Transfer();
    EXPECT_TRUE(quarantined.interruptedRunUndone);
    EXPECT_EQ(quarantined.notPutBack, std::vector<std::wstring>{D() + L"MAPDATA.dat"});
    // A file another program dropped into a folder the change created keeps that folder,
    // and the undo is done all the same.
    PrepareDestination();
    RemoveTree(work);
    WriteTree(work, {{L"journal", JournalText(L"torvanel-transfer-journal 3\nF pastDATA\nE 010 2 pastDATA\\p1.dat\nend\n")}});
    MakeFolders(work + L"\\b0");
    WriteTree(D() + L"pastDATA", {{L"p1.dat", "P1"}, {L"dropped.txt", "theirs"}});
    MakeFolders(root_ / L"empty");
    const transfer::TransferReport dropped = TransferFrom(root_ / L"empty\\");
    EXPECT_TRUE(dropped.interruptedRunUndone && !dropped.changesLeft) << "a dropped file must not keep the undo from ending";
    EXPECT_EQ(ReadTree(D() + L"pastDATA"), (Tree{{L"dropped.txt", "theirs"}}));
    EXPECT_FALSE(FolderExists(work));

    // A work folder without journal whose entries are links: removed as links where
    // the system allows, and never followed.
    PrepareDestination();
    WriteTree(work, {{L"b0\\n0", "staged"}, {L"link\\behind.dat", "B"}});
    WriteTree(D() + L"~tvwork-3-3-3", {{L"behind.dat", "B"}});
    FaultyFileSystem linked(0, false);
    linked.links = {L"link", L"~tvwork-3-3-3"};
    EXPECT_EQ(Transfer(L"", linked).outcome, TransferOutcome::Completed);
    EXPECT_EQ(ReadBytes(work + L"\\link\\behind.dat"), "B");
    EXPECT_EQ(ReadBytes(D() + L"~tvwork-3-3-3\\behind.dat"), "B");

    // A package is only read: whatever it holds of an earlier run stays, and neither it
    // nor anything outside is touched.
    WriteTree(S(), {{L"~tvwork-1-1-1\\journal",
                     JournalText(L"torvanel-transfer-journal 2\nE 010 3 MAPDATA.dat\nE 100 0 SWAIT.DAT\nend\n")},
                    {L"~tvwork-1-1-1\\b0\\o1", "PLANTED"}, {L"~tvcopy1.tmp", "T"}, {L"nationDATA\\~tvcopyX.tmp", "T"},
                    {L"~tvwork-foo\\readme.txt", "R"}, {L"~tvwork-2-2-2\\sub\\x.dat", "X"}});
    const Tree package = Snapshot(S()), outside = Snapshot(root_ / L"victim");
    PrepareDestination();
    WriteBytes(D() + L"~tvwork-1-2\\mine.txt", "a player's");  // named almost like a work folder
    const transfer::TransferReport installed = Transfer(L"on");
    EXPECT_EQ(installed.outcome, TransferOutcome::Completed);
    EXPECT_FALSE(installed.interruptedRunUndone);
    EXPECT_EQ(Snapshot(S()), package);
    EXPECT_EQ(Snapshot(root_ / L"victim"), outside);
    EXPECT_EQ(ReadBytes(D() + L"MAPDATA.dat"), "MAP");
    EXPECT_EQ(ReadBytes(D() + L"~tvwork-1-2\\mine.txt"), "a player's");
}

// What stands where the transfer needs a plain folder or file of its own is refused, named,
// before anything changes, and the run after the player moved it completes. Real links
// (under Wine, Unix links: what Windows shows as junctions and symbolic links).
TEST_F(AllOrNothingTest, LinksAndOddNamesAreRefusedBeforeAnythingChanges) {
    const std::wstring victim = root_ / L"victim";
    WriteTree(victim, {{L"important.txt", "mine"}, {L"n1.dat", "elsewhere"}});
    WriteBytes(WorldFile(), "x:face\\a.gif");
    WriteBytes(S() + L"face\\a.gif", "A");
    const std::wstring overlay = root_ / L"store\\";
    MakeFolders(overlay);
    const std::wstring linkedOverlay = root_ / L"linkedStore\\";
    const struct {
        const char* what;
        TransferOutcome outcome;
        std::wstring obstacle;        // relative to D, or a full path
        std::wstring linkTo;          // the obstacle is a link to this; else `make` makes it
        std::function<void()> make;
        transfer::TransferRequest request = {};
    } cases[] = {
        {"a data folder that is a link", TransferOutcome::LinkInTheWay, L"nationDATA", victim, {}},
        {"a replaced file that is a link", TransferOutcome::LinkInTheWay, L"SWAIT.DAT", victim + L"\\n1.dat", {}},
        {"the lock's name, a link to a file", TransferOutcome::NameInTheWay, L"~tvlock", victim + L"\\important.txt", {}},
        {"the lock's name, a folder", TransferOutcome::NameInTheWay, L"~tvlock", L"", [&] { MakeFolders(D() + L"~tvlock"); }},
        {"a file where a data folder belongs", TransferOutcome::NameInTheWay, L"pastDATA", L"",
         [&] { WriteBytes(D() + L"pastDATA", "F"); }},
        {"a file where a listed subfolder belongs", TransferOutcome::NameInTheWay, L"face", L"",
         [&] { WriteBytes(D() + L"face", "F"); }},
        {"two names one to Windows", TransferOutcome::CaseTwins, L"nationDATA\\N1.DAT", L"",
         [&] { ASSERT_TRUE(WriteCaseTwin(D() + L"nationDATA\\N1.DAT", "twin")); }},
        {"a destination that is a link", TransferOutcome::LinkInTheWay, root_ / L"dst\\linked", victim, {},
         {S(), root_ / L"dst\\linked\\", L"", WorldFile()}},
        {"an overlay that is a link", TransferOutcome::LinkInTheWay, root_ / L"linkedStore", overlay, {},
         {S(), D(), L"", WorldFile(), false, L"", linkedOverlay}},
    };
    for (const auto& c : cases) {
        PrepareDestination();
        const std::wstring obstacle = c.obstacle.find(L':') == std::wstring::npos ? D() + c.obstacle : c.obstacle;
        if (!c.linkTo.empty()) {  // in place of what the destination has under that name
            if (FolderExists(obstacle)) RemoveTree(obstacle);
            ::DeleteFileW(obstacle.c_str());
            ASSERT_TRUE(MakeLink(obstacle, c.linkTo)) << c.what;
        }
        if (c.make) c.make();
        const auto run = [&] {
            return c.request.source.empty() ? Transfer() : transfer::TransferDataSet(c.request, &observer_);
        };
        // Twice the same: nothing is left behind that changes the next run.
        for (int time = 0; time < 2; ++time) {
            const transfer::TransferReport report = ExpectRefused(c.outcome, c.what, run);
            EXPECT_NE(std::ranges::find(report.obstacles, obstacle), report.obstacles.end()) << c.what;
        }
        if (!c.linkTo.empty()) {
            ASSERT_TRUE(RemoveLink(obstacle)) << c.what;
        }
        observer_ = {};
    }
    PrepareDestination();
    MakeFolders(D() + L"face");
    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
    EXPECT_EQ(ReadBytes(D() + L"face\\a.gif"), "A");
}

// A game folder with an overlay (where Windows keeps the game's own copies): the game
// reads the overlay's copy in place of the folder's file, so the transfer reads the
// copies, and replaces or removes them with the folder's files, all or nothing.
TEST_F(TransferTest, TheGamesOwnCopiesAreReadAndReplacedWithItsFolder) {
    const std::wstring overlay = root_ / L"store\\D\\";
    WriteTree(S(), {{L"SWAIT.DAT", "new"}, {L"nationDATA\\n1.dat", "new"}});
    const auto prepare = [&] {
        RemoveTree(root_ / L"dst\\D");
        RemoveTree(root_ / L"store");
        WriteTree(D(), {{L"SWAIT.DAT", "old"}, {L"nationDATA\\n1.dat", "old"}, {L"kosei01.dat", "old"}});
        WriteTree(overlay, {{L"SWAIT.DAT", "game's"}, {L"nationDATA\\n9.dat", "game's"}, {L"touroku.dat", "game's"},
                            {L"kosei01.dat", "game's"}});
    };
    const transfer::TransferRequest install{S(), D(), L"", WorldFile(), false, L"", overlay};

    prepare();
    const auto both = [&] { return With(Snapshot(D()), Snapshot(root_ / L"store")); };
    const Tree before = both();
    FaultyFileSystem counting(0, false);
    const transfer::TransferReport report = transfer::TransferDataSet(install, nullptr, counting);
    EXPECT_EQ(report.outcome, TransferOutcome::Completed);
    EXPECT_TRUE(report.overlayInvolved);
    EXPECT_EQ(With(ReadTree(D()), ReadTree(overlay)),  // what the game sees
              With(kBlankFiles, {{L"SWAIT.DAT", "new"}, {L"nationDATA\\n1.dat", "new"}, {L"kosei01.dat", "game's"}}));
    // Killed at any call, the next run puts back both, or finishes the change.
    const Tree after = both();
    MakeFolders(root_ / L"empty");
    for (int n = 1; n <= counting.calls; ++n) {
        prepare();
        FaultyFileSystem killed(n, true);
        (void)transfer::TransferDataSet(install, nullptr, killed);
        EXPECT_EQ(transfer::TransferDataSet({root_ / L"empty\\", D(), L"", WorldFile(), false, L"", overlay}).outcome,
                  TransferOutcome::NoDataSet);
        const Tree now = both();
        EXPECT_TRUE(now == before || now == after) << "killed at call " << n << " (" << counting.made[n - 1] << ")";
    }

    // The game holding one of its own copies is refused before anything is copied.
    prepare();
    {
        const platform::UniqueFile held = HoldWithoutSharing(overlay + L"SWAIT.DAT");
        EXPECT_EQ(transfer::TransferDataSet(install, nullptr).filesInUse, std::vector<std::wstring>{L"SWAIT.DAT"});
    }
    EXPECT_EQ(both(), before);

    // A Backup saves what the game plays with: the overlay's copies.
    prepare();
    const std::wstring backup = D() + L"Backup\\";
    MakeFolders(backup);
    EXPECT_EQ(transfer::TransferDataSet({D(), backup, L"", WorldFile(), true, overlay, L""}).outcome, TransferOutcome::Completed);
    EXPECT_EQ(ReadTree(backup), With(kBlankFiles, {{L"SWAIT.DAT", "game's"}, {L"nationDATA\\n1.dat", "old"},
                                                   {L"nationDATA\\n9.dat", "game's"}, {L"touroku.dat", "game's"},
                                                   {L"kosei01.dat", "game's"}}));
}
