// What the transfer refuses to do, and what it does when a copy or deletion fails:
// a refusal changes nothing, and a failure never costs the old file.
#include "transfer_fixture.h"

#include "platform/unique_handle.h"

#include <gtest/gtest.h>

namespace {

using namespace transfer_testing;
using namespace testing_support;
using transfer::TransferOutcome;

const Tree kDestination{{L"nationDATA\\n1.dat", "old"}, {L"pastDATA\\p1.dat", "old"}, {L"年表1.txt", "old"},
                        {L"Sison.dat", "old"},         {L"SWAIT.DAT", "old"},       {L"keep.txt", "K"}};
const Tree kSource{{L"nationDATA\\n1.dat", "N1"}, {L"SWAIT.DAT", "SW"}, {L"MAPDATA.dat", "MAP"}};

platform::UniqueFile HoldWithoutSharing(const std::wstring& path) {
    platform::UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) ADD_FAILURE() << "cannot hold " << Narrow(path);
    return file;
}

bool HasTemporaryFiles(const Tree& tree) {
    for (const auto& [name, content] : tree) {
        if (name.find(L".tmp") != std::wstring::npos) return true;
    }
    return false;
}

class RefusalTest : public TransferTest {
protected:
    void ExpectRefused(const std::wstring& source, const std::wstring& destination, TransferOutcome outcome,
                       const char* what) {
        const Tree before = ReadTree(root_.path());
        const transfer::TransferReport report = transfer::TransferDataSet(source, destination, L"on", &observer_);
        EXPECT_EQ(report.outcome, outcome) << what;
        EXPECT_EQ(ReadTree(root_.path()), before) << what;
        EXPECT_TRUE(observer_.started.empty()) << what;
        EXPECT_EQ(report.filesCopied + report.filesDeleted, 0u) << what;
    }
};

// The spellings one folder can have are compared by IsSameFolder, tested with the file services.
TEST_F(RefusalTest, SameFolderUnderAnotherSpelling) {
    WriteTree(D(), With(kDestination, kSource));
    for (const std::wstring& spelling : {D(), root_ / L"DST\\.\\d\\\\", root_ / L"dst\\D\\nationDATA\\.."}) {
        ExpectRefused(spelling, D(), TransferOutcome::SameFolder, Narrow(spelling).c_str());
    }
}

TEST_F(RefusalTest, NoDataSetInTheSource) {
    WriteTree(D(), kDestination);
    ExpectRefused(S(), D(), TransferOutcome::NoDataSet, "empty source");
    ExpectRefused(root_ / L"src\\missing\\", D(), TransferOutcome::NoDataSet, "missing source");

    // Only files the plan does not carry by name: sweeps alone are no data set.
    WriteTree(S(), {{L"a.wav", "W"}, {L"readme.txt", "R"}, {L"song.mp3", "M"}, {L"other\\MAPDATA.dat", "MAP"},
                    {L"nationDATA\\hidden.dat", "H"}, {L"pastDATA\\system.dat", "Y"}});
    SetAttributes(S() + L"nationDATA\\hidden.dat", FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(S() + L"pastDATA\\system.dat", FILE_ATTRIBUTE_SYSTEM);
    MakeFolders(S() + L"Sison.dat");  // a folder by a plan name is no file
    ExpectRefused(S(), D(), TransferOutcome::NoDataSet, "unrelated files");

    WriteBytes(S() + L"pastDATA\\p.dat", "P");  // one ordinary file in pastDATA is a data set
    EXPECT_EQ(Transfer().outcome, TransferOutcome::Completed);
}

TEST_F(RefusalTest, DestinationFilesHeldOpenByTheGame) {
    WriteTree(S(), kSource);
    WriteTree(D(), kDestination);
    const Tree before = ReadTree(root_.path());
    transfer::TransferReport report;
    {
        const platform::UniqueFile deleted = HoldWithoutSharing(D() + L"nationDATA\\n1.dat");
        const platform::UniqueFile replaced = HoldWithoutSharing(D() + L"SWAIT.DAT");
        const platform::UniqueFile emptied = HoldWithoutSharing(D() + L"Sison.dat");
        const platform::UniqueFile untouched = HoldWithoutSharing(D() + L"keep.txt");
        report = Transfer();
    }
    EXPECT_EQ(report.outcome, TransferOutcome::FilesInUse);
    EXPECT_EQ(report.filesInUse, (std::vector<std::wstring>{L"nationDATA\\n1.dat", L"SWAIT.DAT", L"Sison.dat"}));
    EXPECT_EQ(ReadTree(root_.path()), before);
    EXPECT_TRUE(observer_.started.empty());
}

TEST_F(RefusalTest, FailuresAreReportedAndNeverCostTheOldFile) {
    WriteTree(S(), With(kSource, {{L"BALANCE.DAT", "B"}}));
    WriteTree(D(), With(kDestination, {{L"nationDATA\\ro.dat", "old"}, {L"BALANCE.DAT", "old"}}));
    SetAttributes(D() + L"SWAIT.DAT", FILE_ATTRIBUTE_READONLY);           // its copy fails
    SetAttributes(D() + L"nationDATA\\ro.dat", FILE_ATTRIBUTE_READONLY);  // its deletion fails
    // A source the test holds cannot be read: the copy fails after the old file was found.
    const platform::UniqueFile unreadable = HoldWithoutSharing(S() + L"BALANCE.DAT");

    const transfer::TransferReport report = Transfer();

    EXPECT_EQ(report.outcome, TransferOutcome::Completed);
    ASSERT_EQ(report.failures.size(), 3u);  // names the source lacks are no failures
    EXPECT_EQ(report.failures[0].name, L"nationDATA\\ro.dat");
    EXPECT_EQ(report.failures[0].error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(report.failures[1].name, L"BALANCE.DAT");
    EXPECT_EQ(report.failures[1].error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(report.failures[2].name, L"SWAIT.DAT");
    EXPECT_EQ(report.failures[2].error, static_cast<DWORD>(ERROR_ACCESS_DENIED));

    const Tree after = ReadTree(D());
    EXPECT_FALSE(HasTemporaryFiles(after));
    EXPECT_EQ(after.at(L"SWAIT.DAT"), "old");
    EXPECT_EQ(after.at(L"BALANCE.DAT"), "old");
    EXPECT_EQ(after.at(L"nationDATA\\ro.dat"), "old");
    EXPECT_EQ(after.at(L"nationDATA\\n1.dat"), "N1");
    EXPECT_EQ(after.at(L"MAPDATA.dat"), "MAP");
    EXPECT_EQ(after.at(L"Sison.dat"), "");
}

}  // namespace
