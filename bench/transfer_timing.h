#pragma once
// Times whole Install transfers against the bare loop, alternating in one process,
// each run into a destination freshly prepared from the same older data set.
#include "bench_options.h"
#include "transfer/transfer_runner.h"

#include <windows.h>

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

// Installs the package over fresh copies of the older game, `runs` times each way.
[[nodiscard]] TransferFigures MeasureTransfer(const BenchOptions& options);

}  // namespace bench
