#include "app/busy_window.h"

#include "platform/message_loop.h"
#include "platform/unique_handle.h"

#include <commctrl.h>

#include <algorithm>

namespace app {

namespace {

constexpr UINT kProgressMessage = WM_APP + 1;

// The label spans the progress bar's width: the form's 2895 twips fitted the narrower
// fonts of its day, and today's Japanese UI fonts broke its one line.
constexpr platform::ControlLayout kControls[] = {
    {kBusyLabel1Id, L"STATIC", L"保存中です。しばらくお待ち下さい。", SS_LEFT | SS_NOPREFIX, {240, 480, 4200, 375}},
    {kBusyProgressId, PROGRESS_CLASSW, L"", PBS_SMOOTH, {240, 1080, 4200, 255}},
};

constexpr platform::FormLayout kForm3 = {
    L"TorvanelInstaller.Form3",
    kBusyWindowCaption,
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
    WS_EX_TOOLWINDOW,  // not in the task bar
    4680,
    3090,
    platform::StartPosition::CenterOwner,
    0,
    kControls,
};

}  // namespace

BusyWindow::BusyWindow() : Form(kForm3), resultReady_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

BusyWindow::~BusyWindow() {
    Destroy();
    if (worker_) ::WaitForSingleObject(worker_.get(), INFINITE);
}

void BusyWindow::WaitForWorker() {
    if (!worker_) return;
    platform::RunMessagesUntilSignalled(worker_.get());
    worker_.reset();
}

transfer::TransferReport BusyWindow::Run(HWND owner, const TransferRequest& request) {
    filesDone_ = 0;
    filesPlanned_ = 0;
    progressPosted_ = false;

    if (Create(owner)) {
        ::ShowWindow(hwnd(), SW_SHOW);
        ::UpdateWindow(hwnd());
    }
    window_ = hwnd();
    if (owner != nullptr) ::EnableWindow(owner, FALSE);
    // The last transfer may still be removing its work folder, under its locks.
    WaitForWorker();

    request_ = request;
    report_ = transfer::TransferReport{};
    if (resultReady_) ::ResetEvent(resultReady_.get());
    worker_.reset(::CreateThread(nullptr, 0, &BusyWindow::TransferThread, this, 0, nullptr));
    if (worker_) {
        platform::RunMessagesUntilSignalled(resultReady_ ? resultReady_.get() : worker_.get());
    } else {
        RunTransfer();  // no thread to be had: the window just won't repaint meanwhile
    }

    window_ = nullptr;
    if (owner != nullptr) ::EnableWindow(owner, TRUE);
    Destroy();
    return std::move(report_);
}

DWORD WINAPI BusyWindow::TransferThread(void* self) noexcept {
    static_cast<BusyWindow*>(self)->RunTransfer();
    return 0;
}

void BusyWindow::RunTransfer() {
    transfer::TransferReport report = transfer::TransferDataSet(request_, this);
    // Not told at OnResult (no memory for the copy there, or no event to signal): the
    // window's thread is still waiting, and takes the report from here.
    if (!resultReady_ || ::WaitForSingleObject(resultReady_.get(), 0) != WAIT_OBJECT_0) {
        report_ = std::move(report);
        if (resultReady_) ::SetEvent(resultReady_.get());
    }
}

// On the worker thread; the window's thread reads report_ only after the event.
void BusyWindow::OnResult(const transfer::TransferReport& report) {
    report_ = report;  // told once, and nothing after it touches report_
    if (resultReady_) ::SetEvent(resultReady_.get());
}

void BusyWindow::OnStarted(size_t filesPlanned) { PostProgress(0, filesPlanned); }

void BusyWindow::OnProgress(size_t filesDone, size_t filesPlanned) { PostProgress(filesDone, filesPlanned); }

void BusyWindow::OnFinished() { PostProgress(filesPlanned_, filesPlanned_); }

void BusyWindow::PostProgress(size_t filesDone, size_t filesPlanned) noexcept {
    filesDone_ = filesDone;
    filesPlanned_ = filesPlanned;
    HWND window = window_;
    if (window != nullptr && !progressPosted_.exchange(true)) {
        if (!::PostMessageW(window, kProgressMessage, 0, 0)) progressPosted_ = false;
    }
}

void BusyWindow::ShowProgress() {
    // Cleared before reading, so a change made meanwhile posts a new message.
    progressPosted_ = false;
    const size_t planned = filesPlanned_;
    const size_t done = filesDone_;
    HWND bar = Control(kBusyProgressId);
    const int range = static_cast<int>(std::min<size_t>(planned, 0x7FFFFFFF));
    ::SendMessageW(bar, PBM_SETRANGE32, 0, range > 0 ? range : 1);
    ::SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(std::min<size_t>(done, static_cast<size_t>(range))), 0);
}

// The window goes when the transfer ends, not before.
void BusyWindow::OnClose() {}

bool BusyWindow::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != kProgressMessage) return false;
    ShowProgress();
    result = 0;
    return true;
}

}  // namespace app
