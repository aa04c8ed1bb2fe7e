#include "install_session.h"

#include "app/main_window.h"
#include "folder_tree.h"
#include "program_driver.h"
#include "stopwatch.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace bench {

namespace {

using namespace driver;

constexpr auto kWindowTimeout = 30s;
constexpr DWORD kInstallTimeoutMs = 20 * 60 * 1000;
constexpr UINT kReplyTimeoutMs = 120000;

HWND Require(HWND window, const char* what) {
    if (!window) throw std::runtime_error(std::string("the program shows no ") + what);
    return window;
}

// Polls the busy window until the closing message box appears; returns that box.
HWND WatchBusyWindow(const RunningProgram& program, InstallSessionFigures& figures) {
    HWND busy = nullptr;
    Stopwatch busySince;
    bool busyGone = false;
    const Stopwatch watch;
    while (watch.ElapsedMs() < kInstallTimeoutMs) {
        if (!busy && !busyGone) {
            busy = program.Find(Captioned(app::kBusyWindowCaption));
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
        if (HWND box = program.Find(IsMessageBox)) {
            if (busy) figures.busyMs = busySince.ElapsedMs();
            return box;
        }
        if (program.HasExited()) throw std::runtime_error("the program ended during the Install");
        ::Sleep(kPollMs);
    }
    throw std::runtime_error("no closing message within the time allowed for the Install");
}

}  // namespace

InstallSessionFigures RunInstallSession(const BenchOptions& setup) {
    InstallSessionFigures figures;
    const std::wstring game = setup.work + L"\\install-session";
    ::CreateDirectoryW(setup.work.c_str(), nullptr);
    RemoveTree(game);
    CopyTree(setup.largeGame, game, {L"Default", L"Backup"}, setup.flush != 0);
    // The saved-path file names the game folder, so that the dialog's second button confirms it.
    const folder_dialog::SavedPathFile savedPath(setup.largePackage + L"\\" + folder_dialog::kSavedPathFileName);
    if (savedPath.Write(game) != ERROR_SUCCESS) throw std::runtime_error("cannot write the saved-path file");
    ::Sleep(static_cast<DWORD>(setup.settleMs));

    {
        RunningProgram program(setup.program, setup.largePackage);
        HWND mainWindow = Require(program.WaitFor(Captioned(app::kProgramTitle), kWindowTimeout), "main window");
        PumpingSleep(300);  // let it finish painting
        figures.idleWorkingSet = program.PeakWorkingSet();
        Click(::GetDlgItem(mainWindow, app::kInstallBTId));
        HWND dialog = Require(program.WaitFor(Captioned(folder_dialog::kFolderDialogCaption), kWindowTimeout),
                              "folder dialog");
        HWND savedFolder = ::GetDlgItem(dialog, folder_dialog::kBT2Id);
        if (!::IsWindowEnabled(savedFolder)) throw std::runtime_error("the remembered-folder button is disabled");
        Click(savedFolder);

        HWND box = WatchBusyWindow(program, figures);
        figures.peakWorkingSet = program.PeakWorkingSet();
        figures.closingMessage = TextOf(::GetDlgItem(box, 0xFFFF));
        PressOk(box);
        if (!program.Close()) std::printf("  (the program did not close by itself and was ended)\n");
    }

    for (const TreeFile& file : CarriedFiles(setup.largePackage, game)) {
        ++figures.files;
        figures.bytes += file.size;
    }
    RemoveTree(game);
    return figures;
}

}  // namespace bench
