// Run by two_prefixes.sh in each of two Wine prefixes (as two Windows sessions, or two PCs
// on a shared folder: neither sees the other's mutexes or sharing modes), each with its own
// package, into one game folder at once: one Install completes, the other is refused as
// busy, and the game folder is exactly what the one that completed makes of it.
#include "e2e/program_test.h"

#include "platform/file_services.h"
#include "platform/folder_lock.h"

#include <filesystem>

namespace e2e {

namespace {

using testing_support::FileExists;
using TwoPrefixes = ProgramTest;

// How this run ended, for the other run to read in the shared folder; "failed" when
// it ends before it knows.
struct Outcome {
    std::wstring path;
    bool told = false;
    void Tell(const std::string& outcome) { testing_support::WriteBytes(path, outcome); told = true; }
    ~Outcome() { if (!told) Tell("failed"); }
};

// The names that differ between two snapshots: the contents are too large to show.
std::string Differences(const Tree& found, const Tree& expected) {
    std::string names;
    for (const auto& [name, content] : found)
        if (!expected.contains(name) || expected.at(name) != content) names.append(" ").append(Show(name));
    for (const auto& [name, content] : expected)
        if (!found.contains(name)) names.append(" ").append(Show(name)).append(" (missing)");
    return names.substr(0, 500);
}

TEST_F(TwoPrefixes, OfTwoInstallsIntoOneGameFolderAtOnceOneCompletesTheOtherIsRefused) {
    const std::wstring work = FromScript(L"TORVANEL_TWO_PREFIXES"), me = FromScript(L"TORVANEL_PACKAGE");
    ASSERT_FALSE(work.empty() || me.empty()) << "run through two_prefixes.sh";
    const std::wstring other = me == L"a" ? L"b" : L"a";
    const auto in = [&work](const std::wstring& name) { return work + L"\\" + name; };
    const std::wstring game = in(L"game"), myPackage = in(L"package-" + me);
    Outcome outcome{in(L"outcome-" + me)};
    const std::wstring done(app::DoneMessage(app::Operation::Install));

    // This package alone into a copy of the game: what the game folder becomes if this run wins.
    testing_support::WriteBytes(myPackage + L"\\PathDATA.txt", SavedPathBytes(in(L"result-" + me)));
    ASSERT_NO_FATAL_FAILURE(Start(myPackage));
    const std::wstring alone = ConfirmRememberedFolder(OpenDialog(app::kInstallBTId), 300s).text;
    ASSERT_EQ(alone, done) << Show(alone);
    Finish();

    // Both runs wait with the dialog open until the other is as far, then confirm.
    testing_support::WriteBytes(myPackage + L"\\PathDATA.txt", SavedPathBytes(game));
    ASSERT_NO_FATAL_FAILURE(Start(myPackage));
    const HWND dialog = OpenDialog(app::kInstallBTId);
    ASSERT_NE(dialog, nullptr);
    testing_support::WriteBytes(in(L"ready-" + me), "");
    ASSERT_TRUE(WaitUntil([&] { return FileExists(in(L"ready-" + other)) || FileExists(in(L"outcome-" + other)); }, 300s));
    ASSERT_FALSE(FileExists(in(L"outcome-" + other))) << "the other run ended before both were ready";
    const std::wstring text = ConfirmRememberedFolder(dialog, 300s).text;
    const std::string mine = text == done                                       ? "completed"
                             : text.starts_with(L"別の操作がこのフォルダのデータを処理中のため") ? "busy"
                                                                                   : "other: " + Show(text);
    outcome.Tell(mine);
    Finish();

    // Once both have ended, each run checks what the two did.
    std::string theirs;
    ASSERT_TRUE(WaitUntil([&] { return !(theirs = platform::ReadFileBytes(in(L"outcome-" + other)).bytes).empty(); }, 300s));
    EXPECT_TRUE((mine == "completed" && theirs == "busy") || (mine == "busy" && theirs == "completed"))
        << "this run: " << mine << "; the other: " << theirs;
    if (mine == "completed" || theirs == "completed") {
        const std::wstring winner = mine == "completed" ? me : other;
        const Tree found = testing_support::Snapshot(game), expected = testing_support::Snapshot(in(L"result-" + winner));
        EXPECT_TRUE(found == expected) << "the game folder is not what package " << Show(winner)
                                       << " alone makes of it:" << Differences(found, expected);
    }
    for (const std::wstring& folder : {game, in(L"package-a"), in(L"package-b")})
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            EXPECT_FALSE(entry.path().filename() == platform::kLockFileName ||
                         entry.path().filename().wstring().starts_with(L"~tvwork-")) << Show(entry.path().wstring());
}

}  // namespace

}  // namespace e2e
