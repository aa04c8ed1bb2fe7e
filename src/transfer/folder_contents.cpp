#include "transfer/folder_contents.h"

#include "platform/wildcard.h"

namespace transfer {

namespace {

constexpr std::wstring_view kNationFolder = L"nationDATA\\";
constexpr std::wstring_view kPastFolder = L"pastDATA\\";

bool IsFolder(DWORD attributes) noexcept { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// "nationDATA/" and "NATIONdata\" name the same folder as "nationDATA\".
bool SameFolderPart(std::wstring_view a, std::wstring_view b) noexcept {
    return a.size() == b.size() && platform::SameName(a.substr(0, a.size() - 1), b.substr(0, b.size() - 1));
}

}  // namespace

FolderContents::FolderContents(std::wstring folder)
    : folder_(std::move(folder)),
      root_(Read(folder_)),
      nation_(Read(folder_ + std::wstring(kNationFolder))),
      past_(Read(folder_ + std::wstring(kPastFolder))) {}

FolderContents::Listing FolderContents::Read(const std::wstring& path) {
    platform::FolderListing listing = platform::ListFolder(path);
    Listing result;
    result.exists = listing.error == ERROR_SUCCESS;
    result.entries = std::move(listing.entries);
    for (size_t i = 0; i < result.entries.size(); ++i) {
        if (!IsFolder(result.entries[i].attributes)) result.files.emplace(NameKey(result.entries[i].name), i);
    }
    return result;
}

const FolderContents::Listing* FolderContents::ListingFor(std::wstring_view folderPart) const {
    if (folderPart.empty()) return &root_;
    if (SameFolderPart(folderPart, kNationFolder)) return &nation_;
    if (SameFolderPart(folderPart, kPastFolder)) return &past_;
    return nullptr;
}

bool FolderContents::HasFile(std::wstring_view relative) const {
    const std::wstring_view folderPart = platform::FolderPart(relative);
    if (const Listing* listing = ListingFor(folderPart)) return listing->files.contains(NameKey(relative.substr(folderPart.size())));
    const DWORD attributes = platform::FileAttributes(folder_ + std::wstring(relative));
    return attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes);
}

bool FolderContents::HasFolder(std::wstring_view folderPart) const {
    if (const Listing* listing = ListingFor(folderPart)) return listing->exists;
    const DWORD attributes = platform::FileAttributes(folder_ + std::wstring(folderPart));
    return attributes != INVALID_FILE_ATTRIBUTES && IsFolder(attributes);
}

ULONGLONG FolderContents::FileSize(std::wstring_view relative) const {
    const std::wstring_view folderPart = platform::FolderPart(relative);
    if (const Listing* listing = ListingFor(folderPart)) {
        const auto found = listing->files.find(NameKey(relative.substr(folderPart.size())));
        return found == listing->files.end() ? 0 : listing->entries[found->second].size;
    }
    return platform::FileSize(folder_ + std::wstring(relative)).value_or(0);
}

std::vector<std::wstring> FolderContents::OrdinaryFiles(std::wstring_view relativePattern) const {
    const std::wstring_view folderPart = platform::FolderPart(relativePattern);
    const std::wstring_view namePattern = relativePattern.substr(folderPart.size());
    std::vector<std::wstring> names;
    const Listing* listing = ListingFor(folderPart);
    if (listing == nullptr) return names;
    for (const platform::FolderEntry& entry : listing->entries) {
        if (platform::IsOrdinaryFile(entry.attributes) && platform::MatchesPattern(entry.name, namePattern))
            names.push_back(std::wstring(folderPart) + entry.name);
    }
    return names;
}

}  // namespace transfer
