#pragma once
// Times whole Install transfers against the bare loop, alternating in one process,
// each run into a destination freshly prepared from the same older data set.
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

struct TransferTimingSetup {
    std::wstring package;    // the Install source; also made the current folder (world file)
    std::wstring olderGame;  // the older game folder, copied into place before every run
    std::wstring work;       // scratch folder for the destination
    int runs = 5;
    bool flush = false;    // prepared files written through to the disk
    DWORD settleMs = 500;  // pause after preparing, before every timed run of either kind
};

struct TransferFigures {
    size_t files = 0;     // files the transfer carried (each once)
    ULONGLONG bytes = 0;  // their size
    size_t transferFailures = 0;
    size_t bareFailures = 0;
    bool sameResult = false;  // both left the same names and sizes in the destination
    std::vector<double> transferMs;
    std::vector<double> bareMs;
    std::vector<double> unflushedMs;  // the transfer without flushing its new files
};

[[nodiscard]] TransferFigures MeasureTransfer(const TransferTimingSetup& setup);

}  // namespace bench
