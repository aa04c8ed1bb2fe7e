#pragma once
// A data folder as listed once before the transfer changes anything: its own files
// and those of its nationDATA and pastDATA subfolders. Looking names up here instead
// of asking the file system for each of the plan's ~200 names keeps absent names free.
#include "transfer/data_names.h"

#include "platform/file_services.h"
#include "platform/path_names.h"

#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

namespace transfer {

class FolderContents {
public:
    // `folder` ends in "\".
    explicit FolderContents(std::wstring folder);

    [[nodiscard]] bool Exists() const noexcept { return root_.exists; }

    // True when `relative` ("a.dat", "nationDATA\a.dat") is a file, whatever its
    // attributes; names in other subfolders are looked up on disk.
    [[nodiscard]] bool HasFile(std::wstring_view relative) const;

    // True when `folderPart` ("nationDATA\\", "face\\") is a folder here.
    [[nodiscard]] bool HasFolder(std::wstring_view folderPart) const;

    // The size of a file HasFile finds; 0 when unknown.
    [[nodiscard]] ULONGLONG FileSize(std::wstring_view relative) const;

    // The ordinary files matching `relativePattern` ("年表*.*", "nationDATA\*.*"),
    // as relative names, in the order the file system listed them.
    [[nodiscard]] std::vector<std::wstring> OrdinaryFiles(std::wstring_view relativePattern) const;

private:
    struct Listing {
        bool exists = false;
        std::vector<platform::FolderEntry> entries;
        std::unordered_map<std::wstring, size_t> files;  // name key -> entry, for entries that are not folders
    };

    static Listing Read(const std::wstring& path);
    // The listing of the folder part of a relative name ("" or "nationDATA\"), if taken.
    [[nodiscard]] const Listing* ListingFor(std::wstring_view folderPart) const;

    std::wstring folder_;
    Listing root_;
    Listing nation_;
    Listing past_;
};

}  // namespace transfer
