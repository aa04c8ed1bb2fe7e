#include "transfer/name_set.h"

#include <windows.h>

namespace transfer {

std::wstring NameSet::Key(std::wstring_view name) {
    std::wstring key(name);
    for (wchar_t& c : key) {
        if (c == L'/') c = L'\\';
    }
    if (!key.empty()) ::CharUpperBuffW(key.data(), static_cast<DWORD>(key.size()));
    return key;
}

void NameSet::Insert(std::wstring_view name) { keys_.insert(Key(name)); }

bool NameSet::Contains(std::wstring_view name) const { return keys_.contains(Key(name)); }

}  // namespace transfer
