#pragma once
// What the program was started to do: the main window (no arguments), or the
// package check of a folder dropped on the exe ("TorvanelInstaller.exe C:\pkg") or
// named after /check ("/check [folder]", the exe's own folder without one).
#include <string>
#include <string_view>

namespace app {

struct StartRequest {
    bool checkPackage = false;
    std::wstring folder;  // the package folder to check
};

// `arguments` is the command line after the program's name; arguments are split at
// blanks outside double quotes, which are dropped (a path's "\" stays as it is).
[[nodiscard]] StartRequest StartRequestFrom(std::wstring_view arguments, const std::wstring& programFolder);

}  // namespace app
