#include "app/closing_message.h"

#include "platform/file_services.h"

#include <algorithm>

namespace app {

namespace {

constexpr wchar_t kLineBreak[] = L"\r";

constexpr wchar_t kFailuresHeading[] = L"ただし、次のファイルはコピーまたは削除できませんでした。";
constexpr wchar_t kSameFolder[] = L"コピー元とコピー先が同じフォルダのため、中止しました。何も変更していません。";
constexpr wchar_t kFilesInUse[] =
    L"Torvanelが起動中の可能性があるため、中止しました。何も変更していません。\r"
    L"Torvanelを終了してから、もう一度実行して下さい。";

MessageText NoDataSetMessage(Operation operation) {
    switch (operation) {
    case Operation::Install:
        return {L"このフォルダにはインストールするデータが見つからないため、中止しました。何も変更していません。\r"
                L"ワールドデータ・シナリオデータのフォルダからこのツールを起動して下さい。",
                MessageIcon::Exclamation};
    case Operation::Backup:
        return {L"Torvanelフォルダにバックアップするデータが見つからないため、中止しました。何も変更していません。",
                MessageIcon::Exclamation};
    case Operation::Restore:
        return {L"バックアップが見つからないため、中止しました。何も変更していません。\r"
                L"先に「現在の状態のバックアップ」を実行して下さい。",
                MessageIcon::Exclamation};
    case Operation::Default:
        break;
    }
    return NoDefaultDataMessage();
}

// A folder as the user knows it: without the trailing "\" the transfer needs,
// except at a drive root.
std::wstring FolderForDisplay(std::wstring folder) {
    while (folder.size() > 1 && folder.back() == L'\\') folder.pop_back();
    if (!folder.empty() && folder.back() == L':') folder += L'\\';
    return folder;
}

MessageText FailuresMessage(Operation operation, const std::vector<transfer::FileProblem>& failures) {
    std::wstring text(DoneMessage(operation));
    text += kLineBreak;
    text += kLineBreak;
    text += kFailuresHeading;
    const size_t shown = std::min(failures.size(), kFailuresShown);
    for (size_t i = 0; i < shown; ++i) {
        text += kLineBreak + failures[i].name + L"：" + platform::ErrorText(failures[i].error);
    }
    if (failures.size() > shown) {
        text += kLineBreak + (L"ほか " + std::to_wstring(failures.size() - shown) + L" 件");
    }
    return {std::move(text), MessageIcon::Warning};
}

}  // namespace

MessageText NoDefaultDataMessage() {
    return {L"このTorvanelのバージョンにはデフォルトデータが入っていない可能性があります。\r"
            L"Torvanelを最新バージョンに更新して下さい。\r"
            L"なお、その場合、差分では無く、必ずファイル全部を更新して下さい。",
            MessageIcon::None};
}

MessageText ClosingMessage(Operation operation, const TransferRequest& request,
                           const transfer::TransferReport& report) {
    switch (report.outcome) {
    case transfer::TransferOutcome::Completed:
        if (report.failures.empty()) return {std::wstring(DoneMessage(operation)), MessageIcon::None};
        return FailuresMessage(operation, report.failures);
    case transfer::TransferOutcome::SameFolder:
        return {kSameFolder + (kLineBreak + FolderForDisplay(request.source)), MessageIcon::Exclamation};
    case transfer::TransferOutcome::NoDataSet:
        return NoDataSetMessage(operation);
    case transfer::TransferOutcome::FilesInUse: {
        std::wstring text = kFilesInUse;
        const size_t shown = std::min(report.filesInUse.size(), kFilesInUseShown);
        for (size_t i = 0; i < shown; ++i) text += kLineBreak + report.filesInUse[i];
        return {std::move(text), MessageIcon::Exclamation};
    }
    }
    return {std::wstring(DoneMessage(operation)), MessageIcon::None};
}

}  // namespace app
