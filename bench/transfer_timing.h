#pragma once
// Times whole transfers (an Install, or Backup, Restore or Default) against the bare loop, alternating in one process,
// each run into a destination freshly prepared from the same older data set.
#include "app/operations.h"
#include "bench_options.h"
#include "transfer/transfer_runner.h"

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

struct TransferFigures {
    size_t files = 0;     // files the transfer carried (each once)
    ULONGLONG bytes = 0;  // their size
    size_t transferFailures = 0;
    size_t bareFailures = 0;
    bool sameResult = false;  // both left the same names and sizes in the destination
    std::vector<double> transferMs;
    std::vector<double> bareMs;
    std::vector<double> unflushedMs;  // the transfer without flushing its new files
    std::vector<transfer::PhaseTimes> phases;  // of each timed (flushed) transfer
};

// What MeasureTransfer installs, and how.
struct TransferSample {
    std::wstring package;  // the data set to install
    std::wstring game;     // the older game folder it goes over
    int runs = 1;          // timed runs of each kind
    // A warm-up run of each kind first, and the transfer without flushing as a third
    // kind; left out with many files, where one run takes minutes.
    bool full = true;
    // What is timed: an Install of the package, or another operation on the game folder.
    app::Operation operation = app::Operation::Install;
};

// Runs the operation on fresh copies of the older game, `runs` times each way.
// A transfer is timed until the closing message could be shown (OnResult), or until
// it returns if it does not say.
[[nodiscard]] TransferFigures MeasureTransfer(const BenchOptions& options, const TransferSample& sample);

}  // namespace bench
