#pragma once
// One Install through the real program, driven from outside as a user would: the
// main window's Install button, the remembered folder in the folder dialog, then
// the busy window, polled for its replies, and the closing message answered.
#include "bench_options.h"

#include <windows.h>

#include <string>

namespace bench {

inline constexpr DWORD kPollMs = 5;  // how often the busy window is asked
inline constexpr double kSlowReplyMs = 50;

struct InstallSessionFigures {
    double worstReplyMs = 0;    // longest SendMessageTimeoutW(WM_NULL) to the busy window
    double worstReplyAtMs = 0;  // when it was sent, counted from the busy window's appearance
    size_t replies = 0;
    size_t slowReplies = 0;          // replies that took longer than kSlowReplyMs
    double busyMs = 0;               // from the busy window seen to gone
    SIZE_T idleWorkingSet = 0;       // peak working set with the main window shown, before the Install
    SIZE_T busyShownWorkingSet = 0;  // peak working set when the busy window was first seen
    SIZE_T peakWorkingSet = 0;       // after the Install
    size_t files = 0;                // files the Install carried
    ULONGLONG bytes = 0;
    std::wstring closingMessage;
};

// Installs the large package over a copy of its older game.
[[nodiscard]] InstallSessionFigures RunInstallSession(const BenchOptions& options);

}  // namespace bench
