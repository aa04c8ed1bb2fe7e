// Every test program starts here: the program's text files are in code page 932,
// so a host set up for another code page would make the tests meaningless.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (::GetACP() != 932) {
        std::fprintf(stderr, "The ANSI code page is %u, not 932: create the Wine prefix with LANG=ja_JP.UTF-8.\n", ::GetACP());
        return 2;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
