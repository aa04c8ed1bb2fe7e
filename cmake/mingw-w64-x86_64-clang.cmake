# Cross build for 64-bit Windows with Clang and lld on the MinGW-w64 headers and
# libraries, GCC's libstdc++ included: a second compiler beside GCC, so that code
# only one of them accepts is caught.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-windows-gnu)
set(CMAKE_SYSROOT /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Clang does not recognise GCC folders named like "12-posix": ask the MinGW GCC
# (posix threads, as the GCC build uses) where its libstdc++ and libgcc are.
execute_process(COMMAND x86_64-w64-mingw32-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE TORVANEL_LIBGCC OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(TORVANEL_GCC_DIR "${TORVANEL_LIBGCC}" DIRECTORY)
set(CMAKE_CXX_FLAGS_INIT "-isystem ${TORVANEL_GCC_DIR}/include/c++ \
-isystem ${TORVANEL_GCC_DIR}/include/c++/x86_64-w64-mingw32 -isystem ${TORVANEL_GCC_DIR}/include/c++/backward")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${TORVANEL_GCC_DIR}")

# The resource compiler of the same LLVM as clang (distributions often install it
# only under a versioned name, or in LLVM's own folder).
find_program(TORVANEL_CLANG clang REQUIRED)
get_filename_component(TORVANEL_LLVM_BIN "${TORVANEL_CLANG}" REALPATH)
get_filename_component(TORVANEL_LLVM_BIN "${TORVANEL_LLVM_BIN}" DIRECTORY)
find_program(CMAKE_RC_COMPILER NAMES llvm-windres HINTS "${TORVANEL_LLVM_BIN}" REQUIRED)

# Test programs run under Wine, with the prefix kept inside this build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env "BUILD_DIR=${CMAKE_BINARY_DIR}" ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
