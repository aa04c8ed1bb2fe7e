#include "transfer/transfer_actions.h"

#include "platform/path_names.h"
#include "transfer/transfer_plan.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace transfer {

namespace {


// Runs the plan in order against the two listings, keeping for every destination
// file only its last state: the plan deletes before it copies, and names some
// files twice ("jpg" sweep and "back4.jpg", the two kosei series). Without a
// destination, it is a game folder with none of the data set's files and every
// subfolder the names need.
class Resolver {
public:
    Resolver(const FolderContents& source, const FolderContents* destination)
        : source_(source), destination_(destination) {}

    void Delete(std::wstring_view pattern) {
        if (destination_ == nullptr) return;
        for (std::wstring& name : destination_->OrdinaryFiles(pattern)) Set(std::move(name), NewContent::None);
    }

    // Names the source lacks are left out: absence is not a failure.
    bool Copy(std::wstring name) {
        if (!source_.HasFile(name) || !DestinationFolderWillExist(name)) return false;
        Set(std::move(name), NewContent::Source);
        return true;
    }

    // The destination has the file afterwards: the source's copy, or an empty one.
    void BlankCopy(std::wstring_view name) {
        if (!Copy(std::wstring(name))) Set(std::wstring(name), NewContent::Empty);
    }

    void CopyFolder(std::wstring_view folder) {
        std::vector<std::wstring> names = source_.OrdinaryFiles(std::wstring(folder) + L"*");
        if (!names.empty() && destination_ != nullptr && !destination_->HasFolder(folder)) {
            result_.foldersToCreate.emplace_back(folder.substr(0, folder.size() - 1));
            willExist_.emplace_back(folder);
        }
        for (std::wstring& name : names) Copy(std::move(name));
    }

    void Sweep(std::wstring_view ending) {
        for (std::wstring& name : source_.OrdinaryFiles(L"*")) {
            // "NUL.jpg" names a device, not a file, wherever it is.
            if (name.ends_with(ending) && !platform::IsReservedDeviceName(name)) Copy(std::move(name));
        }
    }

    void Series(const PlanStep& step, bool stopAtFirst) {
        for (int number = step.first; number <= step.last; ++number) {
            if (!Copy(SeriesMemberName(step, number)) && stopAtFirst) break;
        }
    }

    // A world file names many files again and again; copying one name twice changes nothing.
    void ListedFiles(const std::vector<std::wstring>& names) {
        std::unordered_set<std::wstring_view> seen;
        for (const std::wstring& name : names) {
            if (seen.insert(name).second) Copy(name);
        }
    }

    ResolvedTransfer Take() {
        for (FileChange& change : result_.changes) {
            if (change.content == NewContent::Source) {
                change.size = source_.FileSize(change.name);
                change.fromOverlay = source_.HasOverlayFile(change.name);
                ++result_.filesToCopy;
            }
            result_.overlayInvolved = result_.overlayInvolved || change.fromOverlay || change.replacesOverlay;
        }
        for (const std::wstring_view name : kDataFolderNames) {
            if (destination_ == nullptr) break;
            const std::wstring folder = std::wstring(name) + L'\\';
            const std::optional<FolderContents::PlainFolder> plain = destination_->PlainFolderOf(folder);
            if (!plain) continue;
            size_t replaced = 0;
            for (const FileChange& change : result_.changes) {
                if (change.replacesExisting && NameKey(platform::FolderPart(change.name)) == NameKey(folder)) ++replaced;
            }
            if (replaced == plain->files) result_.wholeFolders.push_back(plain->name);
        }
        return std::move(result_);
    }

private:
    void Set(std::wstring name, NewContent content) {
        const std::wstring key = NameKey(name);
        if (const auto found = index_.find(key); found != index_.end()) {
            result_.changes[found->second].content = content;
            return;
        }
        const bool exists = destination_ != nullptr && destination_->HasOwnFile(name);
        const bool inOverlay = destination_ != nullptr && destination_->HasOverlayFile(name);
        if (!exists && !inOverlay && content == NewContent::None) return;
        index_.emplace(key, result_.changes.size());
        result_.changes.push_back({std::move(name), content, exists, inOverlay});
    }

    // A listed file whose subfolder the destination lacks is skipped, unless the
    // transfer creates that folder.
    bool DestinationFolderWillExist(std::wstring_view name) {
        const std::wstring_view folder = platform::FolderPart(name);
        if (folder.empty() || destination_ == nullptr || destination_->HasFolder(folder)) return true;
        for (const std::wstring& created : willExist_) {
            if (NameKey(created) == NameKey(folder)) return true;
        }
        const std::wstring_view bare = folder.substr(0, folder.size() - 1);
        if (destination_->HasOwnFile(bare) &&
            std::none_of(result_.blockedFolders.begin(), result_.blockedFolders.end(),
                         [&](const std::wstring& known) { return NameKey(known) == NameKey(bare); }))
            result_.blockedFolders.emplace_back(bare);
        return false;
    }

    const FolderContents& source_;
    const FolderContents* destination_;
    ResolvedTransfer result_;
    std::unordered_map<std::wstring, size_t> index_;  // name key -> its change
    std::vector<std::wstring> willExist_;
};

ResolvedTransfer Resolve(const FolderContents& source, const FolderContents* destination, std::wstring_view musicFlag,
                         const std::vector<std::wstring>& listedNames) {
    Resolver resolver(source, destination);
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
            case StepKind::Series: resolver.Series(step, false); break;
            case StepKind::StopAtFirstSeries: resolver.Series(step, true); break;
            case StepKind::ListedFiles: resolver.ListedFiles(listedNames); break;
        }
    }
    return resolver.Take();
}

}  // namespace

ResolvedTransfer ResolveTransfer(const FolderContents& source, const FolderContents& destination,
                                 std::wstring_view musicFlag, const std::vector<std::wstring>& listedNames) {
    return Resolve(source, &destination, musicFlag, listedNames);
}

ResolvedTransfer ResolveCarriedFiles(const FolderContents& source, std::wstring_view musicFlag,
                                     const std::vector<std::wstring>& listedNames) {
    return Resolve(source, nullptr, musicFlag, listedNames);
}

}  // namespace transfer
