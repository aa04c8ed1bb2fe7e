#include "transfer/transfer_checks.h"

#include "transfer/transfer_plan.h"

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

std::vector<std::wstring> FilesInUse(const std::wstring& destination, const std::vector<std::wstring>& touchedFiles) {
    std::vector<std::wstring> inUse;
    NameSet checked;
    for (const std::wstring& name : touchedFiles) {
        if (checked.Contains(name)) continue;
        checked.Insert(name);
        if (platform::IsFileInUse(destination + name)) inUse.push_back(name);
    }
    return inUse;
}

}  // namespace transfer
