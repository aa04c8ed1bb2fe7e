#include "e2e/program_test.h"

#include "platform/text_file.h"

#include <shellapi.h>

#include <algorithm>
#include <filesystem>

namespace e2e {

std::wstring ProgramPath() {
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&::LocalFree)> arguments(
        ::CommandLineToArgvW(::GetCommandLineW(), &count), &::LocalFree);
    for (int i = 1; arguments && i < count; ++i)
        if (!std::wstring_view(arguments.get()[i]).starts_with(L"--")) return WindowsPath(arguments.get()[i]);
    return {};
}

std::wstring FromScript(const wchar_t* variable) {
    const wchar_t* value = ::_wgetenv(variable);
    return value ? WindowsPath(value) : std::wstring();
}

std::string SavedPathBytes(const std::wstring& gameFolder) { return *platform::ToAnsi(gameFolder) + "\r\n"; }

std::string Show(std::wstring_view text) {
    std::wstring visible(text);
    std::replace(visible.begin(), visible.end(), L'\r', L'|');
    return testing_support::Utf8(visible);
}

LeftOver WorkFolderIn(const std::wstring& folder) {
    namespace fs = std::filesystem;
    LeftOver left;
    std::error_code gone;
    for (const auto& entry : fs::directory_iterator(folder, gone)) {
        if (!entry.path().filename().wstring().starts_with(L"~tvwork-")) continue;
        left.found = true;
        for (auto file = fs::recursive_directory_iterator(entry.path(), gone); !left.staged && !gone && file != fs::end(file);
             file.increment(gone))
            left.staged = file->is_regular_file(gone);
        left.journal = fs::exists(entry.path() / L"journal", gone);
        // Made once every change is done; its journal is set aside when the clean-up begins.
        left.completed = fs::exists(entry.path() / L"done", gone) || fs::exists(entry.path() / L"discarded", gone);
    }
    return left;
}

void ProgramTest::Start(const std::wstring& folder) {
    const std::wstring program = ProgramPath();
    ASSERT_TRUE(testing_support::FileExists(program)) << "give the path of the program's exe as the first argument";
    program_ = std::make_unique<RunningProgram>(program, folder.empty() ? package_.path() : folder);
    main_ = program_->WaitFor(Captioned(app::kProgramTitle));
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
}

HWND ProgramTest::OpenDialog(int button) {
    Click(::GetDlgItem(main_, button));
    HWND dialog = program_->WaitFor(Captioned(folder_dialog::kFolderDialogCaption));
    if (!dialog) ADD_FAILURE() << "the game-folder dialog did not appear after button " << button;
    return dialog;
}

MessageBoxView ProgramTest::WaitForMessage(std::chrono::milliseconds timeout) {
    HWND box = program_->WaitFor(IsMessageBox, timeout);
    if (!box) ADD_FAILURE() << "no message box appeared";
    return box ? ReadMessageBox(box) : MessageBoxView{};
}

MessageBoxView ProgramTest::ConfirmRememberedFolder(HWND dialog, std::chrono::milliseconds timeout) {
    if (!dialog) return {};
    EXPECT_TRUE(::IsWindowEnabled(BT2(dialog))) << "the dialog offers no remembered folder";
    Click(BT2(dialog));
    MessageBoxView message = WaitForMessage(timeout);
    if (message.window) {
        EXPECT_EQ(message.title, app::kProgramTitle);
        EXPECT_TRUE(PressOk(message.window)) << "the message box did not close on OK";
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main_) != FALSE; }))
            << "the main window stayed disabled after the operation";
    }
    return message;
}

}  // namespace e2e
