#include "transfer/name_set.h"

#include <windows.h>

namespace transfer {

namespace {

// Upper-cased, as the file system folds names before it compares them.
std::wstring Key(std::wstring_view name) {
    std::wstring key(name);
    if (!key.empty()) ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

}  // namespace

void NameSet::Insert(std::wstring_view name) { keys_.insert(Key(name)); }

void NameSet::Erase(std::wstring_view name) { keys_.erase(Key(name)); }

bool NameSet::Contains(std::wstring_view name) const { return keys_.contains(Key(name)); }

}  // namespace transfer
