// A run that holds a folder's lock until it is killed: takes the lock on the folder
// it is given, sets the event whose inherited handle it is given, and waits.
//   lock_holder FOLDER EVENT-HANDLE
#include "platform/folder_lock.h"

#include <cstdint>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const platform::FolderLock lock(argv[1]);
    if (!lock.Held()) return static_cast<int>(lock.Error());
    ::SetEvent(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(argv[2], nullptr, 10))));
    for (;;) ::Sleep(INFINITE);
}
