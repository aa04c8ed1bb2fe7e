// The dialog's window as the player meets it, driven from a timer while it runs modally.
#include "folder_dialog/folder_dialog.h"

#include "folder_dialog/current_folder_scope.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using folder_dialog::FolderDialog;
using folder_dialog::GameFolderSelection;
using testing_support::TempFolder;
using testing_support::WriteBytes;

// Runs `action` once on the dialog, from inside its modal loop.
class WhileShown {
public:
    explicit WhileShown(std::function<void(HWND dialog)> action) {
        current_ = this;
        action_ = std::move(action);
        timer_ = ::SetTimer(nullptr, 0, 10, &WhileShown::Tick);
    }
    ~WhileShown() {
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool ran = false;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND dialog = ::FindWindowW(nullptr, folder_dialog::kFolderDialogCaption);
        if (current_ == nullptr || current_->ran || dialog == nullptr) return;
        current_->ran = true;
        current_->action_(dialog);
    }
    static inline WhileShown* current_ = nullptr;
    std::function<void(HWND)> action_;
    UINT_PTR timer_ = 0;
};

std::wstring TextOf(HWND window) {
    wchar_t buffer[1024] = {};
    ::GetWindowTextW(window, buffer, 1024);
    return buffer;
}

RECT ClientRectOf(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

struct Owner {
    HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 200, 100, nullptr, nullptr,
                                  nullptr, nullptr);
    ~Owner() { ::DestroyWindow(hwnd); }
};

// One dialog object shown twice, as by two operations: each showing reads the saved folder again.
TEST(FolderDialogWindow, ReadsTheSavedFolderAtEachShowingAndConfirmsItWithBt2) {
    const TempFolder temp;
    const testing_support::CurrentFolderScope scope(temp.path());
    GameFolderSelection selection{L"C:\\Before", false};
    FolderDialog dialog(selection, L"title");
    const Owner owner;

    // First run, no saved folder: the close box confirms nothing.
    std::wstring bt2Text;
    bool bt2Enabled = true;
    std::vector<int> tabOrder;
    {
        WhileShown check([&](HWND window) {
            HWND bt2 = ::GetDlgItem(window, folder_dialog::kBT2Id);
            bt2Text = TextOf(bt2);
            bt2Enabled = ::IsWindowEnabled(bt2);
            for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
                tabOrder.push_back(::GetDlgCtrlID(child));
            }
            ::SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        dialog.ShowModal(owner.hwnd);
        ASSERT_TRUE(check.ran);
    }
    EXPECT_EQ(bt2Text, L"前回保存したパス名が残っていないため、このボタンは選択できません。");
    EXPECT_FALSE(bt2Enabled);
    EXPECT_EQ(tabOrder, (std::vector<int>{folder_dialog::kLabel1Id, folder_dialog::kBT1Id, folder_dialog::kBT2Id}));
    EXPECT_FALSE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, L"C:\\Before");
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd));
    EXPECT_EQ(::FindWindowW(nullptr, folder_dialog::kFolderDialogCaption), nullptr);

    // Saved since: BT2 shows it on three lines and confirms it.
    WriteBytes(temp / L"PathDATA.txt", "D:\\Games\\Torvanel\r\n");
    bool ownerDisabled = false;
    LONG_PTR style = 0;
    LONG_PTR exStyle = 0;
    RECT client{};
    RECT bt2Rect{};
    UINT dpi = 0;
    {
        WhileShown check([&](HWND window) {
            ownerDisabled = !::IsWindowEnabled(owner.hwnd);
            HWND bt2 = ::GetDlgItem(window, folder_dialog::kBT2Id);
            bt2Text = TextOf(bt2);
            bt2Enabled = ::IsWindowEnabled(bt2);
            style = ::GetWindowLongPtrW(window, GWL_STYLE);
            exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
            ::GetClientRect(window, &client);
            bt2Rect = ClientRectOf(bt2);
            dpi = platform::WindowDpi(window);
            // Enter on the focused BT2 (there is no default button) presses it.
            ::SetFocus(bt2);
            ::SendMessageW(window, WM_COMMAND, IDOK, 0);
            ::PostMessageW(window, WM_CLOSE, 0, 0);  // ends the test, unconfirmed, if Enter did nothing
        });
        dialog.ShowModal(owner.hwnd);
        ASSERT_TRUE(check.ran);
    }
    EXPECT_TRUE(ownerDisabled);
    EXPECT_TRUE(::IsWindowEnabled(owner.hwnd));
    EXPECT_EQ(::FindWindowW(nullptr, folder_dialog::kFolderDialogCaption), nullptr);
    EXPECT_EQ(bt2Text, L"前回保存したパス名、\rD:\\Games\\Torvanel\rを選択する。");
    EXPECT_TRUE(bt2Enabled);
    EXPECT_TRUE(selection.SelectionConfirmed);
    EXPECT_EQ(selection.GameFolder, L"D:\\Games\\Torvanel");

    // Fixed single border, no minimise or maximise box, in the task bar.
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_CAPTION | WS_SYSMENU);
    EXPECT_NE(exStyle & WS_EX_APPWINDOW, 0);
    if (dpi == 96) {  // 15 twips a pixel: 8190 x 1965, BT2 at 120, 840, 7935 x 975
        EXPECT_EQ(client.right, 546);
        EXPECT_EQ(client.bottom, 131);
        EXPECT_EQ(bt2Rect.left, 8);
        EXPECT_EQ(bt2Rect.top, 56);
        EXPECT_EQ(bt2Rect.right - bt2Rect.left, 529);
        EXPECT_EQ(bt2Rect.bottom - bt2Rect.top, 65);
    }
}

}  // namespace
