#pragma once
// The fixed plan by which one data set of the game is carried from a source folder
// to a destination folder, as constant data in the order it runs.
#include <span>
#include <string>
#include <string_view>

namespace transfer {

enum class StepKind {
    Delete,            // delete the destination's ordinary files matching `name`
    Copy,              // copy `name` from source to destination
    BlankCopy,         // destination `name` exists afterwards: the source's copy, or empty
    CopyFolder,        // copy every ordinary file of subfolder `name` ("x\")
    Sweep,             // copy the source's files whose names end in `name` (case-sensitive)
    MusicSweep,        // as Sweep, only when the music flag is exactly "on"
    Series,            // copy `name` + number + `suffix` for first..last; failures skipped
    StopAtFirstSeries, // as Series, but the first failing member ends the series
    ListedFiles,       // the extra files the world file names
};

struct PlanStep {
    StepKind kind;
    std::wstring_view name;
    // Numbered series only.
    int first = 0;
    int last = 0;
    int digits = 0;
    std::wstring_view suffix = {};
};

[[nodiscard]] std::span<const PlanStep> TransferPlanSteps() noexcept;

// "kosei" + 7 (2 digits) + ".dat" -> "kosei07.dat".
[[nodiscard]] std::wstring SeriesMemberName(const PlanStep& step, int number);

// True when the plan may carry the file of this relative name (as DataName gives
// it): a file of nationDATA or pastDATA, one the plan names or sweeps, or one a
// world file may list.
[[nodiscard]] bool IsDataSetName(std::wstring_view name);

// The music flag that turns on the mp3 sweep; nothing else does.
inline constexpr std::wstring_view kMusicOn = L"on";

// The world file: read from the folder the program runs in, and carried as a data file.
inline constexpr std::wstring_view kWorldFileName = L"zeloworld.dat";

}  // namespace transfer
