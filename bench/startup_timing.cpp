#include "startup_timing.h"

#include "app/main_window.h"
#include "folder_tree.h"
#include "program_driver.h"
#include "stopwatch.h"

#include <cstdio>
#include <stdexcept>

namespace bench {

namespace {

using namespace std::chrono_literals;

double TimeStart(const std::wstring& exe, std::wstring_view caption, const std::wstring& currentFolder,
                 SIZE_T* workingSet = nullptr) {
    const Stopwatch watch;
    driver::RunningProgram program(exe, currentFolder);
    if (!program.WaitFor(driver::Captioned(caption), 30s, 1ms))
        throw std::runtime_error("no visible main window after 30 s: " + Utf8(exe));
    const double ms = watch.ElapsedMs();
    if (workingSet) {
        PumpingSleep(300);  // let it finish painting
        *workingSet = program.PeakWorkingSet();
    }
    program.Close();
    return ms;
}

}  // namespace

StartupFigures MeasureStartup(const std::wstring& program, const std::wstring& bareWindow,
                              const std::wstring& currentFolder, int runs) {
    StartupFigures figures;
    // One start of each first: loads their files into the cache.
    const double firstProgram = TimeStart(program, app::kProgramTitle, currentFolder);
    const double firstBare = TimeStart(bareWindow, kBareWindowCaption, currentFolder, &figures.bareWorkingSet);
    std::printf("  warm-up: program %.1f ms, bare window %.1f ms\n", firstProgram, firstBare);
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            PumpingSleep(200);
            if ((run + turn) % 2 == 0)
                figures.programMs.push_back(TimeStart(program, app::kProgramTitle, currentFolder));
            else
                figures.bareMs.push_back(TimeStart(bareWindow, kBareWindowCaption, currentFolder));
        }
        std::printf("  run %d: program %.1f ms, bare window %.1f ms\n", run + 1, figures.programMs.back(),
                    figures.bareMs.back());
        std::fflush(stdout);
    }
    return figures;
}

}  // namespace bench
