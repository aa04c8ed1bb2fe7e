#include "transfer/transfer_checks.h"

#include "platform/path_names.h"
#include "transfer/transfer_plan.h"

#include <algorithm>

namespace transfer {

namespace {

bool HasAnyNamedFile(const FolderContents& source, const PlanStep& step) {
    switch (step.kind) {
        case StepKind::Copy:
        case StepKind::BlankCopy: return source.HasFile(step.name);
        case StepKind::Series:
        case StepKind::StopAtFirstSeries:
            for (int number = step.first; number <= step.last; ++number) {
                if (source.HasFile(SeriesMemberName(step, number))) return true;
            }
            return false;
        default: return false;
    }
}

}  // namespace

std::optional<Obstacle> FolderObstacle(const std::wstring& folder, bool dataFoldersToo) {
    const auto check = [](const std::wstring& path) -> std::optional<Obstacle> {
        // Without its trailing separator: with one, the system looks through a link.
        const std::wstring shown = platform::WithoutTrailingSeparators(path);
        const DWORD attributes = platform::FileAttributes(shown);
        if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Obstacle{Obstacle::Kind::Link, {shown}};
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Obstacle{Obstacle::Kind::NotFolder, {shown}};
        return std::nullopt;
    };
    if (std::optional<Obstacle> found = check(folder)) return found;
    for (const std::wstring_view name : kDataFolderNames) {
        if (!dataFoldersToo) break;
        if (std::optional<Obstacle> found = check(folder + std::wstring(name))) return found;
    }
    return std::nullopt;
}

std::optional<Obstacle> CaseTwinsIn(const std::wstring& folder, const FolderContents& contents) {
    const auto twins = contents.CaseTwins();
    if (!twins) return std::nullopt;
    return Obstacle{Obstacle::Kind::CaseTwins, {folder + twins->first, folder + twins->second}};
}

bool HoldsDataSet(const FolderContents& source) {
    if (!source.Exists()) return false;
    if (!source.OrdinaryFiles(L"nationDATA\\*").empty() || !source.OrdinaryFiles(L"pastDATA\\*").empty()) return true;
    for (const PlanStep& step : TransferPlanSteps()) {
        if (HasAnyNamedFile(source, step)) return true;
    }
    return false;
}

DestinationFileCheck CheckDestinationFiles(const std::wstring& destination, const std::wstring& overlay,
                                           const ResolvedTransfer& plan) {
    constexpr DWORD kProtected = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    constexpr int kInUseRetries = 10;
    struct Held {
        std::wstring name;
        std::wstring path;
    };
    DestinationFileCheck check;
    std::vector<Held> held;
    platform::DirectReach reach;
    const auto look = [&](const std::wstring& name, const std::wstring& path) {
        const DWORD attributes = platform::FileAttributes(path);
        // Windows refuses to overwrite these; Wine running as root would not, so we look.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kProtected)) {
            check.refused.push_back({name, ERROR_ACCESS_DENIED});
            return;
        }
        const platform::ErrorCode error = platform::DeleteAccessError(path, reach);
        if (error == platform::kLinkInTheWay) {
            if (!check.obstacle) check.obstacle = Obstacle{Obstacle::Kind::Link, {path}};
        } else if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
            held.push_back({name, path});
        } else if (error != ERROR_SUCCESS) {
            check.refused.push_back({name, error});
        }
    };
    for (const FileChange& change : plan.changes) {
        if (change.replacesExisting) look(change.name, destination + change.name);
        if (change.replacesOverlay) look(change.name, overlay + change.name);
    }
    for (const std::wstring& folder : plan.blockedFolders) {
        if (!check.obstacle) check.obstacle = Obstacle{Obstacle::Kind::NotFolder, {destination + folder}};
    }
    for (int attempt = 1; attempt < kInUseRetries && !held.empty(); ++attempt) {
        ::Sleep(100);
        std::erase_if(held, [&reach](const Held& file) {
            const platform::ErrorCode error = platform::DeleteAccessError(file.path, reach);
            return error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION;
        });
    }
    for (Held& file : held) check.inUse.push_back(std::move(file.name));
    return check;
}

ULONGLONG BytesShort(const std::wstring& destination, const ResolvedTransfer& plan) {
    // Each new file takes whole clusters, and the journal and folder entries a little more.
    const ULONGLONG cluster = std::max<ULONGLONG>(platform::ClusterBytes(destination).value_or(4096), 512);
    ULONGLONG needed = 64 * 1024 + 4 * cluster;
    for (const FileChange& change : plan.changes) {
        if (change.content != NewContent::None) needed += (change.size + cluster - 1) / cluster * cluster + cluster;
    }
    const std::optional<ULONGLONG> free = platform::FreeBytes(destination);
    return free && *free < needed ? needed - *free : 0;
}

}  // namespace transfer
