#pragma once
// A data folder as listed once before the transfer changes anything: its own files
// and those of its nationDATA and pastDATA subfolders. Looking names up here instead
// of asking the file system for each of the plan's ~200 names keeps absent names free.
//
// A game folder under Program Files may have an overlay: the folder where Windows
// keeps the game's own copies of its files (its VirtualStore). The game reads a copy
// there in place of the folder's file, so the contents are the two merged, the
// overlay's file winning.
#include "transfer/data_names.h"

#include "platform/file_services.h"
#include "platform/path_names.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace transfer {

class FolderContents {
public:
    // DataFolders lists the folder and its nationDATA and pastDATA; WholeTree also
    // every other subfolder that is not a link, so that every name is found without
    // asking the file system and every file can be visited.
    enum class Reach { DataFolders, WholeTree };

    // `folder` and `overlay` (if not empty) end in "\".
    explicit FolderContents(std::wstring folder, std::wstring overlay = {}, Reach reach = Reach::DataFolders);

    [[nodiscard]] bool Exists() const noexcept { return root_.exists; }

    // True when `relative` ("a.dat", "nationDATA\a.dat") is a file as the game sees
    // it, whatever its attributes; names in other subfolders are looked up on disk.
    [[nodiscard]] bool HasFile(std::wstring_view relative) const { return HasOwnFile(relative) || HasOverlayFile(relative); }
    // The folder's own file, and the overlay's copy.
    [[nodiscard]] bool HasOwnFile(std::wstring_view relative) const;
    [[nodiscard]] bool HasOverlayFile(std::wstring_view relative) const;
    // Where the file the game reads is: the overlay's copy, or the folder's own.
    [[nodiscard]] std::wstring PathOf(std::wstring_view relative) const;

    // True when `folderPart` ("nationDATA\\", "face\\") is a folder of the folder itself.
    [[nodiscard]] bool HasFolder(std::wstring_view folderPart) const;

    // The folder's own spelling of `folderPart` ("nationDATA\\") and how many files it
    // holds, when it is a real folder (not a link) holding only ordinary files.
    struct PlainFolder {
        std::wstring name;
        size_t files = 0;
    };
    [[nodiscard]] std::optional<PlainFolder> PlainFolderOf(std::wstring_view folderPart) const;

    // The size of the file HasFile finds; 0 when unknown.
    [[nodiscard]] ULONGLONG FileSize(std::wstring_view relative) const;

    // The ordinary files matching `relativePattern` ("年表*.*", "nationDATA\*.*"),
    // as relative names, in the order the file system listed them (the overlay's
    // own names after the folder's).
    [[nodiscard]] std::vector<std::wstring> OrdinaryFiles(std::wstring_view relativePattern) const;

    // Two entries of the folder or one of its data folders whose names differ only in
    // case, as relative names: one name to Windows, two on a case-sensitive folder.
    [[nodiscard]] std::optional<std::pair<std::wstring, std::wstring>> CaseTwins() const;

    // Every entry of the folder's own listings (files and folders, links included),
    // with its relative name as the file system spells it; folders before what they hold.
    void ForEachEntry(const std::function<void(const std::wstring& relative, const platform::FolderEntry&)>& visit) const;

private:
    struct Entry {
        platform::FolderEntry entry;  // the overlay's when it has the name
        bool own = false;
        bool overlay = false;
    };
    struct Listing {
        bool exists = false;
        std::vector<Entry> entries;
        std::unordered_map<std::wstring, size_t> files;  // name key -> entry, for entries that are not folders
        std::optional<std::pair<std::wstring, std::wstring>> twins;  // the folder's own, in any kind of entry
    };

    static Listing Read(const std::wstring& path, const std::wstring& overlayPath, std::wstring_view folderPart);
    // The listing of the folder part of a relative name ("" or "nationDATA\"), if taken.
    [[nodiscard]] const Listing* ListingFor(std::wstring_view folderPart) const;
    [[nodiscard]] const Entry* Find(std::wstring_view relative) const;
    // WholeTree: the entry of a file in a subfolder other than the data folders.
    [[nodiscard]] const Entry* FindDeeper(std::wstring_view relative) const;
    // WholeTree: whether such a file exists, when the listing can tell.
    [[nodiscard]] std::optional<bool> InTree(std::wstring_view relative) const;
    void ListSubfolders(const Listing& listing, const std::wstring& folderPart);

    std::wstring folder_;
    std::wstring overlay_;
    Listing root_;
    Listing nation_;
    Listing past_;
    // WholeTree: each listed subfolder as spelled ("face\\", "nationDATA\\sub\\") with its listing.
    std::vector<std::pair<std::wstring, const Listing*>> subfolders_;
    std::unordered_map<std::wstring, Listing> deeper_;  // folder part key -> listing, other than the data folders
};

}  // namespace transfer
