#pragma once
// What an Install from a package folder would carry, and what it would silently miss,
// found by the very resolution the Install runs. The check only reads.
#include "platform/text_file.h"
#include "transfer/data_names.h"

#include <array>
#include <string>
#include <vector>

namespace package_check {

// Expected beside a package's data: the utility and its guide.
inline constexpr std::wstring_view kProgramFileName = L"TorvanelInstaller.exe";
inline constexpr std::wstring_view kGuideFileName = L"使い方.txt";

struct ListedName {
    size_t line = 0;    // in the world file, from 1
    std::wstring name;  // as the Install looks for it
};

struct RefusedName {
    size_t line = 0;
    std::wstring written;  // after the colon, as the Install reads it
    transfer::NameRefusal refusal = transfer::NameRefusal::None;
};

// Things of a player's or of this program's that a package must not carry.
enum class LeftoverKind { SavedPath, WorkFolder, Lock, TemporaryFile };
struct Leftover {
    std::wstring name;  // relative; a folder ends in "\"
    LeftoverKind kind = LeftoverKind::SavedPath;
};

// How the carried files are counted for the author.
enum class Group { Nation, Past, Chronology, WorldAndData, Images, Music };
inline constexpr size_t kGroupCount = 6;
struct GroupSize {
    size_t files = 0;
    ULONGLONG bytes = 0;
};

struct PackageCheck {
    std::wstring folder;  // ends in "\"
    bool folderFound = false;
    bool worldFileFound = false;
    platform::ErrorCode worldFileError = ERROR_SUCCESS;  // it exists but cannot be read
    platform::TextEncoding worldFileEncoding = platform::TextEncoding::Ascii;
    std::vector<ListedName> missing;      // listed, but no such file in the package
    std::vector<RefusedName> refused;     // listed, but refused as a name of the data set
    std::vector<std::wstring> notCarried;  // files no Install carries, by folder
    std::vector<Leftover> leftovers;
    std::array<GroupSize, kGroupCount> carried{};
    std::vector<std::wstring> absentFixedNames;  // the plan's fixed names the package lacks
};

// Checks the package folder as an Install started from it would read it. `programName`
// is the running program's file name, expected in the folder like kProgramFileName.
[[nodiscard]] PackageCheck CheckPackage(const std::wstring& folder, std::wstring_view programName = {},
                                        UINT ansiCodePage = ::GetACP());

// True when the world file is not plain Shift-JIS or ASCII text (or cannot be read).
[[nodiscard]] bool WorldFileTextIsWrong(const PackageCheck& check) noexcept;

// True when something would make an Install incomplete or carry what it must not.
[[nodiscard]] bool HasFindings(const PackageCheck& check) noexcept;

}  // namespace package_check
