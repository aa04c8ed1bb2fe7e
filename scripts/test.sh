#!/usr/bin/env bash
# Builds everything (the release zip included) and runs every test. Installs what is missing first.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
BUILD_DIR="$ROOT/build/mingw"
cmake --preset mingw -S "$ROOT" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
. "$ROOT/scripts/wine-env.sh"
cd "$BUILD_DIR"
ctest --output-on-failure --no-tests=error --timeout 600 "$@"
