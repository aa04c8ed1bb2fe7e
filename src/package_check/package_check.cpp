#include "package_check/package_check.h"

#include "platform/file_services.h"
#include "platform/folder_lock.h"
#include "platform/path_names.h"
#include "platform/wildcard.h"
#include "transfer/folder_contents.h"
#include "transfer/listed_files.h"
#include "transfer/staged_change.h"
#include "transfer/transfer_actions.h"
#include "transfer/transfer_plan.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace package_check {

namespace {

using transfer::NameKey;

bool IsFolder(DWORD attributes) noexcept { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

bool EndsWithAny(std::wstring_view name, std::initializer_list<std::wstring_view> endings) {
    return std::any_of(endings.begin(), endings.end(), [name](std::wstring_view ending) {
        return name.size() >= ending.size() && platform::SameName(name.substr(name.size() - ending.size()), ending);
    });
}

Group GroupOf(std::wstring_view name) {
    const std::wstring_view folder = platform::FolderPart(name);
    if (platform::SameName(folder, L"nationDATA\\")) return Group::Nation;
    if (platform::SameName(folder, L"pastDATA\\")) return Group::Past;
    if (folder.empty() && platform::MatchesPattern(name, L"年表*.*")) return Group::Chronology;
    if (EndsWithAny(name, {L"mp3", L"wav"})) return Group::Music;
    if (EndsWithAny(name, {L".jpg", L".gif", L".bmp", L".png"})) return Group::Images;
    return Group::WorldAndData;
}

// What this program or a player's run leaves in a folder, by its name.
std::optional<LeftoverKind> LeftoverOf(std::wstring_view relative, DWORD attributes) {
    const std::wstring_view name = relative.substr(platform::FolderPart(relative).size());
    if (IsFolder(attributes)) {
        if (transfer::IsWorkFolderName(name)) return LeftoverKind::WorkFolder;
        return std::nullopt;
    }
    if (name.size() == relative.size() && platform::SameName(name, L"PathDATA.txt")) return LeftoverKind::SavedPath;
    if (platform::SameName(name, platform::kLockFileName)) return LeftoverKind::Lock;
    if (platform::MatchesPattern(name, transfer::kOldTemporaryPattern)) return LeftoverKind::TemporaryFile;
    return std::nullopt;
}

bool IsExpectedBeside(std::wstring_view relative, std::wstring_view programName) {
    return platform::SameName(relative, kProgramFileName) || platform::SameName(relative, kGuideFileName) ||
           (!programName.empty() && platform::SameName(relative, programName));
}

}  // namespace

PackageCheck CheckPackage(const std::wstring& folder, std::wstring_view programName, UINT ansiCodePage) {
    PackageCheck check;
    // "/check ." names the current folder: the author reads where that was.
    check.folder = platform::AsFolder(platform::FullPathOf(folder.empty() ? L"." : folder));
    const DWORD attributes = platform::FileAttributes(platform::WithoutTrailingSeparators(check.folder));
    check.folderFound = attributes != INVALID_FILE_ATTRIBUTES && IsFolder(attributes);
    if (!check.folderFound) return check;

    // As an Install started in the folder reads it: the world file there, music on.
    const transfer::WorldFile world = transfer::ReadWorldFile(check.folder + std::wstring(transfer::kWorldFileName), ansiCodePage);
    check.worldFileFound = world.exists;
    check.worldFileError = world.error;
    check.worldFileEncoding = platform::DetectEncoding(world.bytes);
    std::vector<std::wstring> listedNames;
    for (const transfer::ListedEntry& entry : world.entries) {
        if (entry.checked.refusal == transfer::NameRefusal::None) {
            listedNames.push_back(entry.checked.name);
        } else {
            check.refused.push_back({entry.line, entry.written, entry.checked.refusal});
        }
    }
    const transfer::FolderContents package(check.folder, {}, transfer::FolderContents::Reach::WholeTree);
    const transfer::ResolvedTransfer plan = transfer::ResolveCarriedFiles(package, transfer::kMusicOn, listedNames);

    std::unordered_set<std::wstring> carried;
    for (const transfer::FileChange& change : plan.changes) {
        if (change.content != transfer::NewContent::Source) continue;
        carried.insert(NameKey(change.name));
        GroupSize& group = check.carried[static_cast<size_t>(GroupOf(change.name))];
        ++group.files;
        group.bytes += change.size;
    }
    std::unordered_map<std::wstring_view, bool> reached;  // by the name as listed, which comes again and again
    for (const transfer::ListedEntry& entry : world.entries) {
        if (entry.checked.refusal != transfer::NameRefusal::None) continue;
        auto found = reached.find(entry.checked.name);
        if (found == reached.end()) found = reached.emplace(entry.checked.name, carried.contains(NameKey(entry.checked.name))).first;
        if (!found->second) check.missing.push_back({entry.line, entry.checked.name});
    }
    for (const transfer::PlanStep& step : transfer::TransferPlanSteps()) {
        const bool fixed = step.kind == transfer::StepKind::Copy || step.kind == transfer::StepKind::BlankCopy;
        if (fixed && !carried.contains(NameKey(step.name))) check.absentFixedNames.emplace_back(step.name);
    }

    std::vector<std::wstring> workFolders;  // what they hold is counted with them
    package.ForEachEntry([&](const std::wstring& relative, const platform::FolderEntry& entry) {
        const std::wstring key = NameKey(relative);
        if (std::any_of(workFolders.begin(), workFolders.end(), [&](const std::wstring& work) { return key.starts_with(work); }))
            return;
        if (const std::optional<LeftoverKind> kind = LeftoverOf(relative, entry.attributes)) {
            const bool isFolder = IsFolder(entry.attributes);
            check.leftovers.push_back({isFolder ? relative + L'\\' : relative, *kind});
            if (isFolder) workFolders.push_back(key + L'\\');
            return;
        }
        if (IsFolder(entry.attributes) || carried.contains(key) || IsExpectedBeside(relative, programName))
            return;
        check.notCarried.push_back(relative);
    });
    // By folder: the package's own files first, then each subfolder's.
    std::stable_sort(check.notCarried.begin(), check.notCarried.end(), [](const std::wstring& a, const std::wstring& b) {
        const std::wstring_view folderA = platform::FolderPart(a), folderB = platform::FolderPart(b);
        if (folderA.empty() != folderB.empty()) return folderA.empty();
        return NameKey(folderA) < NameKey(folderB);
    });
    return check;
}

bool WorldFileTextIsWrong(const PackageCheck& check) noexcept {
    return check.worldFileError != ERROR_SUCCESS || (check.worldFileEncoding != platform::TextEncoding::Ascii &&
                                                     check.worldFileEncoding != platform::TextEncoding::ShiftJis);
}

bool HasFindings(const PackageCheck& check) noexcept {
    return !check.folderFound || !check.missing.empty() || !check.refused.empty() || WorldFileTextIsWrong(check) ||
           !check.notCarried.empty() || !check.leftovers.empty();
}

}  // namespace package_check
