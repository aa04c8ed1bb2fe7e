#pragma once
// Source and destination trees on disk for transfer tests, compared file by file.
#include "support/temp_folder.h"
#include "transfer/transfer_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace transfer_testing {

using namespace testing_support;

// Every blank-copy file exists afterwards, empty when the source has none.
inline const Tree kBlankFiles{{L"Sison.dat", ""},    {L"taizin_log.txt", ""}, {L"syo_list.dat", ""},
                              {L"TaizinNow.dat", ""}, {L"yazirusi.dat", ""}};

// A journal as the program writes it (UTF-16LE), from its lines.
inline std::string JournalText(std::wstring_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
}

// Records what the transfer told its observer.
struct RecordingObserver : transfer::TransferObserver {
    void OnStarted(size_t filesPlanned) override { started.push_back(filesPlanned); }
    void OnProgress(size_t filesDone, size_t) override { lastProgress = filesDone; }
    void OnFinished() override { ++finished; }
    void OnResult(const transfer::TransferReport&) override {
        ++results;
        if (onResult) onResult();
    }

    std::vector<size_t> started;
    size_t lastProgress = 0;
    int finished = 0;
    int results = 0;
    std::function<void()> onResult;
};

// A fresh source folder S, destination folder D and the folder the world file is
// read from.
class TransferTest : public testing::Test {
protected:
    TransferTest() {
        for (const wchar_t* folder : {L"src\\S", L"dst\\D", L"current"}) MakeFolders(root_ / folder);
    }

    // Source and destination as the transfer takes them, ending in "\".
    [[nodiscard]] std::wstring S() const { return root_ / L"src\\S\\"; }
    [[nodiscard]] std::wstring D() const { return root_ / L"dst\\D\\"; }
    [[nodiscard]] std::wstring WorldFile() const { return root_ / L"current\\zeloworld.dat"; }

    transfer::TransferReport Transfer(std::wstring_view musicFlag = L"",
                                      platform::FileSystem& fileSystem = platform::SystemFileSystem()) {
        return transfer::TransferDataSet({S(), D(), std::wstring(musicFlag), WorldFile()}, &observer_, fileSystem);
    }
    transfer::TransferReport TransferFrom(const std::wstring& source) {
        return transfer::TransferDataSet({source, D(), L"", WorldFile()}, &observer_);
    }

    TempFolder root_;
    RecordingObserver observer_;
};

}  // namespace transfer_testing
