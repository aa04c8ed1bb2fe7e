// Which file names Windows takes for devices.
#include "platform/path_names.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

namespace {

TEST(PathNames, DeviceNamesWithAnyCaseExtensionTrailingDotsOrBlanks) {
    for (const std::wstring_view name : {L"CON", L"con", L"Con.txt", L"con .txt", L"NUL.tar.gz", L"aux..", L"AUX  ",
                                         L"PRN.dat", L"COM1", L"com9.jpg", L"LPT1", L"lpt9.dat", L"CONIN$",
                                         L"conout$.log", L"COM\u00B9.dat"}) {
        EXPECT_TRUE(platform::IsReservedDeviceName(name)) << testing_support::Narrow(name);
    }
    for (const std::wstring_view name : {L"", L"CONSOLE", L"COM0", L"COM10", L"LPT", L"xCON", L".con", L"NULL.dat",
                                         L"CON_1.txt", L"\uFF23\uFF2F\uFF2E", L"CONIN.dat"}) {
        EXPECT_FALSE(platform::IsReservedDeviceName(name)) << testing_support::Narrow(name);
    }
}

}  // namespace
