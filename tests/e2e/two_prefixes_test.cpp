// Two copies of the program in two Wine prefixes (as two Windows sessions, or two PCs
// on a shared folder: neither sees the other's mutexes or sharing modes) Install into
// one game folder at the same instant. two_prefixes.sh runs this once in each prefix,
// each with its own package: one Install completes, the other is refused as busy, and
// the game folder is exactly what the one that completed makes of it.
#include "e2e/program_test.h"

#include "app/operations.h"
#include "folder_dialog/folder_dialog.h"
#include "platform/file_services.h"
#include "platform/folder_lock.h"

#include <cstdio>
#include <filesystem>

namespace e2e {

namespace {

using testing_support::FileExists;
using testing_support::Snapshot;

constexpr std::wstring_view kBusy = L"別の操作がこのフォルダのデータを処理中のため";

// How this run ended, for the other run to read in the shared folder; "failed" when
// it ends before it knows.
class Outcome {
public:
    explicit Outcome(std::wstring path) : path_(std::move(path)) {}
    ~Outcome() {
        if (!told_) Tell("failed");
    }
    Outcome(const Outcome&) = delete;
    Outcome& operator=(const Outcome&) = delete;

    void Tell(const std::string& outcome) {
        testing_support::WriteBytes(path_, outcome);
        told_ = true;
    }

private:
    std::wstring path_;
    bool told_ = false;
};

// What a run has told so far; empty while it has told nothing.
std::string Told(const std::wstring& path) {
    const platform::BytesRead read = platform::ReadFileBytes(path);
    return read.error == ERROR_SUCCESS ? read.bytes : std::string();
}

// Clicks Install in the program and returns its game-folder dialog.
HWND OpenInstallDialog(const RunningProgram& program) {
    const HWND main = program.WaitFor(Captioned(app::kProgramTitle));
    if (!main) return nullptr;
    Click(::GetDlgItem(main, app::kInstallBTId));
    return program.WaitFor(Captioned(folder_dialog::kFolderDialogCaption));
}

// Confirms the remembered folder; the closing message's text, once OK is pressed.
std::wstring InstallIntoRememberedFolder(const RunningProgram& program, HWND dialog) {
    Click(BT2(dialog));
    const HWND box = program.WaitFor(IsMessageBox, 300s);
    if (!box) return L"(no closing message)";
    const std::wstring text = ReadMessageBox(box).text;
    PressOk(box);
    return text;
}

// The names that differ between two snapshots (some of them): the contents are too large to show.
std::string Differences(const Tree& found, const Tree& expected) {
    std::string names;
    int shown = 0;
    const auto add = [&](const std::wstring& name, std::string_view note) {
        if (shown++ < 10) names.append(" ").append(Show(name)).append(note);
    };
    for (const auto& [name, content] : found) {
        const auto match = expected.find(name);
        if (match == expected.end() || match->second != content) add(name, "");
    }
    for (const auto& [name, content] : expected) {
        if (!found.contains(name)) add(name, " (missing)");
    }
    return names;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

TEST(TwoPrefixes, OfTwoInstallsIntoOneGameFolderAtOnceOneCompletesTheOtherIsRefused) {
    const wchar_t* prepared = ::_wgetenv(L"TORVANEL_TWO_PREFIXES");
    const wchar_t* package = ::_wgetenv(L"TORVANEL_PACKAGE");
    ASSERT_TRUE(prepared && package) << "run through two_prefixes.sh";
    const std::wstring work = WindowsPath(prepared), me = package, other = me == L"a" ? L"b" : L"a";
    const auto in = [&work](const std::wstring& name) { return work + L"\\" + name; };
    const std::wstring game = in(L"game"), myPackage = in(L"package-" + me);
    Outcome outcome(in(L"outcome-" + me));
    const std::wstring done(app::DoneMessage(app::Operation::Install));

    // This package alone into a copy of the game: what the game folder becomes if this run wins.
    testing_support::WriteBytes(myPackage + L"\\PathDATA.txt", SavedPathBytes(in(L"result-" + me)));
    {
        RunningProgram program(ProgramPath(), myPackage);
        const HWND dialog = OpenInstallDialog(program);
        ASSERT_NE(dialog, nullptr);
        const auto started = std::chrono::steady_clock::now();
        const std::wstring text = InstallIntoRememberedFolder(program, dialog);
        ASSERT_EQ(text, done) << Show(text);
        std::printf("package %s alone: Install in %lld ms\n", Show(me).c_str(), MillisecondsSince(started));
        EXPECT_TRUE(program.Close());
    }

    // Both runs wait with the dialog open until the other is as far, then confirm.
    testing_support::WriteBytes(myPackage + L"\\PathDATA.txt", SavedPathBytes(game));
    RunningProgram program(ProgramPath(), myPackage);
    const HWND dialog = OpenInstallDialog(program);
    ASSERT_NE(dialog, nullptr);
    testing_support::WriteBytes(in(L"ready-" + me), "");
    ASSERT_TRUE(WaitUntil([&] { return FileExists(in(L"ready-" + other)) || FileExists(in(L"outcome-" + other)); }, 300s));
    ASSERT_FALSE(FileExists(in(L"outcome-" + other))) << "the other run ended before both were ready";
    const auto started = std::chrono::steady_clock::now();
    const std::wstring text = InstallIntoRememberedFolder(program, dialog);
    const std::string mine = text == done ? "completed" : text.starts_with(kBusy) ? "busy" : "other: " + Show(text);
    outcome.Tell(mine);
    std::printf("package %s into the shared game folder: %s in %lld ms\n", Show(me).c_str(), mine.c_str(),
                MillisecondsSince(started));
    EXPECT_TRUE(program.Close());

    // Once both have ended, each run checks what the two did.
    std::string theirs;
    ASSERT_TRUE(WaitUntil([&] { return !(theirs = Told(in(L"outcome-" + other))).empty(); }, 300s));
    EXPECT_TRUE((mine == "completed" && theirs == "busy") || (mine == "busy" && theirs == "completed"))
        << "this run: " << mine << "; the other: " << theirs;
    if (mine == "completed" || theirs == "completed") {
        const std::wstring winner = mine == "completed" ? me : other;
        const Tree found = Snapshot(game), expected = Snapshot(in(L"result-" + winner));
        EXPECT_TRUE(found == expected) << "the game folder is not what package " << Show(winner)
                                       << " alone makes of it:" << Differences(found, expected);
    }
    for (const std::wstring& folder : {game, in(L"package-a"), in(L"package-b")}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::wstring name = entry.path().filename().wstring();
            EXPECT_FALSE(name == platform::kLockFileName || name.starts_with(L"~tvwork-")) << Show(folder + L"\\" + name);
        }
    }
}

}  // namespace

}  // namespace e2e
