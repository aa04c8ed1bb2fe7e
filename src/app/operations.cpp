#include "app/operations.h"

#include "app/closing_message.h"
#include "platform/file_services.h"
#include "platform/path_names.h"
#include "platform/virtual_store.h"
#include "transfer/transfer_plan.h"

namespace app {

namespace {

enum class Base { CurrentFolder, GameFolder };

struct FolderRule {
    Base base;
    std::wstring_view tail;  // in the base folder ("" for the base itself)
};

struct OperationRow {
    Operation operation;
    FolderRule source;
    FolderRule destination;
    std::wstring_view musicFlag;
    std::wstring_view doneMessage;
    bool sourceWritten;  // the source is the game folder or its Backup, not a package or Default
};

constexpr OperationRow kOperations[] = {
    {Operation::Install, {Base::CurrentFolder, L""}, {Base::GameFolder, L""}, L"on", L"データ書き込み終了しました。", false},
    {Operation::Backup, {Base::GameFolder, L""}, {Base::GameFolder, L"Backup\\"}, L"", L"バックアップ終了しました。", true},
    {Operation::Restore, {Base::GameFolder, L"Backup\\"}, {Base::GameFolder, L""}, L"",
     L"バックアップの状態に戻しました。", true},
    {Operation::Default, {Base::GameFolder, L"Default\\"}, {Base::GameFolder, L""}, L"",
     L"デフォルトに戻すことに成功しました。", false},
};

const OperationRow& RowOf(Operation operation) noexcept {
    for (const OperationRow& row : kOperations) {
        if (row.operation == operation) return row;
    }
    return kOperations[0];
}

std::wstring Resolve(const FolderRule& rule, const std::wstring& gameFolder, const std::wstring& currentFolder) {
    return platform::InFolder(rule.base == Base::CurrentFolder ? currentFolder : gameFolder, rule.tail);
}

// The game reads its own copies only of the game folder's files, not of Backup's or Default's.
std::wstring OverlayOf(const FolderRule& rule, const std::wstring& gameOverlay) {
    return rule.base == Base::GameFolder && rule.tail.empty() && !gameOverlay.empty() ? platform::AsFolder(gameOverlay)
                                                                                        : std::wstring();
}

// Where Windows keeps the game's own copies of the game folder's files, if anywhere.
std::wstring GameOverlay(const std::wstring& gameFolder) {
    return platform::ExistingVirtualStoreFolder(gameFolder, platform::SystemVirtualStoreRoots()).value_or(std::wstring());
}

}  // namespace

TransferRequest TransferRequestFor(Operation operation, const std::wstring& gameFolder,
                                   const std::wstring& currentFolder, const std::wstring& gameOverlay) {
    const OperationRow& row = RowOf(operation);
    std::wstring worldFile = platform::InFolder(currentFolder, transfer::kWorldFileName);
    return TransferRequest{Resolve(row.source, gameFolder, currentFolder),
                           Resolve(row.destination, gameFolder, currentFolder), std::wstring(row.musicFlag),
                           std::move(worldFile), row.sourceWritten, OverlayOf(row.source, gameOverlay),
                           OverlayOf(row.destination, gameOverlay)};
}

std::wstring_view DoneMessage(Operation operation) noexcept { return RowOf(operation).doneMessage; }

platform::ErrorCode PrepareFolders(const std::wstring& gameFolder) {
    platform::ErrorCode first = ERROR_SUCCESS;
    const DWORD backup = platform::FileAttributes(platform::InFolder(gameFolder, L"Backup"));
    const bool backupLinked = backup != INVALID_FILE_ATTRIBUTES && (backup & FILE_ATTRIBUTE_REPARSE_POINT);
    for (const wchar_t* name : {L"Backup", L"Backup\\nationDATA", L"Backup\\pastDATA", L"default"}) {
        // Nothing is made where a link leads: the transfer refuses that Backup.
        if (backupLinked && std::wstring_view(name).starts_with(L"Backup\\")) continue;
        // Typically the folder exists already; whatever the failure, the next one is made.
        const platform::ErrorCode error = platform::MakeFolder(platform::InFolder(gameFolder, name));
        if (first == ERROR_SUCCESS && error != ERROR_ALREADY_EXISTS) first = error;
    }
    return first;
}

bool HasDefaultData(const std::wstring& gameFolder) {
    const platform::FileList listing = platform::ListFiles(platform::InFolder(gameFolder, L"Default\\*.*"));
    return listing.error == ERROR_SUCCESS && !listing.names.empty();
}

void RunOperation(Operation operation, folder_dialog::GameFolderSelection& selection, OperationUi& ui) {
    selection.SelectionConfirmed = false;
    ui.ShowFolderDialog();
    if (!selection.SelectionConfirmed) return;

    // A game folder the player reached through a link of their own is worked on where
    // it is; every link below it is refused. Windows keeps the game's own copies by the
    // path the game runs from.
    const std::wstring gameFolder = platform::ResolvedFolder(selection.GameFolder);
    const TransferRequest request =
        TransferRequestFor(operation, gameFolder, platform::CurrentFolder(), GameOverlay(selection.GameFolder));
    if (PrepareFolders(gameFolder) == ERROR_ACCESS_DENIED) {
        // The game folder cannot be written (under Program Files without elevation, say).
        transfer::TransferReport refused;
        refused.outcome = transfer::TransferOutcome::NotWritable;
        ui.ShowMessage(ClosingMessage(operation, TransferRequest{L"", platform::AsFolder(gameFolder), L"", L""}, refused));
        return;
    }
    if (operation == Operation::Default && !HasDefaultData(gameFolder)) {
        ui.ShowMessage(NoDefaultDataMessage());
        return;
    }
    const transfer::TransferReport report = ui.RunTransfer(request);
    ui.ShowMessage(ClosingMessage(operation, request, report));
}

}  // namespace app
