#!/usr/bin/env bash
# Builds everything (the release zip included) and runs every test. Installs what is missing first.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
BUILD_DIR="$ROOT/build/mingw"
cmake --preset mingw -S "$ROOT" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
# The same code through Clang, so that what only GCC accepts is caught. Built only:
# the tests run once, on the GCC build.
cmake --preset mingw-clang -S "$ROOT" >/dev/null
cmake --build "$ROOT/build/mingw-clang" -j"$(nproc)"
. "$ROOT/scripts/wine-env.sh"
cd "$BUILD_DIR"
ctest --output-on-failure --no-tests=error --timeout 600 "$@"
