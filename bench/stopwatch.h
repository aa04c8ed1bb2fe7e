#pragma once
// Wall-clock timing for the benchmark's figures.
#include <windows.h>

#include <string>
#include <vector>

namespace bench {

class Stopwatch {
public:
    Stopwatch() noexcept { ::QueryPerformanceCounter(&start_); }

    [[nodiscard]] double ElapsedMs() const noexcept {
        LARGE_INTEGER now, frequency;
        ::QueryPerformanceCounter(&now);
        ::QueryPerformanceFrequency(&frequency);
        return static_cast<double>(now.QuadPart - start_.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

// Sleeps while answering this thread's own window messages (between measurements).
void PumpingSleep(DWORD ms);

// The middle value (mean of the two middle ones for an even count); 0 when empty.
[[nodiscard]] double Median(std::vector<double> values);

// "12.3 / 14.0 / 20.1" (min / median / max), for the detail lines.
[[nodiscard]] std::wstring Spread(const std::vector<double>& values, int decimals = 1);

}  // namespace bench
