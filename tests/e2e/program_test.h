#pragma once
// What every end-to-end test shares: the program's captions and button texts, game
// and package folders as a player has them, and the steps a player takes.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "e2e/automation.h"
#include "support/temp_folder.h"

namespace e2e {

inline constexpr std::wstring_view kMainCaption = L"Torvanelワールドデータ・シナリオデータ\u3000インストーラー";
inline constexpr std::wstring_view kDialogCaption = L"Torvanelフォルダ選択方法";
inline constexpr std::wstring_view kBusyCaption = L"保存中です。このままお待ち下さい。";

inline constexpr std::wstring_view kBackupButton = L"現在の状態のバックアップ";
inline constexpr std::wstring_view kInstallButton = L"ワールドデータ・シナリオデータのインストール";
inline constexpr std::wstring_view kRestoreButton = L"バックアップしていた状態に戻す";
inline constexpr std::wstring_view kDefaultButton = L"デフォルトに戻す";
inline constexpr std::wstring_view kBrowseButton = L"初めてTorvanelフォルダを選ぶ。あるいは、前回と違うフォルダを選ぶ。";

inline constexpr std::wstring_view kBackupDone = L"バックアップ終了しました。";
inline constexpr std::wstring_view kInstallDone = L"データ書き込み終了しました。";
inline constexpr std::wstring_view kRestoreDone = L"バックアップの状態に戻しました。";

// BT2's caption for a remembered folder.
[[nodiscard]] inline std::wstring SavedPathCaption(const std::wstring& folder) {
    return L"前回保存したパス名、\r" + folder + L"\rを選択する。";
}

// Relative path ("nationDATA\a.dat") -> content.
using FileSet = std::map<std::wstring, std::string>;

// A game folder with an older data set: the executable stand-in, data files of
// each kind the transfer carries, music, and a player's file no operation touches.
[[nodiscard]] FileSet InstalledGame();
// What a Backup of such a game carries: not the executables, the player's file or the music.
[[nodiscard]] FileSet BackedUpPart(FileSet game);
// A world/scenario data package.
[[nodiscard]] FileSet PackageData();
void WriteFiles(const std::wstring& folder, const FileSet& files);
// Every file under `folder` with its content, leaving out the subfolder `skipped`.
[[nodiscard]] FileSet Snapshot(const std::wstring& folder, std::wstring_view skipped = {});
// "PathDATA.txt" naming `gameFolder`, as the program writes it: code page 932, CR LF.
[[nodiscard]] std::string SavedPathBytes(const std::wstring& gameFolder);

// Message texts readable in failure output, CRs shown as "|".
[[nodiscard]] std::string Show(std::wstring_view text);

class ProgramTest : public testing::Test {
protected:
    // Writes InstalledGame() to the game folder, PackageData() to the package folder
    // and a "PathDATA.txt" naming the game folder.
    void PrepareGameAndPackage();
    // Starts the program in the package folder and waits for its main window.
    void Start();
    // Closes the main window; the program must end by itself.
    void Finish();

    // Clicks a main-window button and waits for the game-folder dialog.
    HWND OpenDialog(std::wstring_view button);
    // The message box now showing, waited for.
    MessageBoxView WaitForMessage();
    // True when no message box, dialog or busy window is left once the main window
    // has handled everything sent to it.
    bool OnlyMainWindowShows();
    // A whole operation through BT2: click, confirm the remembered folder, read the
    // closing message (and picture it, when named) and press OK.
    MessageBoxView RunWithRememberedFolder(std::wstring_view button, std::wstring_view screenshot = {});

    std::wstring Game(std::wstring_view relative) const { return game_ / relative; }

    testing_support::TempFolder package_;
    testing_support::TempFolder game_;
    std::unique_ptr<RunningProgram> program_;
    HWND main_ = nullptr;
};

// The dialog's controls in the order they were made: its label, BT1, BT2.
[[nodiscard]] inline HWND BT1(HWND dialog) { return ChildrenInOrder(dialog).at(1); }
[[nodiscard]] inline HWND BT2(HWND dialog) { return ChildrenInOrder(dialog).at(2); }

}  // namespace e2e
