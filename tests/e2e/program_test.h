#pragma once
// What every end-to-end test shares: the program's window captions and button texts,
// a fresh package folder (the program's current folder) and game folder, and the
// steps a player takes through the windows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "e2e/automation.h"
#include "e2e/game_data.h"
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
inline constexpr std::wstring_view kDialogLabel = L"■Torvanelフォルダの選択方法を決めて下さい。";
inline constexpr std::wstring_view kNoSavedPathCaption = L"前回保存したパス名が残っていないため、このボタンは選択できません。";

inline constexpr std::wstring_view kBackupDone = L"バックアップ終了しました。";
inline constexpr std::wstring_view kInstallDone = L"データ書き込み終了しました。";
inline constexpr std::wstring_view kRestoreDone = L"バックアップの状態に戻しました。";
inline constexpr std::wstring_view kDefaultDone = L"デフォルトに戻すことに成功しました。";

// BT2's caption for a remembered folder.
[[nodiscard]] inline std::wstring SavedPathCaption(const std::wstring& folder) {
    return L"前回保存したパス名、\r" + folder + L"\rを選択する。";
}

class ProgramTest : public testing::Test {
protected:
    void SetUp() override;

    // Starts the program in the package folder and waits for its main window.
    void Start();
    // Closes the main window; the program must end by itself.
    void Finish();

    // Clicks a main-window button and waits for the game-folder dialog.
    HWND OpenDialog(std::wstring_view button);
    HWND DialogButton(HWND dialog, std::wstring_view text) const;
    // The dialog's BT2: its last button, whatever its caption.
    HWND RememberedFolderButton(HWND dialog) const;
    // The message box of the program now showing, waited for.
    MessageBoxView WaitForMessage();
    // True when no message box, dialog or busy window of the program is showing
    // once the main window has handled everything sent to it.
    bool OnlyMainWindowShows();
    // A whole operation through BT2: click, confirm the remembered folder, read
    // the closing message and press OK.
    MessageBoxView RunWithRememberedFolder(std::wstring_view button);

    std::wstring Game(std::wstring_view relative) const { return game_ / relative; }

    testing_support::TempFolder package_;
    testing_support::TempFolder game_;
    std::unique_ptr<RunningProgram> program_;
    HWND main_ = nullptr;
};

// Message texts in failure output.
[[nodiscard]] std::string Show(std::wstring_view text);

}  // namespace e2e
