#pragma once
// Where an old game really keeps the files it writes under Program Files or Windows.
// Without a manifest it runs with UAC file virtualisation: what it writes there goes
// to a copy under the user's "VirtualStore", and it reads that copy from then on.
#include <optional>
#include <string>

namespace platform {

// The folders Windows virtualises for such a program, and the user's local
// application data folder, which holds "VirtualStore". An empty one is unknown.
struct VirtualStoreRoots {
    std::wstring programFiles;
    std::wstring programFilesX86;
    std::wstring windows;
    std::wstring localAppData;
};

// The folders as the shell reports them. shell32 and ole32 are loaded at the first
// call and kept.
[[nodiscard]] VirtualStoreRoots SystemVirtualStoreRoots();

// The VirtualStore folder that stands for `folder`, which need not exist:
// "C:\Program Files (x86)\Torvanel" -> "<local app data>\VirtualStore\Program Files (x86)\Torvanel".
// Nothing when the folder is not one of the virtualised folders or inside one, or
// local app data is unknown. Paths compare as the file system does: in any case,
// through short names, "." and "..", and either separator.
[[nodiscard]] std::optional<std::wstring> VirtualStoreFolder(const std::wstring& folder, const VirtualStoreRoots& roots);

// VirtualStoreFolder, when that folder exists.
[[nodiscard]] std::optional<std::wstring> ExistingVirtualStoreFolder(const std::wstring& folder,
                                                                     const VirtualStoreRoots& roots);

}  // namespace platform
