// An author's check of a package through the real window: everything an Install would
// silently miss or must not carry, each in its section, the exit code a batch file
// sees, and a package folder left exactly as it was.
#include "e2e/program_test.h"

#include "package_check/check_window.h"
#include "platform/text_file.h"

#include <array>
#include <filesystem>

namespace e2e {

namespace {

using namespace testing_support;

// Every file and folder with its content and attributes, and every file's time.
std::pair<Tree, Tree> Listing(const std::wstring& folder) {
    Tree times{{folder, std::to_string(std::filesystem::last_write_time(folder).time_since_epoch().count())}};
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        times[entry.path().wstring()] = std::to_string(entry.last_write_time().time_since_epoch().count());
    return {Snapshot(folder), times};
}

// The report's lines from the heading that starts with `heading` to the next heading.
std::wstring Section(const std::wstring& report, std::wstring_view heading) {
    const size_t start = report.find(L"\r\n" + std::wstring(heading));
    if (start == std::wstring::npos) return {};
    return report.substr(start + 2, report.find(L"\r\n【", start + 2) - start - 2);
}

class PackageCheckTest : public ProgramTest {
protected:
    // Starts the check with `arguments` in an unrelated folder and reads its report.
    std::wstring StartCheck(const std::wstring& arguments) {
        program_ = std::make_unique<RunningProgram>(ProgramPath(), game_.path(), arguments);
        window_ = program_->WaitFor(Captioned(package_check::kCheckWindowCaption));
        if (!window_) ADD_FAILURE() << "the check window did not appear";
        return window_ ? TextOf(::GetDlgItem(window_, package_check::kReportId)) : L"";
    }
    // The program's exit code once the window has gone; it created nothing where it ran.
    DWORD ExitCodeAfter() {
        EXPECT_TRUE(program_->HasExited(10s)) << "the program did not end with its window";
        EXPECT_EQ(Snapshot(game_.path()), Tree{});
        return program_->ExitCode();
    }
    HWND window_ = nullptr;
};

TEST_F(PackageCheckTest, ABrokenPackageShowsEachFaultInItsSectionAndExitsWithOne) {
    // The world file as a modern editor saves it (UTF-8); its Japanese on the last line,
    // where a misreading cannot shift the lines of the others.
    WriteTree(package_.path(),
              {{L"nationDATA\\n1.dat", "nation"}, {L"kosei01.dat", "scenario"}, {L"back8.jpg", "swept"},
               {L"face\\a.gif", "listed"}, {L"face\\stray.gif", "not listed"}, {L"notes.doc", "notes"},
               {L"a.JPG", "not swept: endings are compared case-sensitively"}, {L"PathDATA.txt", "C:\\Games\\Torvanel\r\n"},
               {L"~tvwork-1-2-3\\journal", "left over"}, {L"TorvanelInstaller.exe", "MZ"}, {L"使い方.txt", "guide"},
               {L"zeloworld.dat", "\"Title\",1.2\r\nbg:back8.jpg,img:face\\a.gif\r\nimg:face\\missing.gif\r\n"
                                  "data:..\\out.dat,img:face\\CON.gif\r\n\xE4\xBD\x9C\xE8\x80\x85:\xE4\xB8\x96\xE7\x95\x8C\r\n"}});
    const auto before = Listing(package_.path());

    const std::wstring report = StartCheck(L"/check \"" + package_.path() + L"\"");
    SaveScreenshot(window_, L"package-check");
    EXPECT_EQ(Section(report, L"【1】"), L"【1】ワールドファイル（zeloworld.dat）が挙げているのに、パッケージにないファイル（1 件）\r\n"
                                        L"インストールはこれらを飛ばすため、ゲームで使えません。名前の綴りと置き場所を確かめて下さい。\r\n"
                                        L"　3行目: face\\missing.gif\r\n") << Show(report);
    const std::wstring refused = Section(report, L"【2】");
    EXPECT_NE(refused.find(L"　4行目: ..\\out.dat — 「..」を含み"), std::wstring::npos) << Show(refused);
    EXPECT_NE(refused.find(L"　4行目: face\\CON.gif — Windowsの装置名"), std::wstring::npos) << Show(refused);
    EXPECT_NE(Section(report, L"【3】").find(L"UTF-8 で保存されています"), std::wstring::npos) << Show(report);
    EXPECT_NE(Section(report, L"【4】").find(L"（3 件）\r\nワールドファイルへの書き忘れか、置き場所の間違いの可能性があります。\r\n"
                                            L"　（パッケージの直下）\r\n　　a.JPG\r\n　　notes.doc\r\n　face\\\r\n　　stray.gif\r\n"),
              std::wstring::npos) << Show(report);
    const std::wstring leftovers = Section(report, L"【5】");
    EXPECT_NE(leftovers.find(L"（2 件）"), std::wstring::npos) << Show(leftovers);
    EXPECT_NE(leftovers.find(L"　PathDATA.txt — 作者のPCのゲームフォルダ"), std::wstring::npos) << Show(leftovers);
    EXPECT_NE(leftovers.find(L"　~tvwork-1-2-3\\ — このツールの作業フォルダ"), std::wstring::npos) << Show(leftovers);
    const std::wstring carried = Section(report, L"【6】");
    EXPECT_NE(carried.find(L"　nationDATA: 1 ファイル、0.0 MB\r\n"), std::wstring::npos) << Show(carried);
    EXPECT_NE(carried.find(L"　画像: 2 ファイル"), std::wstring::npos) << Show(carried);  // back8.jpg, face\a.gif

    Click(::GetDlgItem(window_, package_check::kCloseId));
    EXPECT_EQ(ExitCodeAfter(), 1u);
    EXPECT_EQ(Listing(package_.path()), before) << "the check changed the package folder";
}

TEST_F(PackageCheckTest, ACleanPackageSaysSoAndExitsWithZero) {
    const std::string world = "\"Title\",1.2\r\n" + *platform::ToAnsi(L"作者:トルヴァネル,画像:face\\a.gif") + "\r\n";
    WriteTree(package_.path(), {{L"nationDATA\\n1.dat", "nation"}, {L"kosei01.dat", "scenario"}, {L"face\\a.gif", "listed"},
                                {L"TorvanelInstaller.exe", "MZ"}, {L"使い方.txt", "guide"}, {L"zeloworld.dat", world}});
    // Dropped on the exe: the folder is the only argument.
    const std::wstring report = StartCheck(L"\"" + package_.path() + L"\"");
    EXPECT_TRUE(report.starts_with(L"問題は見つかりませんでした。")) << Show(report);
    EXPECT_EQ(report.find(L"【4】"), std::wstring::npos) << Show(report);
    // Made larger, the text fills it above the button (margins of 120 twips: 8 pixels at 96 DPI).
    ::SetWindowPos(window_, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(Sync(window_));
    RECT client{}, text{}, button{};
    ::GetClientRect(window_, &client);
    ::GetWindowRect(::GetDlgItem(window_, package_check::kReportId), &text);
    ::GetWindowRect(::GetDlgItem(window_, package_check::kCloseId), &button);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&text), 2);
    ::MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ((std::array{text.left, text.top, text.right, button.right, button.bottom, text.bottom + 8}),
              (std::array{8L, 8L, client.right - 8, client.right - 8, client.bottom - 8, button.top}));
    // Esc closes it, wherever the focus is.
    ::PostMessageW(::GetDlgItem(window_, package_check::kReportId), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    EXPECT_EQ(ExitCodeAfter(), 0u);
}

}  // namespace

}  // namespace e2e
