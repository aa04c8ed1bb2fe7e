#pragma once
// Real Unix symbolic links made from inside Wine, which shows them to Windows programs
// as junctions and directory links; a link in the prefix's "dosdevices" is a drive letter.
#include <string>

namespace testing_support {

// Where Wine keeps `path` on the Unix side; throws outside Wine.
[[nodiscard]] std::wstring UnixPath(const std::wstring& path);
// The Unix folder of the prefix's drive letters ("r:" in it is drive R:).
[[nodiscard]] std::wstring DriveLetters();
// Where a path leads once links are followed ("" when nothing is there). Wine shows a link
// to a file as a plain file, without the reparse bit, but its handle names the file linked to.
[[nodiscard]] std::wstring FinalPath(const std::wstring& path);

// The Unix symbolic link `link` -> `target` (both Unix paths) while the object lives.
// Only the link goes at the end, never what it names. Throws when it cannot be made.
class UnixLink {
public:
    UnixLink(const std::wstring& target, std::wstring link);
    ~UnixLink();
    UnixLink(const UnixLink&) = delete;
    UnixLink& operator=(const UnixLink&) = delete;

private:
    std::wstring link_;
};

}  // namespace testing_support
