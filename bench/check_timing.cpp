#include "check_timing.h"

#include "folder_tree.h"
#include "package_check/check_report.h"
#include "package_check/package_check.h"
#include "stopwatch.h"

namespace bench {

namespace {

constexpr int kDataFiles = 4000;    // in each of nationDATA and pastDATA
constexpr int kFaceFiles = 8000;    // face\*.gif, listed
constexpr int kRootImages = 4000;   // *.jpg, swept and listed
constexpr size_t kNames = 100000;

std::wstring Numbered(const wchar_t* prefix, int number, const wchar_t* suffix) {
    std::wstring digits = std::to_wstring(number);
    return prefix + std::wstring(5 - std::min<size_t>(5, digits.size()), L'0') + digits + suffix;
}

// The package's files, and the world file naming listed files over and over, one name
// in a hundred missing.
void MakePackage(const std::wstring& folder) {
    for (const wchar_t* sub : {L"", L"\\nationDATA", L"\\pastDATA", L"\\face"}) ::CreateDirectoryW((folder + sub).c_str(), nullptr);
    for (int i = 0; i < kDataFiles; ++i) {
        WriteFileBytes(folder + Numbered(L"\\nationDATA\\n", i, L".dat"), "nation data");
        WriteFileBytes(folder + Numbered(L"\\pastDATA\\p", i, L".dat"), "past data");
    }
    for (int i = 0; i < kFaceFiles; ++i) WriteFileBytes(folder + Numbered(L"\\face\\f", i, L".gif"), "a face");
    for (int i = 0; i < kRootImages; ++i) WriteFileBytes(folder + Numbered(L"\\b", i, L".jpg"), "a background");
    std::string world = "\"Big world\",1.0\r\n";
    for (size_t i = 0; i < kNames; ++i) {
        const int n = static_cast<int>(i % (kFaceFiles + kRootImages));
        if (i % 100 == 99) {
            world += Utf8(Numbered(L"img:face\\missing", n, L".gif"));
        } else {
            world += Utf8(n < kFaceFiles ? Numbered(L"img:face\\f", n, L".gif") : Numbered(L"bg:b", n - kFaceFiles, L".jpg"));
        }
        world += i % 4 == 3 ? "\r\n" : ",";
    }
    WriteFileBytes(folder + L"\\zeloworld.dat", world);
    WriteFileBytes(folder + L"\\made", "complete");  // the package is whole
}

}  // namespace

CheckFigures MeasurePackageCheck(const std::wstring& work, int runs) {
    const std::wstring folder = work + L"\\check-package";
    if (::GetFileAttributesW((folder + L"\\made").c_str()) == INVALID_FILE_ATTRIBUTES) {
        RemoveTree(folder);
        MakePackage(folder);
    }
    CheckFigures figures;
    for (int run = 0; run <= runs; ++run) {  // the first run warms the cache and is not counted
        const Stopwatch check;
        const package_check::PackageCheck result = package_check::CheckPackage(folder);
        const double checkMs = check.ElapsedMs();
        const Stopwatch report;
        const std::wstring text = package_check::CheckReportText(result);
        const double reportMs = report.ElapsedMs();
        if (run == 0) continue;
        figures.checkMs.push_back(checkMs);
        figures.reportMs.push_back(reportMs);
        figures.missing = result.missing.size();
    }
    figures.files = static_cast<size_t>(2 * kDataFiles + kFaceFiles + kRootImages) + 2;  // the world file, the mark
    figures.names = kNames;
    return figures;
}

}  // namespace bench
