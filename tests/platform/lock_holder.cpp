// Holds the lock of the folder it is started in until it is killed.
#include "platform/folder_lock.h"

int wmain(int, wchar_t**) {
    const platform::FolderLock lock(L".");
    if (!lock.Held()) return static_cast<int>(lock.Error());
    for (;;) ::Sleep(INFINITE);
}
