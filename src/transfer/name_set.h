#pragma once
// A set of file names that compares them as the file system does: case-insensitively.
#include <string>
#include <string_view>
#include <unordered_set>

namespace transfer {

class NameSet {
public:
    void Insert(std::wstring_view name);
    void Erase(std::wstring_view name);
    [[nodiscard]] bool Contains(std::wstring_view name) const;

private:
    std::unordered_set<std::wstring> keys_;  // upper-cased names
};

}  // namespace transfer
