#include "folder_dialog/game_folder_choice.h"

#include "platform/path_names.h"
#include "platform/unique_handle.h"

namespace folder_dialog {

namespace {

bool CanOpenForRead(const std::wstring& path) {
    const platform::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.valid();
}

}  // namespace

std::wstring SavedFolderCaption(const std::wstring& folder) {
    return L"前回保存したパス名、\r" + folder + L"\rを選択する。";
}

bool CheckGameFolder(const std::wstring& folder) {
    return CanOpenForRead(platform::InFolder(folder, L"TorvaGame.exe")) ||
           CanOpenForRead(platform::InFolder(folder, L"!Torvanel.exe"));
}

SecondButtonState GameFolderChoice::Load() {
    savedFolder_ = savedPath_.Read();
    if (!savedFolder_) return SecondButtonState{false, kNoSavedFolderCaption};
    selection_.GameFolder = *savedFolder_;
    return SecondButtonState{true, SavedFolderCaption(*savedFolder_)};
}

ChoiceOutcome GameFolderChoice::ChooseFolder(FolderBrowser& browser) {
    if (std::optional<std::wstring> picked = browser.BrowseForFolder()) candidateFolder_ = std::move(*picked);
    if (!CheckGameFolder(candidateFolder_)) return ChoiceOutcome::NotAGameFolder;
    if (candidateFolder_.empty()) return ChoiceOutcome::StaysOpen;

    selection_.GameFolder = candidateFolder_;
    // A folder that cannot be remembered (read-only media, a name outside the ANSI
    // code page) is still the one the user chose: the operation goes ahead with it.
    (void)savedPath_.Write(selection_.GameFolder);
    selection_.SelectionConfirmed = true;
    return ChoiceOutcome::Confirmed;
}

ChoiceOutcome GameFolderChoice::ConfirmSavedFolder() {
    if (!savedFolder_) return ChoiceOutcome::StaysOpen;
    if (!CheckGameFolder(*savedFolder_)) return ChoiceOutcome::NotAGameFolder;
    selection_.GameFolder = *savedFolder_;
    selection_.SelectionConfirmed = true;
    return ChoiceOutcome::Confirmed;
}

}  // namespace folder_dialog
