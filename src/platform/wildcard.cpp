#include "platform/wildcard.h"

#include <windows.h>

namespace platform {

namespace {

wchar_t Fold(wchar_t c) noexcept {
    // CharUpperW on a single character: the file system's case-insensitive compare
    // is an upper-case table lookup, which this mirrors closely enough for names.
    return static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(::CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(c)))));
}

// Plain glob with "*" and "?", iterative with one backtrack point.
bool Glob(std::wstring_view name, std::wstring_view pattern) noexcept {
    size_t n = 0, p = 0;
    size_t starP = std::wstring_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == L'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == L'?' || Fold(pattern[p]) == Fold(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::wstring_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == L'*') ++p;
    return p == pattern.size();
}

}  // namespace

bool MatchesPattern(std::wstring_view name, std::wstring_view pattern) {
    if (Glob(name, pattern)) return true;
    // A trailing ".*" also matches names without an extension ("年表*.*" matches "年表").
    if (pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == L".*")
        return name.find(L'.') == std::wstring_view::npos && Glob(name, pattern.substr(0, pattern.size() - 2));
    return false;
}

bool SameName(std::wstring_view a, std::wstring_view b) noexcept {
    if (a.size() != b.size()) return false;
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

}  // namespace platform
