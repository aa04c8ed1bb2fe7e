#include "e2e/program_test.h"

namespace e2e {

namespace {

bool IsMessageBox(HWND window) { return ClassOf(window) == L"#32770" && ::GetDlgItem(window, 0xFFFF) != nullptr; }

}  // namespace

std::string Show(std::wstring_view text) {
    std::wstring visible;
    for (wchar_t c : text) {
        if (c == L'\r') {
            visible += L"\\r";
        } else if (c == L'\n') {
            visible += L"\\n";
        } else {
            visible += c;
        }
    }
    std::string quoted(1, '"');
    quoted += testing_support::Narrow(visible);
    quoted += '"';
    return quoted;
}

void ProgramTest::SetUp() {
    const std::wstring program = ProgramPath();
    ASSERT_FALSE(program.empty()) << "give the path of TorvanelInstaller.exe as the first argument";
    ASSERT_TRUE(testing_support::FileExists(program)) << testing_support::Narrow(program) << " does not exist";
}

void ProgramTest::Start() {
    program_ = std::make_unique<RunningProgram>(ProgramPath(), package_.path());
    main_ = program_->WaitFor(kMainCaption);
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
}

void ProgramTest::Finish() {
    ASSERT_TRUE(program_) << "the program was not started";
    EXPECT_TRUE(program_->Close(main_)) << "the program did not end when its main window was closed";
}

HWND ProgramTest::OpenDialog(std::wstring_view button) {
    HWND control = ChildWithText(main_, button, WC_BUTTONW);
    if (!control) {
        ADD_FAILURE() << "no button " << Show(button) << " on the main window";
        return nullptr;
    }
    Click(control);
    HWND dialog = program_->WaitFor(kDialogCaption);
    if (!dialog) ADD_FAILURE() << "the game-folder dialog did not appear after " << Show(button);
    return dialog;
}

HWND ProgramTest::DialogButton(HWND dialog, std::wstring_view text) const {
    return ChildWithText(dialog, text, WC_BUTTONW);
}

HWND ProgramTest::RememberedFolderButton(HWND dialog) const {
    HWND last = nullptr;
    for (HWND child : ChildrenInOrder(dialog)) {
        if (ClassOf(child) == WC_BUTTONW && TextOf(child) != kBrowseButton) last = child;
    }
    return last;
}

MessageBoxView ProgramTest::WaitForMessage() {
    HWND box = nullptr;
    WaitUntil([&] {
        for (HWND window : program_->Windows()) {
            if (IsMessageBox(window)) box = window;
        }
        return box != nullptr || program_->HasExited();
    });
    if (!box) {
        ADD_FAILURE() << "no message box appeared";
        return {};
    }
    return ReadMessageBox(box);
}

bool ProgramTest::OnlyMainWindowShows() {
    if (!Sync(main_)) return false;
    const std::vector<HWND> windows = program_->Windows();
    return windows.size() == 1 && windows.front() == main_;
}

MessageBoxView ProgramTest::RunWithRememberedFolder(std::wstring_view button) {
    HWND dialog = OpenDialog(button);
    if (!dialog) return {};
    HWND remembered = RememberedFolderButton(dialog);
    if (!remembered || !::IsWindowEnabled(remembered)) {
        ADD_FAILURE() << "the dialog offers no remembered folder";
        return {};
    }
    Click(remembered);
    MessageBoxView message = WaitForMessage();
    if (message.window) {
        EXPECT_EQ(message.title, kMainCaption);
        EXPECT_TRUE(PressOk(message.window)) << "the message box did not close on OK";
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main_) != FALSE; }))
            << "the main window stayed disabled after the operation";
    }
    return message;
}

}  // namespace e2e
