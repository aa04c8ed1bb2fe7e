#pragma once
// What the game-folder dialog decides, apart from its window: how BT2 looks after
// the saved folder is read, what a click on BT1 (browse) or BT2 (the saved folder)
// does, and the test for the game's executable that both clicks make.
#include "folder_dialog/folder_browser.h"
#include "folder_dialog/saved_path_file.h"

#include <optional>
#include <string>

namespace folder_dialog {

// The two values the operations share with the dialog. The main window owns them
// and hands them to the dialog.
struct GameFolderSelection {
    std::wstring GameFolder;  // as the browser gave it: no trailing "\" except at a drive root
    bool SelectionConfirmed = false;
};

inline constexpr wchar_t kExeNotFoundMessage[] = L"exeが見つかりません。Torvanelフォルダで無い可能性があります。";
inline constexpr wchar_t kNoSavedFolderCaption[] = L"前回保存したパス名が残っていないため、このボタンは選択できません。";

struct SecondButtonState {
    bool enabled = false;
    std::wstring caption;
};

enum class ChoiceOutcome {
    Confirmed,       // GameFolder set and confirmed: the dialog closes
    NotAGameFolder,  // no game executable there: the exclamation message, the dialog stays
    StaysOpen,       // no folder to confirm (none picked, none saved): nothing happens
};

// BT2's caption for a saved folder: three lines separated by CR alone.
[[nodiscard]] std::wstring SavedFolderCaption(const std::wstring& folder);

// True when "TorvaGame.exe" or "!Torvanel.exe" can be opened for reading in the
// folder. An empty folder means the root of the current drive.
[[nodiscard]] bool CheckGameFolder(const std::wstring& folder);

class GameFolderChoice {
public:
    explicit GameFolderChoice(GameFolderSelection& selection, SavedPathFile savedPath = SavedPathFile())
        : selection_(selection), savedPath_(std::move(savedPath)) {}

    // Each time the dialog is shown: the saved folder becomes GameFolder (which is
    // left as it was when none is found), and BT2 shows it or is disabled.
    [[nodiscard]] SecondButtonState Load();

    // BT1: browse, check the folder picked now or, when cancelled, the one picked
    // before in this run; confirm and remember it.
    [[nodiscard]] ChoiceOutcome ChooseFolder(FolderBrowser& browser);

    // BT2: confirms the folder read at load when it is still a game folder. The
    // saved path may be stale or come from someone else's machine with a package.
    [[nodiscard]] ChoiceOutcome ConfirmSavedFolder();

private:
    GameFolderSelection& selection_;
    SavedPathFile savedPath_;
    // The folder last picked in the browser; kept for the whole run.
    std::wstring candidateFolder_;
    std::optional<std::wstring> savedFolder_;
};

}  // namespace folder_dialog
