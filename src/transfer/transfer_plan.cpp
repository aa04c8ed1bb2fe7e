#include "transfer/transfer_plan.h"

#include "platform/path_names.h"
#include "platform/wildcard.h"
#include "transfer/listed_files.h"

#include <array>

namespace transfer {

namespace {

using enum StepKind;

// Showing and closing the busy window come before and after these rows: they are
// the observer's OnStarted and OnFinished.
constexpr std::array kPlan{
    PlanStep{Delete, L"年表*.*"},
    PlanStep{Delete, L"touroku.dat"},
    PlanStep{Delete, L"nationDATA\\*.*"},
    PlanStep{CopyFolder, L"nationDATA\\"},
    PlanStep{Delete, L"pastDATA\\*.*"},
    PlanStep{CopyFolder, L"pastDATA\\"},
    PlanStep{MusicSweep, L"mp3"},
    PlanStep{Sweep, L"wav"},
    PlanStep{Sweep, L"jpg"},
    PlanStep{Series, L"kosei", 1, 99, 2, L".dat"},
    PlanStep{Delete, L"habatuzu.dat"},
    PlanStep{Copy, L"habatuzu.dat"},
    PlanStep{Copy, L"back4.jpg"},
    PlanStep{Copy, L"back5.jpg"},
    PlanStep{Copy, L"back6.jpg"},
    PlanStep{Copy, L"back7.jpg"},
    PlanStep{Copy, L"BALANCE.DAT"},
    PlanStep{Copy, L"touroku.dat"},
    PlanStep{StopAtFirstSeries, L"kosei", 0, 99, 2, L".dat"},  // CopyNumberedScenarioFiles
    PlanStep{Copy, L"zelomp3.txt"},
    PlanStep{Copy, L"SWAIT.DAT"},
    PlanStep{Copy, L"mainbutai2.jpg"},
    PlanStep{Copy, L"taizin_riyuu.txt"},
    PlanStep{Copy, L"namedata.dat"},
    PlanStep{Copy, L"parameita.jpg"},
    PlanStep{Copy, L"PersonalName.dat"},
    PlanStep{Copy, L"zeloworld.dat"},
    PlanStep{Copy, L"sansyo.dat"},
    PlanStep{Copy, L"totinamedata.dat"},
    PlanStep{Copy, L"FrontBack.dat"},
    PlanStep{Copy, L"keireki.txt"},
    PlanStep{Copy, L"MAINDATA.DAT"},
    PlanStep{Copy, L"RANDidx.dat"},
    PlanStep{BlankCopy, L"Sison.dat"},
    PlanStep{BlankCopy, L"taizin_log.txt"},
    PlanStep{Copy, L"TaizinDead.dat"},
    PlanStep{BlankCopy, L"syo_list.dat"},
    PlanStep{BlankCopy, L"TaizinNow.dat"},
    PlanStep{Copy, L"testmap.dat"},
    PlanStep{BlankCopy, L"yazirusi.dat"},
    PlanStep{Copy, L"SmallMap.bmp"},
    PlanStep{Copy, L"MAPDATA.dat"},
    PlanStep{StopAtFirstSeries, L"年表", 1, 9, 1, L".txt"},  // CopyChronologyFiles
    PlanStep{ListedFiles, L""},                              // CopyListedFiles
};

}  // namespace

std::span<const PlanStep> TransferPlanSteps() noexcept { return kPlan; }

bool IsDataSetName(std::wstring_view name) {
    if (HasListedEnding(name)) return true;
    const std::wstring_view folder = platform::FolderPart(name);
    const std::wstring_view file = name.substr(folder.size());
    if (!folder.empty()) {
        return platform::SameName(folder, L"nationDATA\\") || platform::SameName(folder, L"pastDATA\\");
    }
    for (const PlanStep& step : kPlan) {
        switch (step.kind) {
            case Delete:
            case Copy:
            case BlankCopy:
                if (platform::MatchesPattern(file, step.name)) return true;
                break;
            case Sweep:
            case MusicSweep:
                if (file.ends_with(step.name)) return true;
                break;
            default: break;  // the series name ".dat" and ".txt" files, which a world file may list too
        }
    }
    return false;
}

std::wstring SeriesMemberName(const PlanStep& step, int number) {
    std::wstring digits = std::to_wstring(number);
    if (digits.size() < static_cast<size_t>(step.digits)) digits.insert(0, static_cast<size_t>(step.digits) - digits.size(), L'0');
    std::wstring name(step.name);
    name += digits;
    name += step.suffix;
    return name;
}

}  // namespace transfer
