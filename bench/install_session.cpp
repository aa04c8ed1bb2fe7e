#include "install_session.h"

#include "folder_tree.h"
#include "program_driver.h"
#include "stopwatch.h"
#include "window_captions.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace bench {

namespace {

constexpr DWORD kWindowTimeoutMs = 30000;
constexpr DWORD kInstallTimeoutMs = 20 * 60 * 1000;
constexpr UINT kReplyTimeoutMs = 120000;

// The saved-path file names the game folder, so that the dialog's second button confirms it.
void WriteSavedPath(const std::wstring& package, const std::wstring& gameFolder) {
    const int length = ::WideCharToMultiByte(932, 0, gameFolder.c_str(), static_cast<int>(gameFolder.size()), nullptr,
                                             0, nullptr, nullptr);
    std::string line(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(932, 0, gameFolder.c_str(), static_cast<int>(gameFolder.size()), line.data(), length, nullptr,
                          nullptr);
    line += "\r\n";
    WriteFileBytes(package + L"\\PathDATA.txt", line);
}

HWND Require(HWND window, const char* what) {
    if (!window) throw std::runtime_error(std::string("the program shows no ") + what);
    return window;
}

// Polls the busy window until the closing message box appears; returns that box.
HWND WatchBusyWindow(const RunningProgram& program, const InstallSessionSetup& setup, InstallSessionFigures& figures) {
    HWND busy = nullptr;
    Stopwatch busySince;
    bool busyGone = false;
    const Stopwatch watch;
    while (watch.ElapsedMs() < kInstallTimeoutMs) {
        if (!busy && !busyGone) {
            busy = program.FindVisibleWindow(kBusyWindowCaption);
            if (busy) {
                busySince = Stopwatch();
                figures.busyShownWorkingSet = program.PeakWorkingSet();
            }
        }
        if (busy) {
            if (!::IsWindow(busy) || !::IsWindowVisible(busy)) {
                figures.busyMs = busySince.ElapsedMs();
                busy = nullptr;
                busyGone = true;
            } else {
                // A failed send (the window went away meanwhile) still waited that long.
                const Stopwatch reply;
                DWORD_PTR result = 0;
                const double sentAt = busySince.ElapsedMs();
                ::SendMessageTimeoutW(busy, WM_NULL, 0, 0, SMTO_NORMAL, kReplyTimeoutMs, &result);
                const double replyMs = reply.ElapsedMs();
                if (replyMs > figures.worstReplyMs) {
                    figures.worstReplyMs = replyMs;
                    figures.worstReplyAtMs = sentAt;
                }
                if (replyMs > kSlowReplyMs) ++figures.slowReplies;
                ++figures.replies;
            }
        }
        if (HWND box = program.FindMessageBox(kFolderDialogCaption)) {
            if (busy) figures.busyMs = busySince.ElapsedMs();
            return box;
        }
        if (program.HasExited()) throw std::runtime_error("the program ended during the Install");
        ::Sleep(setup.pollMs);
    }
    throw std::runtime_error("no closing message within the time allowed for the Install");
}

}  // namespace

InstallSessionFigures RunInstallSession(const InstallSessionSetup& setup) {
    InstallSessionFigures figures;
    const std::wstring game = setup.work + L"\\install-session";
    ::CreateDirectoryW(setup.work.c_str(), nullptr);
    RemoveTree(game);
    CopyTree(setup.olderGame, game, {L"Default", L"Backup"}, setup.flush);
    WriteSavedPath(setup.package, game);
    ::Sleep(setup.settleMs);

    {
        RunningProgram program(setup.program, setup.package);
        HWND mainWindow = Require(program.WaitForVisibleWindow(kMainWindowCaption, kWindowTimeoutMs), "main window");
        PumpingSleep(300);  // let it finish painting
        figures.idleWorkingSet = program.PeakWorkingSet();
        ClickButton(Require(FindChildByText(mainWindow, kInstallButtonText), "Install button"));
        HWND dialog = Require(program.WaitForVisibleWindow(kFolderDialogCaption, kWindowTimeoutMs), "folder dialog");
        HWND savedFolder = Require(FindChildByText(dialog, kSavedFolderButtonPrefix), "remembered-folder button");
        if (!::IsWindowEnabled(savedFolder)) throw std::runtime_error("the remembered-folder button is disabled");
        ClickButton(savedFolder);

        HWND box = WatchBusyWindow(program, setup, figures);
        figures.peakWorkingSet = program.PeakWorkingSet();
        figures.closingMessage = StaticTexts(box);
        if (HWND ok = ::GetDlgItem(box, IDOK))
            ClickButton(ok);
        else
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        const Stopwatch closing;
        while (::IsWindow(box) && ::IsWindowVisible(box) && closing.ElapsedMs() < 5000) PumpingSleep(10);
        if (!program.Close(10000)) std::printf("  (the program did not close by itself and was ended)\n");
    }

    for (const TreeFile& file : CarriedFiles(setup.package, game)) {
        ++figures.files;
        figures.bytes += file.size;
    }
    RemoveTree(game);
    return figures;
}

}  // namespace bench
