#pragma once
// Source and destination trees on disk for transfer tests, compared file by file.
#include "support/temp_folder.h"
#include "transfer/transfer_runner.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace transfer_testing {

using testing_support::TempFolder;

// Relative path ("nationDATA\a.dat") -> content.
using Tree = std::map<std::wstring, std::string>;

void WriteTree(const std::wstring& folder, const Tree& tree);
// The files of a folder tree and their contents.
[[nodiscard]] Tree ReadTree(const std::wstring& folder);
// Everything that "exactly as it was" means: every file with its content and its
// read-only, hidden and system bits, and every folder ("sub\" -> "").
[[nodiscard]] Tree Snapshot(const std::wstring& folder);
// `tree` with the files of `more` added or replaced.
[[nodiscard]] Tree With(Tree tree, const Tree& more);

// Records what the transfer told its observer.
struct RecordingObserver : transfer::TransferObserver {
    void OnStarted(size_t filesPlanned) override { started.push_back(filesPlanned); }
    void OnProgress(size_t filesDone, size_t) override { lastProgress = filesDone; }
    void OnFinished() override { ++finished; }

    std::vector<size_t> started;
    size_t lastProgress = 0;
    int finished = 0;
};

// A fresh source folder S, destination folder D and the folder the world file is
// read from.
class TransferTest : public testing::Test {
protected:
    TransferTest();

    // Source and destination as the transfer takes them, ending in "\".
    [[nodiscard]] std::wstring S() const { return root_ / L"src\\S\\"; }
    [[nodiscard]] std::wstring D() const { return root_ / L"dst\\D\\"; }
    [[nodiscard]] std::wstring WorldFile() const { return root_ / L"current\\zeloworld.dat"; }

    transfer::TransferReport Transfer(std::wstring_view musicFlag = L"",
                                      platform::FileSystem& fileSystem = platform::SystemFileSystem());
    transfer::TransferReport TransferFrom(const std::wstring& source);

    TempFolder root_;
    RecordingObserver observer_;
};

}  // namespace transfer_testing
