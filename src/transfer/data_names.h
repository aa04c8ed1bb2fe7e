#pragma once
// Relative names of the data set's files ("nationDATA\a.dat", "face\b.gif"), from
// wherever they come: a world file, a folder listing, a journal. One normaliser and
// one comparison, so that two spellings of one file are one name.
#include <optional>
#include <string>
#include <string_view>

namespace transfer {

// Why a name is not taken as a name of the data set.
enum class NameRefusal {
    None,
    Empty,            // nothing left
    Rooted,           // rooted, or with a drive
    ParentFolder,     // a ".." part, or one Windows trims to it
    BackupOrDefault,  // in the game folder's "Backup" or "Default" folder
    Device,           // a device name (CON, NUL.jpg, COM1.dat, ...)
    Character,        // a control, wildcard or other character no file name may hold
};

struct CheckedName {
    std::wstring name;  // as DataName gives it; "" when refused
    NameRefusal refusal = NameRefusal::None;
};

// DataName, and why it refused.
[[nodiscard]] CheckedName CheckDataName(std::wstring_view name);

// The name as the file system resolves it: "\" between parts, no empty or "." parts,
// each part without the trailing dots and blanks Windows drops. nullopt when the
// name would reach outside the data set (see NameRefusal).
[[nodiscard]] std::optional<std::wstring> DataName(std::wstring_view name);

// Upper-cased with "\" for "/", as the file system folds names before it compares them.
[[nodiscard]] std::wstring NameKey(std::wstring_view name);

// The data set's two folders, which a transfer may create or replace whole.
inline constexpr std::wstring_view kDataFolderNames[] = {L"nationDATA", L"pastDATA"};

}  // namespace transfer
