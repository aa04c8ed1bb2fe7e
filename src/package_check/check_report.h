#pragma once
// The package check as the author reads it: Japanese text, the most serious first.
#include "package_check/package_check.h"

#include <string>

namespace package_check {

// Lines end in CR LF, as an edit control shows them.
[[nodiscard]] std::wstring CheckReportText(const PackageCheck& check);

}  // namespace package_check
