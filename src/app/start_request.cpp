#include "app/start_request.h"

#include "platform/wildcard.h"

#include <vector>

namespace app {

namespace {

std::vector<std::wstring> Split(std::wstring_view line) {
    std::vector<std::wstring> arguments;
    std::wstring current;
    bool quoted = false;
    bool any = false;
    for (const wchar_t c : line) {
        if (c == L'"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == L' ' || c == L'\t')) {
            if (any) arguments.push_back(std::move(current));
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any) arguments.push_back(std::move(current));
    return arguments;
}

}  // namespace

StartRequest StartRequestFrom(std::wstring_view arguments, const std::wstring& programFolder) {
    const std::vector<std::wstring> words = Split(arguments);
    if (words.empty()) return {};
    if (platform::SameName(words[0], L"/check")) return {true, words.size() > 1 ? words[1] : programFolder};
    return {true, words[0]};
}

}  // namespace app
