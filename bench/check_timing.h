#pragma once
// The package check on a big package: 20,000 files and a world file of 100,000 names.
#include <string>
#include <vector>

namespace bench {

struct CheckFigures {
    size_t files = 0;        // in the package
    size_t names = 0;        // fields of the world file that name a file
    size_t missing = 0;      // as the check found them (the package lacks 1 name in 100)
    std::vector<double> checkMs;   // CheckPackage, warm
    std::vector<double> reportMs;  // its text
};

// Makes the package under `work` once (kept for the next run) and times the check `runs` times.
[[nodiscard]] CheckFigures MeasurePackageCheck(const std::wstring& work, int runs);

}  // namespace bench
