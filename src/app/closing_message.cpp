#include "app/closing_message.h"

#include "platform/file_services.h"
#include "platform/path_names.h"

#include <algorithm>

namespace app {

namespace {

constexpr wchar_t kLineBreak[] = L"\r";

constexpr wchar_t kFailed[] = L"次のファイルをコピーまたは削除できなかったため、中止しました。何も変更していません。";
constexpr wchar_t kFailedChangesLeft[] =
    L"次のファイルをコピーまたは削除できなかったため、中止しました。\r"
    L"変更の一部をまだ元に戻せていません。次にこのツールで操作したときに、元の状態に戻します。";
constexpr wchar_t kSameFolder[] = L"コピー元とコピー先が同じフォルダのため、中止しました。何も変更していません。";
constexpr wchar_t kFilesInUse[] =
    L"Torvanelが起動中の可能性があるため、中止しました。何も変更していません。\r"
    L"Torvanelを終了してから、もう一度実行して下さい。";
constexpr wchar_t kDestinationMissing[] = L"コピー先のフォルダが見つからないため、中止しました。何も変更していません。";
constexpr wchar_t kNotWritable[] = L"Torvanelフォルダに書き込めないため、中止しました。何も変更していません。";
constexpr wchar_t kNotWritableHint[] =
    L"このツールを右クリックして「管理者として実行」するか、TorvanelフォルダをProgram Files以外の場所に移して下さい。";
constexpr wchar_t kNotEnoughSpace[] =
    L"コピー先のドライブの空き容量が足りないため、中止しました。何も変更していません。";
constexpr wchar_t kBusy[] =
    L"別の操作がこのフォルダのデータを処理中のため、中止しました。何も変更していません。\r"
    L"その操作が終わってから、もう一度実行して下さい。";
constexpr wchar_t kUnreadableRecord[] = L"前回の操作の記録を読めないため、中止しました。何も変更していません。";
constexpr wchar_t kUnreadableRecordHint[] =
    L"新しいバージョンのこのツールで実行するか、このフォルダの中身を確かめてから削除して下さい。";
constexpr wchar_t kOverlayInvolved[] = L"Windowsが別の場所に保存していたTorvanelのデータも、同じように処理しました。";
constexpr wchar_t kInterruptedRunUndone[] = L"前回の操作が途中で中断されていたため、その操作の前の状態に戻しました。";
constexpr wchar_t kInterruptedRunPartlyUndone[] =
    L"前回の操作が途中で中断されていたため、その操作の前の状態に戻しましたが、次のファイルは見つからず、元に戻せませんでした。";
// A refusal says this; after a recovery it says it of everything but the recovery.
constexpr std::wstring_view kNothingChanged = L"何も変更していません。";
constexpr wchar_t kNothingElseChanged[] = L"それ以外は何も変更していません。";
constexpr wchar_t kLinkInTheWay[] =
    L"次のフォルダまたはファイルがリンク（ジャンクションやシンボリックリンク）のため、中止しました。何も変更していません。";
constexpr wchar_t kLinkInTheWayHint[] = L"リンクを普通のフォルダまたはファイルに置き換えてから、もう一度実行して下さい。";
constexpr wchar_t kNameInTheWay[] = L"次の名前のファイルまたはフォルダがあるため、中止しました。何も変更していません。";
constexpr wchar_t kNameInTheWayHint[] = L"これを別の場所に移すか名前を変えてから、もう一度実行して下さい。";
constexpr wchar_t kCaseTwins[] = L"大文字と小文字だけが違う名前のファイルがあるため、中止しました。何も変更していません。";
constexpr wchar_t kCaseTwinsHint[] = L"どちらか一方を別の場所に移してから、もう一度実行して下さい。";
constexpr wchar_t kFileTooLarge[] = L"ファイルが大きすぎるため、読み込めません。";

// The system's words for an error, or ours where they say too little.
std::wstring ErrorSentence(platform::ErrorCode error) {
    if (error == ERROR_FILE_TOO_LARGE) return kFileTooLarge;
    return platform::ErrorText(error);
}

// A refusal's text, the paths it names, and what to do.
MessageText Naming(std::wstring text, const std::vector<std::wstring>& paths, const wchar_t* hint) {
    for (const std::wstring& path : paths) text += kLineBreak + path;
    return {text + kLineBreak + hint, MessageIcon::Exclamation};
}

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

MessageText FailuresMessage(const std::wstring& destination, const transfer::TransferReport& report) {
    std::wstring text = report.changesLeft ? kFailedChangesLeft : kFailed;
    const size_t shown = std::min(report.failures.size(), kFailuresShown);
    for (size_t i = 0; i < shown; ++i) {
        const transfer::ChangeFailure& failure = report.failures[i];
        // A failure of no one file is one of the destination folder itself.
        const std::wstring name = failure.name.empty() ? destination : failure.name;
        text += kLineBreak + name + L"：" + ErrorSentence(failure.error);
    }
    if (report.failures.size() > shown) {
        text += kLineBreak + (L"ほか " + std::to_wstring(report.failures.size() - shown) + L" 件");
    }
    return {std::move(text), MessageIcon::Exclamation};
}

MessageText OutcomeMessage(Operation operation, const TransferRequest& request,
                           const transfer::TransferReport& report) {
    using transfer::TransferOutcome;
    // The folders as the user knows them, without the trailing "\" the transfer needs.
    const std::wstring source = platform::WithoutTrailingSeparators(request.source);
    const std::wstring destination = platform::WithoutTrailingSeparators(request.destination);
    switch (report.outcome) {
    case TransferOutcome::Completed:
        return {std::wstring(DoneMessage(operation)), MessageIcon::None};
    case TransferOutcome::Failed:
        return FailuresMessage(destination, report);
    case TransferOutcome::SameFolder:
        return {kSameFolder + (kLineBreak + source), MessageIcon::Exclamation};
    case TransferOutcome::NoDataSet:
        return NoDataSetMessage(operation);
    case TransferOutcome::DestinationMissing:
        return {kDestinationMissing + (kLineBreak + destination), MessageIcon::Exclamation};
    case TransferOutcome::NotWritable:
        return {kNotWritable + (kLineBreak + destination) + kLineBreak + kNotWritableHint,
                MessageIcon::Exclamation};
    case TransferOutcome::NotEnoughSpace: {
        constexpr ULONGLONG kMegabyte = 1024 * 1024;
        const ULONGLONG megabytes = (report.bytesShort + kMegabyte - 1) / kMegabyte;
        return {kNotEnoughSpace + (kLineBreak + (L"あと " + std::to_wstring(megabytes) +
                                                 L" MB以上の空きを作ってから、もう一度実行して下さい。")),
                MessageIcon::Exclamation};
    }
    case TransferOutcome::FilesInUse: {
        std::wstring text = kFilesInUse;
        const size_t shown = std::min(report.filesInUse.size(), kFilesInUseShown);
        for (size_t i = 0; i < shown; ++i) text += kLineBreak + report.filesInUse[i];
        return {std::move(text), MessageIcon::Exclamation};
    }
    case TransferOutcome::Busy:
        return {kBusy, MessageIcon::Exclamation};
    case TransferOutcome::LinkInTheWay:
        return Naming(kLinkInTheWay, report.obstacles, kLinkInTheWayHint);
    case TransferOutcome::NameInTheWay:
        return Naming(kNameInTheWay, report.obstacles, kNameInTheWayHint);
    case TransferOutcome::CaseTwins:
        return Naming(kCaseTwins, report.obstacles, kCaseTwinsHint);
    case TransferOutcome::UnreadableRecord:
        return {kUnreadableRecord + (kLineBreak + report.unreadableWork) + kLineBreak + kUnreadableRecordHint,
                MessageIcon::Exclamation};
    }
    return {std::wstring(DoneMessage(operation)), MessageIcon::None};
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
    MessageText message = OutcomeMessage(operation, request, report);
    if (report.outcome == transfer::TransferOutcome::Completed && report.overlayInvolved)
        message.text += kLineBreak + (kLineBreak + std::wstring(kOverlayInvolved));
    if (!report.interruptedRunUndone) return message;
    // What the recovery did, after what this run did; a refusal changed nothing else.
    std::wstring recovered = report.notPutBack.empty() ? kInterruptedRunUndone : kInterruptedRunPartlyUndone;
    const size_t shown = std::min(report.notPutBack.size(), kFailuresShown);
    for (size_t i = 0; i < shown; ++i) recovered += kLineBreak + report.notPutBack[i];
    if (report.notPutBack.size() > shown)
        recovered += kLineBreak + (L"ほか " + std::to_wstring(report.notPutBack.size() - shown) + L" 件");
    if (const size_t said = message.text.find(kNothingChanged);
        report.outcome != transfer::TransferOutcome::Completed && said != std::wstring::npos) {
        message.text.erase(said, kNothingChanged.size());
        recovered += (shown > 0 ? kLineBreak : L"") + std::wstring(kNothingElseChanged);
    }
    message.text += kLineBreak + (kLineBreak + recovered);
    return message;
}

}  // namespace app
