#include "stopwatch.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace bench {

void PumpingSleep(DWORD ms) {
    const Stopwatch watch;
    for (double left = ms; left > 0; left = ms - watch.ElapsedMs()) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left) + 1, QS_ALLINPUT);
    }
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

std::wstring Spread(const std::vector<double>& values, int decimals) {
    if (values.empty()) return L"-";
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    wchar_t text[96];
    std::swprintf(text, std::size(text), L"min %.*f / median %.*f / max %.*f", decimals, *low, decimals, Median(values),
                  decimals, *high);
    return text;
}

}  // namespace bench
