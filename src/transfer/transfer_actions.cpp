#include "transfer/transfer_actions.h"

#include "transfer/transfer_plan.h"

namespace transfer {

namespace {

class Resolver {
public:
    Resolver(const FolderContents& source, const FolderContents& destination)
        : source_(source), destination_(destination) {}

    void Delete(std::wstring_view pattern) {
        const std::vector<std::wstring> matching = destination_.OrdinaryFiles(pattern);
        if (matching.empty()) return;
        Add({ActionKind::DeleteMatching, std::wstring(pattern), matching.size()});
        result_.touchedFiles.insert(result_.touchedFiles.end(), matching.begin(), matching.end());
    }

    // Names the source lacks are left out: absence is not a failure.
    bool Copy(std::wstring name, int series = 0, bool mayBeAbsent = false) {
        if (!source_.HasFile(name)) return false;
        Touch(name);
        Add({ActionKind::Copy, std::move(name), 1, series, mayBeAbsent});
        return true;
    }

    // The destination has the file afterwards: the source's copy, or an empty one.
    // Emptying only when the source lacks it keeps a failed copy from costing the old file.
    void BlankCopy(std::wstring_view name) {
        if (Copy(std::wstring(name))) return;
        Touch(name);
        Add({ActionKind::MakeEmpty, std::wstring(name)});
    }

    void CopyFolder(std::wstring_view folder) {
        for (std::wstring& name : source_.OrdinaryFiles(std::wstring(folder) + L"*")) Copy(std::move(name));
    }

    void Sweep(std::wstring_view ending) {
        for (std::wstring& name : source_.OrdinaryFiles(L"*")) {
            if (name.ends_with(ending)) Copy(std::move(name));
        }
    }

    void Series(const PlanStep& step) {
        for (int number = step.first; number <= step.last; ++number) Copy(SeriesMemberName(step, number));
    }

    void StopAtFirstSeries(const PlanStep& step, int series) {
        for (int number = step.first; number <= step.last; ++number) {
            if (!Copy(SeriesMemberName(step, number), series)) break;
        }
    }

    // A world-file name may point into a subfolder that the source or destination
    // lacks: such a name is skipped like an absent one, not reported.
    void ListedFiles(const std::vector<std::wstring>& names) {
        for (const std::wstring& name : names) Copy(name, 0, !FolderPart(name).empty());
    }

    ResolvedTransfer Take() { return std::move(result_); }

private:
    void Add(TransferAction action) {
        result_.filesPlanned += action.files;
        result_.actions.push_back(std::move(action));
    }

    void Touch(std::wstring_view name) {
        if (destination_.HasFile(name)) result_.touchedFiles.emplace_back(name);
    }

    const FolderContents& source_;
    const FolderContents& destination_;
    ResolvedTransfer result_;
};

}  // namespace

ResolvedTransfer ResolveTransfer(const FolderContents& source, const FolderContents& destination,
                                 std::wstring_view musicFlag, const std::vector<std::wstring>& listedNames) {
    Resolver resolver(source, destination);
    int seriesNumber = 0;
    for (const PlanStep& step : TransferPlanSteps()) {
        switch (step.kind) {
            case StepKind::Delete: resolver.Delete(step.name); break;
            case StepKind::Copy: resolver.Copy(std::wstring(step.name)); break;
            case StepKind::BlankCopy: resolver.BlankCopy(step.name); break;
            case StepKind::CopyFolder: resolver.CopyFolder(step.name); break;
            case StepKind::Sweep: resolver.Sweep(step.name); break;
            case StepKind::MusicSweep:
                if (musicFlag == kMusicOn) resolver.Sweep(step.name);
                break;
            case StepKind::Series: resolver.Series(step); break;
            case StepKind::StopAtFirstSeries: resolver.StopAtFirstSeries(step, ++seriesNumber); break;
            case StepKind::ListedFiles: resolver.ListedFiles(listedNames); break;
        }
    }
    return resolver.Take();
}

}  // namespace transfer
