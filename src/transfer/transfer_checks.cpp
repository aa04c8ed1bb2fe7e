#include "transfer/transfer_checks.h"

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
    const auto look = [&](const std::wstring& name, const std::wstring& path) {
        const DWORD attributes = platform::FileAttributes(path);
        // Windows refuses to overwrite these; Wine running as root would not, so we look.
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kProtected)) {
            check.refused.push_back({name, ERROR_ACCESS_DENIED});
            return;
        }
        const platform::ErrorCode error = platform::DeleteAccessError(path);
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
            held.push_back({name, path});
        } else if (error != ERROR_SUCCESS) {
            check.refused.push_back({name, error});
        }
    };
    for (const FileChange& change : plan.changes) {
        if (change.replacesExisting) look(change.name, destination + change.name);
        if (change.replacesOverlay) look(change.name, overlay + change.name);
    }
    for (int attempt = 1; attempt < kInUseRetries && !held.empty(); ++attempt) {
        ::Sleep(100);
        std::erase_if(held, [](const Held& file) {
            const platform::ErrorCode error = platform::DeleteAccessError(file.path);
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
