#!/usr/bin/env bash
# Builds the Release exe and writes build/mingw/TorvanelInstaller-<version>.zip: the exe and
# the players' guide 使い方.txt, what a data package ships. Installs what is missing first.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
BUILD_DIR="$ROOT/build/mingw"
cmake --preset mingw -S "$ROOT" >/dev/null
cmake --build "$BUILD_DIR" --target release_zip -j"$(nproc)"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")"
echo "$BUILD_DIR/TorvanelInstaller-$version.zip"
