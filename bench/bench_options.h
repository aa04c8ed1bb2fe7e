#pragma once
// The benchmark's command line (read in bench_main.cpp).
#include <string>

namespace bench {

struct BenchOptions {
    std::wstring package;       // ~650 files / ~90 MB package (the timed transfers)
    std::wstring game;          // its older game folder
    std::wstring largePackage;  // ~500 MB package (the busy window's replies)
    std::wstring largeGame;     // its older game folder
    std::wstring manyPackage;   // 10,000 files in each data folder; "" leaves that section out
    std::wstring manyGame;      // its older game folder
    std::wstring work;          // scratch folder
    std::wstring program;       // TorvanelInstaller.exe
    std::wstring bareWindow;    // bare_window.exe
    int runs = 9;               // timed transfers of each kind
    int startupRuns = 15;       // starts of each program
    int sessions = 1;           // Installs through the program
    int settleMs = 500;         // pause after preparing a destination
    int manyRuns = 1;           // timed transfers of each kind with many files
    int checkRuns = 5;          // timed package checks
    int checkOnly = 0;          // 1: only the package check (needs only --work)
    // Whether prepared destinations are written through to the disk before a run.
    // Off: both kinds of run then work in the page cache only, and the disk's own
    // activity (write-back, discards of freed blocks) stays out of the timings.
    int flush = 0;
};


}  // namespace bench
