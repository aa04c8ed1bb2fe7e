// The program killed at random instants of an Install of a large package: each time,
// the next operation finds the game folder exactly as it was before the Install (or,
// killed after its last change, exactly as the Install leaves it) and says so.
#include "e2e/program_test.h"

#include <filesystem>
#include <functional>
#include <map>
#include <random>

namespace e2e {

namespace {

constexpr int kKills = 20;
constexpr std::wstring_view kUndone = L"\r\r前回の操作が途中で中断されていたため、その操作の前の状態に戻しました。";

// Every file under `folder` but those in Backup: its size and a hash of its content.
using Fingerprints = std::map<std::wstring, std::pair<size_t, size_t>>;

Fingerprints FingerprintsOf(const std::wstring& folder) {
    Fingerprints prints;
    for (const auto& [name, content] : testing_support::ReadTree(folder, L"Backup"))
        prints[name] = {content.size(), std::hash<std::string>{}(content)};
    return prints;
}

void CopyFolder(const std::wstring& from, const std::wstring& to) {
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive |
                                        std::filesystem::copy_options::overwrite_existing);
}

// The interrupted run's work folder, if it left one.
struct LeftOver {
    bool found = false, staged = false, completed = false;
};

LeftOver WorkFolderIn(const std::wstring& folder) {
    LeftOver left;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_directory() || !entry.path().filename().wstring().starts_with(L"~tvwork-")) continue;
        left.found = true;
        for (const auto& file : std::filesystem::recursive_directory_iterator(entry.path()))
            left.staged = left.staged || file.is_regular_file();
        // Made once every change is done; its journal is set aside when the clean-up begins.
        left.completed = std::filesystem::exists(entry.path() / L"done") ||
                         std::filesystem::exists(entry.path() / L"discarded");
    }
    return left;
}

class InterruptedTest : public ProgramTest {
protected:
    // An Install through BT2 in a program started in the package folder, killed
    // `killAfter` after the confirmation.
    void KilledInstall(std::chrono::milliseconds killAfter) {
        ASSERT_NO_FATAL_FAILURE(Start());
        HWND dialog = OpenDialog(app::kInstallBTId);
        ASSERT_NE(dialog, nullptr);
        Click(BT2(dialog));
        ::Sleep(static_cast<DWORD>(killAfter.count()));
        ::TerminateProcess(program_->process(), 9);
        ASSERT_TRUE(program_->HasExited(5s));
        program_.reset();
    }
};

TEST_F(InterruptedTest, KilledInstallIsUndoneByTheNextOperation) {
    // The sample data set made by scripts/make_sample_data.py, named by ctest.
    const wchar_t* named = ::_wgetenv(L"TORVANEL_SAMPLE");
    ASSERT_NE(named, nullptr) << "TORVANEL_SAMPLE names no sample data set";
    const std::wstring sample = WindowsPath(named);
    CopyFolder(sample + L"\\package", package_.path());
    CopyFolder(sample + L"\\game", game_.path());
    testing_support::WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(game_.path()));
    const Fingerprints before = FingerprintsOf(game_.path());

    // One whole Install, in a copy of the game, gives its duration and its result.
    const testing_support::TempFolder other;
    CopyFolder(sample + L"\\game", other.path());
    testing_support::WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(other.path()));
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto started = std::chrono::steady_clock::now();
    const MessageBoxView done = RunWithRememberedFolder(app::kInstallBTId);
    const auto duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(done.text, app::DoneMessage(app::Operation::Install)) << Show(done.text);
    Finish();
    const Fingerprints after = FingerprintsOf(other.path());
    ASSERT_TRUE(after != before);
    testing_support::WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(game_.path()));

    std::mt19937 random(7);
    std::uniform_int_distribution<long long> instant(0, duration.count());
    int undone = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const std::chrono::milliseconds killAfter(instant(random));
        SCOPED_TRACE(testing::Message() << "killed " << killAfter.count() << " ms into an Install of "
                                        << duration.count() << " ms");
        ASSERT_NO_FATAL_FAILURE(KilledInstall(killAfter));
        const LeftOver left = WorkFolderIn(game_.path());

        // Restore finds no backup and refuses, but first puts the game folder right.
        ASSERT_NO_FATAL_FAILURE(Start());
        const MessageBoxView message = RunWithRememberedFolder(app::kRestoreBTId);
        Finish();
        const bool toldUndone = message.text.ends_with(kUndone);
        EXPECT_TRUE(message.text.starts_with(L"バックアップが見つからないため")) << Show(message.text);
        const Fingerprints now = FingerprintsOf(game_.path());
        if (now == after) {
            EXPECT_TRUE(!left.found || left.completed) << "a change cut off halfway was finished, not undone";
            EXPECT_FALSE(toldUndone);
            CopyFolder(sample + L"\\game", game_.path());  // the old data set again, for the next kill
            for (const auto& [name, print] : after) {
                if (!before.contains(name)) ::DeleteFileW(Game(name).c_str());
            }
            ASSERT_TRUE(FingerprintsOf(game_.path()) == before);
        } else {
            EXPECT_TRUE(now == before) << "a killed Install was not undone";
            EXPECT_EQ(toldUndone, left.staged && !left.completed) << Show(message.text);
        }
        EXPECT_FALSE(WorkFolderIn(game_.path()).found);
        undone += toldUndone ? 1 : 0;
    }
    EXPECT_GT(undone, kKills / 2);
}

}  // namespace

}  // namespace e2e
