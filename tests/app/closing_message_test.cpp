#include "app/closing_message.h"

#include "platform/file_services.h"

#include <gtest/gtest.h>

namespace {

using app::ClosingMessage;
using app::MessageIcon;
using app::Operation;
using transfer::TransferOutcome;
using transfer::TransferReport;

const app::TransferRequest kRequest{L"D:\\Package\\", L"C:\\Games\\Torvanel\\", L"on"};

TEST(ClosingMessage, WithoutFailuresIsExactlyTheOperationsMessage) {
    const std::pair<Operation, std::wstring> cases[] = {
        {Operation::Install, L"データ書き込み終了しました。"},
        {Operation::Backup, L"バックアップ終了しました。"},
        {Operation::Restore, L"バックアップの状態に戻しました。"},
        {Operation::Default, L"デフォルトに戻すことに成功しました。"},
    };
    for (const auto& [operation, text] : cases) {
        const app::MessageText message = ClosingMessage(operation, kRequest, TransferReport{});
        EXPECT_EQ(message.text, text);
        EXPECT_EQ(message.icon, MessageIcon::None);
    }
}

TransferReport ReportWithFailures(size_t count) {
    TransferReport report;
    for (size_t i = 0; i < count; ++i) {
        report.failures.push_back({L"nationDATA\\n" + std::to_wstring(i) + L".dat",
                                   static_cast<platform::ErrorCode>(i % 2 == 0 ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION)});
    }
    return report;
}

std::wstring FailureLine(const transfer::FileProblem& problem) {
    return L"\r" + problem.name + L"：" + platform::ErrorText(problem.error);
}

TEST(ClosingMessage, NamesEachFailedFileWithTheSystemsErrorText) {
    const TransferReport report = ReportWithFailures(3);
    const app::MessageText message = ClosingMessage(Operation::Backup, kRequest, report);

    std::wstring expected = L"バックアップ終了しました。\r\rただし、次のファイルはコピーまたは削除できませんでした。";
    for (const transfer::FileProblem& problem : report.failures) expected += FailureLine(problem);
    EXPECT_EQ(message.text, expected);
    EXPECT_EQ(message.icon, MessageIcon::Warning);
    EXPECT_NE(platform::ErrorText(ERROR_ACCESS_DENIED), L"");
}

TEST(ClosingMessage, NamesTenFailuresAndCountsTheRest) {
    for (const size_t count : {size_t{10}, size_t{11}, size_t{12}}) {
        SCOPED_TRACE(count);
        const TransferReport report = ReportWithFailures(count);
        const app::MessageText message = ClosingMessage(Operation::Install, kRequest, report);

        std::wstring expected = L"データ書き込み終了しました。\r\rただし、次のファイルはコピーまたは削除できませんでした。";
        for (size_t i = 0; i < 10; ++i) expected += FailureLine(report.failures[i]);
        if (count > 10) expected += L"\rほか " + std::to_wstring(count - 10) + L" 件";
        EXPECT_EQ(message.text, expected);
        EXPECT_EQ(message.icon, MessageIcon::Warning);
    }
}

TEST(ClosingMessage, NoDataSetRefusalIsExplainedPerOperation) {
    TransferReport report;
    report.outcome = TransferOutcome::NoDataSet;
    const struct {
        Operation operation;
        std::wstring text;
        MessageIcon icon;
    } cases[] = {
        {Operation::Install,
         L"このフォルダにはインストールするデータが見つからないため、中止しました。何も変更していません。\r"
         L"ワールドデータ・シナリオデータのフォルダからこのツールを起動して下さい。",
         MessageIcon::Exclamation},
        {Operation::Backup,
         L"Torvanelフォルダにバックアップするデータが見つからないため、中止しました。何も変更していません。",
         MessageIcon::Exclamation},
        {Operation::Restore,
         L"バックアップが見つからないため、中止しました。何も変更していません。\r"
         L"先に「現在の状態のバックアップ」を実行して下さい。",
         MessageIcon::Exclamation},
        {Operation::Default,
         L"このTorvanelのバージョンにはデフォルトデータが入っていない可能性があります。\r"
         L"Torvanelを最新バージョンに更新して下さい。\r"
         L"なお、その場合、差分では無く、必ずファイル全部を更新して下さい。",
         MessageIcon::None},
    };
    for (const auto& c : cases) {
        const app::MessageText message = ClosingMessage(c.operation, kRequest, report);
        EXPECT_EQ(message.text, c.text);
        EXPECT_EQ(message.icon, c.icon);
    }
    EXPECT_EQ(app::NoDefaultDataMessage().text, cases[3].text);
}

TEST(ClosingMessage, SameFolderRefusalNamesTheFolder) {
    TransferReport report;
    report.outcome = TransferOutcome::SameFolder;
    const std::pair<std::wstring, std::wstring> folders[] = {
        {L"C:\\Games\\Torvanel\\", L"C:\\Games\\Torvanel"},
        {L"C:\\\\", L"C:\\"},  // Install started at a drive root
    };
    for (const auto& [source, shown] : folders) {
        const app::MessageText message = ClosingMessage(Operation::Install, {source, source, L"on"}, report);
        EXPECT_EQ(message.text, L"コピー元とコピー先が同じフォルダのため、中止しました。何も変更していません。\r" + shown);
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    }
}

TEST(ClosingMessage, FilesInUseRefusalNamesAtMostFiveFiles) {
    TransferReport report;
    report.outcome = TransferOutcome::FilesInUse;
    const std::wstring heading =
        L"Torvanelが起動中の可能性があるため、中止しました。何も変更していません。\r"
        L"Torvanelを終了してから、もう一度実行して下さい。";

    report.filesInUse = {L"MAINDATA.DAT", L"nationDATA\\a.dat"};
    app::MessageText message = ClosingMessage(Operation::Restore, kRequest, report);
    EXPECT_EQ(message.text, heading + L"\rMAINDATA.DAT\rnationDATA\\a.dat");
    EXPECT_EQ(message.icon, MessageIcon::Exclamation);

    report.filesInUse = {L"1.dat", L"2.dat", L"3.dat", L"4.dat", L"5.dat", L"6.dat", L"7.dat"};
    message = ClosingMessage(Operation::Restore, kRequest, report);
    EXPECT_EQ(message.text, heading + L"\r1.dat\r2.dat\r3.dat\r4.dat\r5.dat");
}

}  // namespace
