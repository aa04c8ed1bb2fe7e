#include "bare_transfer.h"

#include "platform/unique_handle.h"
#include "transfer/transfer_plan.h"

#include <windows.h>

namespace bench {

std::vector<std::wstring> TransferDeletePatterns() {
    std::vector<std::wstring> patterns;
    for (const transfer::PlanStep& step : transfer::TransferPlanSteps()) {
        if (step.kind == transfer::StepKind::Delete) patterns.emplace_back(step.name);
    }
    return patterns;
}

size_t RunBareTransfer(const std::wstring& source, const std::wstring& destination, const BareTransferWork& work) {
    size_t failures = 0;
    for (const std::wstring& pattern : work.deletePatterns) {
        const size_t slash = pattern.find_last_of(L'\\');
        const std::wstring folder = destination + (slash == std::wstring::npos ? L"" : pattern.substr(0, slash + 1));
        WIN32_FIND_DATAW data;
        platform::UniqueFind find(::FindFirstFileW((destination + pattern).c_str(), &data));
        if (!find) continue;
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            if (!::DeleteFileW((folder + data.cFileName).c_str())) ++failures;
        } while (::FindNextFileW(find.get(), &data));
    }
    for (const std::wstring& name : work.copies) {
        if (!::CopyFileW((source + name).c_str(), (destination + name).c_str(), FALSE)) ++failures;
    }
    return failures;
}

}  // namespace bench
