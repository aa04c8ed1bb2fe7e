#pragma once
// "PathDATA.txt": the game folder confirmed last time, one line followed by CR LF
// in the ANSI code page (see platform::DecodeText for how it is read), in the folder
// that is current when the program runs.
#include "platform/file_services.h"

#include <optional>
#include <string>

namespace folder_dialog {

inline constexpr wchar_t kSavedPathFileName[] = L"PathDATA.txt";

class SavedPathFile {
public:
    // The file in the current folder, looked up again at every read and write.
    SavedPathFile() = default;
    // The file at a fixed path, in the given ANSI code page.
    explicit SavedPathFile(std::wstring path, UINT ansiCodePage = ::GetACP())
        : path_(std::move(path)), ansiCodePage_(ansiCodePage) {}

    // The whole first line, without its line end: commas and quotes belong to the
    // folder. Nothing when the file is missing or unreadable, or its first line is
    // not a fully qualified path ("C:\..." or "\\server\share...") or holds a
    // control character.
    [[nodiscard]] std::optional<std::wstring> Read() const;

    // Replaces the file with the folder and CR LF, through a temporary file, so a
    // failed write leaves the former content whole. ERROR_NO_UNICODE_TRANSLATION
    // when the folder cannot be written in the ANSI code page so that Read gives it
    // back.
    [[nodiscard]] platform::ErrorCode Write(const std::wstring& folder) const;

    [[nodiscard]] std::wstring Path() const;

private:
    std::wstring path_;  // empty: kSavedPathFileName in the current folder
    UINT ansiCodePage_ = ::GetACP();
};

}  // namespace folder_dialog
