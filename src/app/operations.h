#pragma once
// The four operations of the main window as plain code: which folders and music
// flag each hands to the transfer, and the course every operation takes, driven
// through a small interface to the windows so tests can script it.
#include "folder_dialog/game_folder_choice.h"
#include "transfer/transfer_runner.h"

#include <string>
#include <string_view>

namespace app {

enum class Operation { Install, Backup, Restore, Default };

using transfer::TransferRequest;

struct MessageText;

// The folders and flag of an operation. Install reads from `currentFolder`, which
// the caller takes when the transfer starts; every operation reads the world file
// there. `gameOverlay` is where Windows keeps the game's own copies of the game
// folder's files ("" when nowhere): the overlay of whichever side is the game folder.
[[nodiscard]] TransferRequest TransferRequestFor(Operation operation, const std::wstring& gameFolder,
                                                 const std::wstring& currentFolder, const std::wstring& gameOverlay = {});

// The operation's message when its transfer has done everything.
[[nodiscard]] std::wstring_view DoneMessage(Operation operation) noexcept;

// What an operation needs from the windows.
class OperationUi {
public:
    virtual ~OperationUi() = default;
    // Shows the game-folder dialog modally; it sets GameFolder and SelectionConfirmed.
    virtual void ShowFolderDialog() = 0;
    virtual transfer::TransferReport RunTransfer(const TransferRequest& request) = 0;
    virtual void ShowMessage(const MessageText& message) = 0;
};

// Creates, where missing, the folders Backup, Backup\nationDATA, Backup\pastDATA
// and default in the game folder. A folder that exists is no failure, and a failure
// does not stop the others; the first one is returned.
platform::ErrorCode PrepareFolders(const std::wstring& gameFolder);

// True when the game folder's Default folder holds at least one ordinary file.
[[nodiscard]] bool HasDefaultData(const std::wstring& gameFolder);

// One operation from the dialog to the closing message.
void RunOperation(Operation operation, folder_dialog::GameFolderSelection& selection, OperationUi& ui);

}  // namespace app
