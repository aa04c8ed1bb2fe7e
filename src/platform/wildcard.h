#pragma once
// Name matching as the Windows file system does it for long names: case-insensitive,
// "*" any run of characters, "?" one character, and a trailing ".*" that also
// matches names without a dot ("*.*" matches every name).
#include <string_view>

namespace platform {

[[nodiscard]] bool MatchesPattern(std::wstring_view name, std::wstring_view pattern);

// Case-insensitive equality of two names, as the file system compares them.
[[nodiscard]] bool SameName(std::wstring_view a, std::wstring_view b) noexcept;

}  // namespace platform
