#include "transfer/folder_contents.h"

#include "platform/wildcard.h"

namespace transfer {

namespace {

constexpr std::wstring_view kNationFolder = L"nationDATA\\";
constexpr std::wstring_view kPastFolder = L"pastDATA\\";

bool IsFolder(DWORD attributes) noexcept { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool IsFileAt(const std::wstring& path) {
    const DWORD attributes = platform::FileAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !IsFolder(attributes);
}

// "nationDATA/" and "NATIONdata\" name the same folder as "nationDATA\".
bool SameFolderPart(std::wstring_view a, std::wstring_view b) noexcept {
    return a.size() == b.size() && platform::SameName(a.substr(0, a.size() - 1), b.substr(0, b.size() - 1));
}

std::wstring In(const std::wstring& folder, std::wstring_view sub) { return folder.empty() ? folder : folder + std::wstring(sub); }

}  // namespace

FolderContents::FolderContents(std::wstring folder, std::wstring overlay, Reach reach)
    : folder_(std::move(folder)),
      overlay_(std::move(overlay)),
      root_(Read(folder_, overlay_, {})),
      nation_(Read(folder_ + std::wstring(kNationFolder), In(overlay_, kNationFolder), kNationFolder)),
      past_(Read(folder_ + std::wstring(kPastFolder), In(overlay_, kPastFolder), kPastFolder)) {
    if (reach == Reach::WholeTree) ListSubfolders(root_, {});
}

// Links are not entered: what lies beyond one is looked up on disk, as without the tree.
void FolderContents::ListSubfolders(const Listing& listing, const std::wstring& folderPart) {
    for (const Entry& entry : listing.entries) {
        const DWORD attributes = entry.entry.attributes;
        if (!entry.own || !IsFolder(attributes) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        const std::wstring part = folderPart + entry.entry.name + L'\\';
        const Listing* sub = folderPart.empty() ? ListingFor(part) : nullptr;
        if (sub == nullptr) {
            // References into an unordered_map stay valid as it grows.
            sub = &(deeper_[NameKey(part)] = Read(folder_ + part, {}, part));
        }
        subfolders_.emplace_back(part, sub);
        ListSubfolders(*sub, part);
    }
}

const FolderContents::Entry* FolderContents::FindDeeper(std::wstring_view relative) const {
    if (deeper_.empty()) return nullptr;
    const std::wstring_view folderPart = platform::FolderPart(relative);
    const auto listing = deeper_.find(NameKey(folderPart));
    if (listing == deeper_.end()) return nullptr;
    const auto found = listing->second.files.find(NameKey(relative.substr(folderPart.size())));
    return found == listing->second.files.end() ? nullptr : &listing->second.entries[found->second];
}

std::optional<bool> FolderContents::InTree(std::wstring_view relative) const {
    if (FindDeeper(relative) != nullptr) return true;
    const std::wstring_view folderPart = platform::FolderPart(relative);
    // The file system also finds a file by its short name ("FACE~1.GIF"), which no
    // listing shows: such a name is looked up on disk, as without the tree.
    if (deeper_.contains(NameKey(folderPart)) && relative.substr(folderPart.size()).find(L'~') == std::wstring_view::npos)
        return false;
    return std::nullopt;
}

void FolderContents::ForEachEntry(
    const std::function<void(const std::wstring& relative, const platform::FolderEntry&)>& visit) const {
    for (const Entry& entry : root_.entries) {
        if (entry.own) visit(entry.entry.name, entry.entry);
    }
    for (const auto& [part, listing] : subfolders_) {
        for (const Entry& entry : listing->entries) {
            if (entry.own) visit(part + entry.entry.name, entry.entry);
        }
    }
}

FolderContents::Listing FolderContents::Read(const std::wstring& path, const std::wstring& overlayPath,
                                             std::wstring_view folderPart) {
    Listing result;
    platform::FolderListing own = platform::ListFolder(path);
    result.exists = own.error == ERROR_SUCCESS;
    std::unordered_map<std::wstring, size_t> names;  // every own entry's key
    for (platform::FolderEntry& entry : own.entries) {
        const auto [found, added] = names.emplace(NameKey(entry.name), result.entries.size());
        if (!added && !result.twins) {
            result.twins.emplace(std::wstring(folderPart) + result.entries[found->second].entry.name,
                                 std::wstring(folderPart) + entry.name);
        }
        if (!IsFolder(entry.attributes)) result.files.emplace(NameKey(entry.name), result.entries.size());
        result.entries.push_back({std::move(entry), true, false});
    }
    if (overlayPath.empty()) return result;
    for (platform::FolderEntry& entry : platform::ListFolder(overlayPath).entries) {
        if (IsFolder(entry.attributes)) continue;
        const auto [found, added] = result.files.emplace(NameKey(entry.name), result.entries.size());
        if (added) {
            result.entries.push_back({std::move(entry), false, true});
        } else {
            Entry& merged = result.entries[found->second];
            merged.entry = std::move(entry);
            merged.overlay = true;
        }
    }
    return result;
}

const FolderContents::Listing* FolderContents::ListingFor(std::wstring_view folderPart) const {
    if (folderPart.empty()) return &root_;
    if (SameFolderPart(folderPart, kNationFolder)) return &nation_;
    if (SameFolderPart(folderPart, kPastFolder)) return &past_;
    return nullptr;
}

const FolderContents::Entry* FolderContents::Find(std::wstring_view relative) const {
    const std::wstring_view folderPart = platform::FolderPart(relative);
    const Listing* listing = ListingFor(folderPart);
    if (listing == nullptr) return nullptr;
    const auto found = listing->files.find(NameKey(relative.substr(folderPart.size())));
    return found == listing->files.end() ? nullptr : &listing->entries[found->second];
}

bool FolderContents::HasOwnFile(std::wstring_view relative) const {
    if (ListingFor(platform::FolderPart(relative))) {
        const Entry* entry = Find(relative);
        return entry && entry->own;
    }
    if (const std::optional<bool> listed = InTree(relative)) return *listed;
    return IsFileAt(folder_ + std::wstring(relative));
}

bool FolderContents::HasOverlayFile(std::wstring_view relative) const {
    if (overlay_.empty()) return false;
    if (ListingFor(platform::FolderPart(relative))) {
        const Entry* entry = Find(relative);
        return entry && entry->overlay;
    }
    return IsFileAt(overlay_ + std::wstring(relative));
}

std::wstring FolderContents::PathOf(std::wstring_view relative) const {
    return (HasOverlayFile(relative) ? overlay_ : folder_) + std::wstring(relative);
}

bool FolderContents::HasFolder(std::wstring_view folderPart) const {
    if (const Listing* listing = ListingFor(folderPart)) return listing->exists;
    const DWORD attributes = platform::FileAttributes(folder_ + std::wstring(folderPart));
    return attributes != INVALID_FILE_ATTRIBUTES && IsFolder(attributes);
}

std::optional<FolderContents::PlainFolder> FolderContents::PlainFolderOf(std::wstring_view folderPart) const {
    const Listing* listing = ListingFor(folderPart);
    if (listing == nullptr || folderPart.empty() || !listing->exists) return std::nullopt;
    PlainFolder plain;
    for (const Entry& entry : root_.entries) {
        const DWORD attributes = entry.entry.attributes;
        if (entry.own && IsFolder(attributes) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            platform::SameName(entry.entry.name, folderPart.substr(0, folderPart.size() - 1)))
            plain.name = entry.entry.name;
    }
    if (plain.name.empty()) return std::nullopt;
    for (const Entry& entry : listing->entries) {
        if (!entry.own) continue;
        if (!platform::IsOrdinaryFile(entry.entry.attributes)) return std::nullopt;
        ++plain.files;
    }
    return plain;
}

std::optional<std::pair<std::wstring, std::wstring>> FolderContents::CaseTwins() const {
    for (const Listing* listing : {&root_, &nation_, &past_}) {
        if (listing->twins) return listing->twins;
    }
    return std::nullopt;
}

ULONGLONG FolderContents::FileSize(std::wstring_view relative) const {
    if (ListingFor(platform::FolderPart(relative))) {
        const Entry* entry = Find(relative);
        return entry ? entry->entry.size : 0;
    }
    if (const Entry* entry = FindDeeper(relative); entry != nullptr && !HasOverlayFile(relative)) return entry->entry.size;
    return platform::FileSize(PathOf(relative)).value_or(0);
}

std::vector<std::wstring> FolderContents::OrdinaryFiles(std::wstring_view relativePattern) const {
    const std::wstring_view folderPart = platform::FolderPart(relativePattern);
    const std::wstring_view namePattern = relativePattern.substr(folderPart.size());
    std::vector<std::wstring> names;
    const Listing* listing = ListingFor(folderPart);
    if (listing == nullptr) return names;
    for (const Entry& entry : listing->entries) {
        if (platform::IsOrdinaryFile(entry.entry.attributes) && platform::MatchesPattern(entry.entry.name, namePattern))
            names.push_back(std::wstring(folderPart) + entry.entry.name);
    }
    return names;
}

}  // namespace transfer
