#include "e2e/program_test.h"

#include <algorithm>
#include <filesystem>

namespace e2e {

FileSet InstalledGame() {
    return {
        {L"TorvaGame.exe", "MZ stand-in for the game"},
        {L"player.sav", "a player's own file"},
        {L"nationDATA\\nation01.dat", "old nation 1"},
        {L"nationDATA\\国家表.dat", "old nation with a 0x5C trail byte in its name"},
        {L"pastDATA\\past01.dat", "old past 1"},
        {L"kosei01.dat", "old scenario 1"},
        {L"kosei02.dat", "old scenario 2"},
        {L"年表1.txt", "old chronology 1"},
        {L"MAINDATA.DAT", "old main data"},
        {L"back8.jpg", "old background"},
        {L"theme.mp3", "old music"},
        // Always written, empty when the source has none: a game has them all.
        {L"Sison.dat", "old sison"},
        {L"taizin_log.txt", "old log"},
        {L"syo_list.dat", "old list"},
        {L"TaizinNow.dat", "old now"},
        {L"yazirusi.dat", "old arrows"},
    };
}

FileSet BackedUpPart(FileSet game) {
    for (const wchar_t* name : {L"TorvaGame.exe", L"!Torvanel.exe", L"player.sav", L"theme.mp3"}) game.erase(name);
    return game;
}

FileSet PackageData() {
    return {
        {L"nationDATA\\nation01.dat", "package nation 1"},
        {L"pastDATA\\past01.dat", "package past 1"},
        {L"kosei01.dat", "package scenario 1"},
        {L"kosei02.dat", "package scenario 2"},
        {L"MAINDATA.DAT", "package main data"},
    };
}

void WriteFiles(const std::wstring& folder, const FileSet& files) {
    for (const auto& [name, content] : files) testing_support::WriteBytes(folder + L"\\" + name, content);
}

FileSet Snapshot(const std::wstring& folder, std::wstring_view skipped) {
    FileSet files;
    for (auto entry = std::filesystem::recursive_directory_iterator(folder);
         entry != std::filesystem::recursive_directory_iterator(); ++entry) {
        const std::wstring name = entry->path().wstring().substr(folder.size() + 1);
        if (name == skipped) {
            entry.disable_recursion_pending();
        } else if (entry->is_regular_file()) {
            files[name] = testing_support::ReadBytes(entry->path().wstring());
        }
    }
    return files;
}

std::string SavedPathBytes(const std::wstring& gameFolder) {
    const int size = ::WideCharToMultiByte(932, 0, gameFolder.data(), static_cast<int>(gameFolder.size()), nullptr,
                                           0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(932, 0, gameFolder.data(), static_cast<int>(gameFolder.size()), bytes.data(), size,
                          nullptr, nullptr);
    return bytes + "\r\n";
}

std::string Show(std::wstring_view text) {
    std::wstring visible(text);
    std::replace(visible.begin(), visible.end(), L'\r', L'|');
    return testing_support::Narrow(visible);
}

void ProgramTest::PrepareGameAndPackage() {
    WriteFiles(game_.path(), InstalledGame());
    WriteFiles(package_.path(), PackageData());
    testing_support::WriteBytes(package_ / L"PathDATA.txt", SavedPathBytes(game_.path()));
}

void ProgramTest::Start() {
    const std::wstring program = ProgramPath();
    ASSERT_TRUE(testing_support::FileExists(program)) << "give the path of the program's exe as the first argument";
    program_ = std::make_unique<RunningProgram>(program, package_.path());
    main_ = program_->WaitFor(Captioned(kMainCaption));
    ASSERT_NE(main_, nullptr) << "the main window did not appear";
}

void ProgramTest::Finish() {
    EXPECT_TRUE(program_->Close(main_)) << "the program did not end when its main window was closed";
}

HWND ProgramTest::OpenDialog(std::wstring_view button) {
    Click(ChildWithText(main_, button));
    HWND dialog = program_->WaitFor(Captioned(kDialogCaption));
    if (!dialog) ADD_FAILURE() << "the game-folder dialog did not appear after " << Show(button);
    return dialog;
}

MessageBoxView ProgramTest::WaitForMessage() {
    HWND box = program_->WaitFor(IsMessageBox);
    if (!box) ADD_FAILURE() << "no message box appeared";
    return box ? ReadMessageBox(box) : MessageBoxView{};
}

bool ProgramTest::OnlyMainWindowShows() {
    return Sync(main_) && program_->Windows() == std::vector<HWND>{main_};
}

MessageBoxView ProgramTest::RunWithRememberedFolder(std::wstring_view button, std::wstring_view screenshot) {
    HWND dialog = OpenDialog(button);
    if (!dialog) return {};
    EXPECT_TRUE(::IsWindowEnabled(BT2(dialog))) << "the dialog offers no remembered folder";
    Click(BT2(dialog));
    MessageBoxView message = WaitForMessage();
    if (message.window) {
        if (!screenshot.empty()) SaveScreenshot(message.window, screenshot);
        EXPECT_EQ(message.title, kMainCaption);
        EXPECT_TRUE(PressOk(message.window)) << "the message box did not close on OK";
        EXPECT_TRUE(WaitUntil([&] { return ::IsWindowEnabled(main_) != FALSE; }))
            << "the main window stayed disabled after the operation";
    }
    return message;
}

}  // namespace e2e
