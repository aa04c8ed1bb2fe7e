#pragma once
// Time from starting a program to its main window being visible, for the program
// and for a bare Win32 program, alternating in one run.
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

// The caption of bare_window.exe.
inline constexpr wchar_t kBareWindowCaption[] = L"bare window";

struct StartupFigures {
    std::vector<double> programMs;
    std::vector<double> bareMs;
    SIZE_T bareWorkingSet = 0;  // the bare window's peak working set, shown and idle
};

[[nodiscard]] StartupFigures MeasureStartup(const std::wstring& program, const std::wstring& bareWindow,
                                            const std::wstring& currentFolder, int runs);

}  // namespace bench
