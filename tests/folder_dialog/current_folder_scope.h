#pragma once
// Makes a folder the process's current folder for one test, and puts the former
// one back afterwards. Shared by the platform, folder-dialog and app tests.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace testing_support {

class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::wstring& folder) {
        wchar_t buffer[MAX_PATH] = {};
        ::GetCurrentDirectoryW(MAX_PATH, buffer);
        previous_ = buffer;
        if (!::SetCurrentDirectoryW(folder.c_str())) throw std::runtime_error("cannot enter the test folder");
    }
    ~CurrentFolderScope() { ::SetCurrentDirectoryW(previous_.c_str()); }
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

private:
    std::wstring previous_;
};

}  // namespace testing_support
