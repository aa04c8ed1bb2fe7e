#pragma once
// Package folders and game folders as a player has them, written into temporary folders,
// and whole-folder snapshots to compare before and after an operation.
#include <initializer_list>
#include <map>
#include <string>
#include <string_view>

namespace e2e {

// Relative path ("nationDATA\a.dat") -> content.
using FileSet = std::map<std::wstring, std::string>;

// A world/scenario data package: what Install carries, with a Shift-JIS world file
// naming two extra files, music, and files of both numbered series.
[[nodiscard]] FileSet PackageData();
// A game folder with an older data set installed: the executable stand-in, the data
// files of the fixed plan, the extra files the package's world file names, and a
// player's file that no operation touches.
[[nodiscard]] FileSet InstalledGame();
// The data files of a game folder like InstalledGame() that a Backup carries when
// started from a PackageData() folder (no executable, no music, no player's file).
[[nodiscard]] FileSet BackedUpPart(const FileSet& game);

void WriteFiles(const std::wstring& folder, const FileSet& files);
// Every file under `folder`, recursively, with its content.
[[nodiscard]] FileSet FilesUnder(const std::wstring& folder);
// Only the files of `all` under `subfolder\` (relative to that subfolder), or outside every `excluded\`.
[[nodiscard]] FileSet Within(const FileSet& all, std::wstring_view subfolder);
[[nodiscard]] FileSet Without(const FileSet& all, std::initializer_list<std::wstring_view> excludedFolders);

// Text in the ANSI code page 932, as the program's text files hold it.
[[nodiscard]] std::string Ansi(std::wstring_view text);
// "PathDATA.txt" in `folder`, naming `gameFolder`, as the program writes it.
void WriteSavedPath(const std::wstring& folder, const std::wstring& gameFolder);

// Readable listing of a file set's differences, for failure messages.
[[nodiscard]] std::string Differences(const FileSet& expected, const FileSet& actual);

}  // namespace e2e
