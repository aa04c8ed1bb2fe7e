#pragma once
// The package check's window: the report in a read-only text the author can select
// and copy, and a button that closes it. Closing it ends the program with the exit
// code it was given.
#include "platform/form.h"

#include <string>

namespace package_check {

inline constexpr wchar_t kCheckWindowCaption[] = L"Torvanelパッケージの確認";

enum CheckWindowControl : int {
    kReportId = 401,
    kCloseId = 402,
};

class CheckWindow final : public platform::Form {
public:
    CheckWindow(std::wstring report, int exitCode);
    ~CheckWindow() override;

    // Creates the window and shows it; false when it cannot be created.
    bool Show(int showCommand);

private:
    void OnCreated() override;
    void OnButtonClicked(int id) override;
    void OnDestroyed() override;
    void OnEnter() override { Destroy(); }
    void OnLaidOut(UINT dpi) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // The text fills the window above the button, whatever its size.
    void PlaceControls(UINT dpi);

    std::wstring report_;
    int exitCode_;
};

}  // namespace package_check
