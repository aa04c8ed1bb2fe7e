#pragma once
// The busy window (Form3), shown while a transfer runs. The transfer runs on a
// worker thread; this thread keeps the windows painted, the owner disabled, and
// shows how many of the planned files are done.
#include "app/operations.h"
#include "platform/form.h"
#include "platform/unique_handle.h"
#include "transfer/transfer_runner.h"

#include <atomic>

namespace app {

inline constexpr wchar_t kBusyWindowCaption[] = L"保存中です。このままお待ち下さい。";

enum BusyWindowControl : int {
    kBusyLabel1Id = 301,
    kBusyProgressId = 302,
};

class BusyWindow final : public platform::Form, private transfer::TransferObserver {
public:
    BusyWindow();
    ~BusyWindow() override;

    // Runs the transfer with the window shown, centred on `owner`, and returns its
    // report once the outcome is known and the window is gone. The transfer's thread
    // may go on removing its work folder: the next Run, and the destructor, wait for it.
    [[nodiscard]] transfer::TransferReport Run(HWND owner, const TransferRequest& request);

private:
    // Called on the worker thread: they only post to the window.
    void OnStarted(size_t filesPlanned) override;
    void OnProgress(size_t filesDone, size_t filesPlanned) override;
    void OnFinished() override;
    void OnResult(const transfer::TransferReport& report) override;

    void OnClose() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    static DWORD WINAPI TransferThread(void* self) noexcept;
    void RunTransfer();
    void WaitForWorker();
    void PostProgress(size_t filesDone, size_t filesPlanned) noexcept;
    void ShowProgress();

    TransferRequest request_;  // the worker's own copy: it may outlast the caller's
    transfer::TransferReport report_;
    platform::UniqueKernelHandle resultReady_;  // set once report_ holds the outcome
    platform::UniqueKernelHandle worker_;
    std::atomic<HWND> window_{nullptr};
    std::atomic<size_t> filesDone_{0};
    std::atomic<size_t> filesPlanned_{0};
    // Set while a progress message waits in the queue, so the worker never floods it.
    std::atomic<bool> progressPosted_{false};
};

}  // namespace app
