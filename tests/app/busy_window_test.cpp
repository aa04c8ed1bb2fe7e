// The busy window around a real transfer: the transfer runs on a worker thread
// while this thread keeps the windows alive.
#include "app/busy_window.h"

#include "support/temp_folder.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using testing_support::TempFolder;
using testing_support::WriteBytes;

// What a timer saw of the busy window while the transfer ran.
struct Seen {
    HWND owner = nullptr;
    bool ticked = false;
    bool ownerDisabled = true;
    bool closeIgnored = true;
    int progressRange = 0;
    int progressPosition = 0;
    LONG_PTR exStyle = 0;
    RECT client{};
    RECT label{};
    UINT dpi = 0;
};
Seen* g_seen = nullptr;

void CALLBACK Watch(HWND, UINT, UINT_PTR, DWORD) {
    HWND busy = ::FindWindowW(nullptr, app::kBusyWindowCaption);
    if (g_seen == nullptr || busy == nullptr) return;
    Seen& seen = *g_seen;
    seen.ticked = true;
    seen.ownerDisabled = seen.ownerDisabled && !::IsWindowEnabled(seen.owner);
    HWND bar = ::GetDlgItem(busy, app::kBusyProgressId);
    seen.progressRange = std::max(seen.progressRange, static_cast<int>(::SendMessageW(bar, PBM_GETRANGE, FALSE, 0)));
    seen.progressPosition = std::max(seen.progressPosition, static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0)));
    seen.exStyle = ::GetWindowLongPtrW(busy, GWL_EXSTYLE);
    ::GetClientRect(busy, &seen.client);
    HWND label = ::GetDlgItem(busy, app::kBusyLabel1Id);
    ::GetWindowRect(label, &seen.label);
    ::MapWindowPoints(nullptr, busy, reinterpret_cast<POINT*>(&seen.label), 2);
    seen.dpi = platform::WindowDpi(busy);
    // Alt+F4 and the close box must not end the window while the transfer runs.
    ::SendMessageW(busy, WM_SYSCOMMAND, SC_CLOSE, 0);
    seen.closeIgnored = seen.closeIgnored && ::IsWindow(busy);
}

TEST(BusyWindow, StaysAliveAndShowsProgressWhileTheTransferRuns) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);

    const TempFolder source;
    const TempFolder destination;
    // Enough files that the transfer outlasts a few timer ticks.
    for (int i = 0; i < 600; ++i) {
        WriteBytes(source / (L"nationDATA\\n" + std::to_wstring(i) + L".dat"), std::string(2048, 'n'));
    }
    WriteBytes(source / L"MAINDATA.DAT", "main");
    testing_support::MakeFolders(destination / L"nationDATA");

    HWND owner = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED | WS_VISIBLE, 100, 100, 400, 300, nullptr,
                                   nullptr, nullptr, nullptr);
    Seen seen;
    seen.owner = owner;
    g_seen = &seen;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &Watch);

    app::BusyWindow window;
    const transfer::TransferReport report =
        window.Run(owner, {source.path() + L"\\", destination.path() + L"\\", L""});

    ::KillTimer(nullptr, timer);
    g_seen = nullptr;
    const bool ownerEnabledAfter = ::IsWindowEnabled(owner);
    ::DestroyWindow(owner);

    EXPECT_EQ(report.outcome, transfer::TransferOutcome::Completed);
    EXPECT_TRUE(report.failures.empty());
    EXPECT_EQ(testing_support::FileNamesIn(destination / L"nationDATA").size(), 600u);
    EXPECT_EQ(testing_support::ReadBytes(destination / L"MAINDATA.DAT"), "main");
    EXPECT_TRUE(ownerEnabledAfter);
    EXPECT_EQ(::FindWindowW(nullptr, app::kBusyWindowCaption), nullptr);

    ASSERT_TRUE(seen.ticked) << "the transfer ended before the window could be looked at";
    EXPECT_TRUE(seen.ownerDisabled);
    EXPECT_TRUE(seen.closeIgnored);
    EXPECT_GT(seen.progressRange, 1);
    EXPECT_GT(seen.progressPosition, 0);
    EXPECT_NE(seen.exStyle & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(seen.exStyle & WS_EX_APPWINDOW, 0);
    if (seen.dpi == 96) {  // client 4680 x 3090 twips, Label1 at 240, 480, 2895 x 375
        EXPECT_EQ(seen.client.right, 312);
        EXPECT_EQ(seen.client.bottom, 206);
        EXPECT_EQ(seen.label.left, 16);
        EXPECT_EQ(seen.label.top, 32);
        EXPECT_EQ(seen.label.right - seen.label.left, 193);
        EXPECT_EQ(seen.label.bottom - seen.label.top, 25);
    }
}

}  // namespace
