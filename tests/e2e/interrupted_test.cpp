// The program killed at random instants of an Install of a large package: each time,
// the next operation finds the game folder exactly as it was before the Install (or,
// killed after its last change, exactly as the Install leaves it) and says so.
#include "e2e/program_test.h"

#include <filesystem>
#include <random>

namespace e2e {

namespace {

namespace fs = std::filesystem;
using testing_support::ReadTree;

constexpr int kKills = 20;
// After the refusal that follows it, a recovery says nothing else changed.
constexpr std::wstring_view kUndone =
    L"\r\r前回の操作が途中で中断されていたため、その操作の前の状態に戻しました。それ以外は何も変更していません。";

using InterruptedTest = ProgramTest;

TEST_F(InterruptedTest, KilledInstallIsUndoneByTheNextOperation) {
    // The sample data set made by scripts/make_sample_data.py, named by ctest.
    const std::wstring sample = FromScript(L"TORVANEL_SAMPLE");
    ASSERT_FALSE(sample.empty()) << "TORVANEL_SAMPLE names no sample data set";
    const auto freshGame = [&] {  // the old data set, for the next Install
        testing_support::RemoveTree(game_.path());
        fs::copy(sample + L"\\game", game_.path(), fs::copy_options::recursive);
    };
    fs::copy(sample + L"\\package", package_.path(), fs::copy_options::recursive);
    testing_support::WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(game_.path()));
    freshGame();
    const Tree before = ReadTree(game_.path(), L"Backup");

    // One whole Install gives its duration and its result.
    ASSERT_NO_FATAL_FAILURE(Start());
    const auto started = std::chrono::steady_clock::now();
    const MessageBoxView done = RunWithRememberedFolder(app::kInstallBTId);
    const auto duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
    ASSERT_EQ(done.text, app::DoneMessage(app::Operation::Install)) << Show(done.text);
    Finish();
    const Tree after = ReadTree(game_.path(), L"Backup");
    ASSERT_TRUE(after != before);
    freshGame();

    std::mt19937 random(7);
    std::uniform_int_distribution<long long> instant(0, duration.count());
    int undone = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const long long killAfter = instant(random);
        SCOPED_TRACE(testing::Message() << "killed " << killAfter << " ms into an Install of " << duration.count() << " ms");
        ASSERT_NO_FATAL_FAILURE(Start());
        const HWND dialog = OpenDialog(app::kInstallBTId);
        ASSERT_NE(dialog, nullptr);
        Click(BT2(dialog));
        ::Sleep(static_cast<DWORD>(killAfter));
        ::TerminateProcess(program_->process(), 9);
        ASSERT_TRUE(program_->HasExited(5s));
        const LeftOver left = WorkFolderIn(game_.path());

        // Restore finds no backup and refuses, but first puts the game folder right.
        ASSERT_NO_FATAL_FAILURE(Start());
        const MessageBoxView message = RunWithRememberedFolder(app::kRestoreBTId);
        Finish();
        const bool toldUndone = message.text.ends_with(kUndone);
        EXPECT_TRUE(message.text.starts_with(L"バックアップが見つからないため")) << Show(message.text);
        const Tree now = ReadTree(game_.path(), L"Backup");
        if (now == after) {
            EXPECT_TRUE(!left.found || left.completed) << "a change cut off halfway was finished, not undone";
            EXPECT_FALSE(toldUndone);
            freshGame();
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
