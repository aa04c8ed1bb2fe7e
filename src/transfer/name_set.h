#pragma once
// A set of file names that compares them as the file system does: case-insensitively.
#include <string>
#include <string_view>
#include <unordered_set>

namespace transfer {

class NameSet {
public:
    void Insert(std::wstring_view name);
    [[nodiscard]] bool Contains(std::wstring_view name) const;

    // Upper-cased with "\" for "/", as the file system folds names before it compares them.
    [[nodiscard]] static std::wstring Key(std::wstring_view name);

private:
    std::unordered_set<std::wstring> keys_;  // upper-cased names
};

}  // namespace transfer
