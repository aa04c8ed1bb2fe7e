#!/usr/bin/env bash
# Regenerates docs/*.png: the three windows and a closing message, captured by the
# end-to-end scenario while it drives the real program under Wine, and the package
# check's window, captured by its test.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$ROOT/build/mingw}"
"$ROOT/scripts/setup.sh"
[ -f "$BUILD_DIR/CMakeCache.txt" ] || cmake --preset mingw -S "$ROOT" -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" --target e2e_tests
. "$ROOT/scripts/wine-env.sh"

shots="$(mktemp -d)"
trap 'rm -rf "$shots"; [ -z "${XVFB_PID:-}" ] || kill "$XVFB_PID" 2>/dev/null || true' EXIT
SCREENSHOT_DIR="$shots" wine "$BUILD_DIR/tests/e2e/e2e_tests.exe" "$BUILD_DIR/src/app/TorvanelInstaller.exe" \
  --gtest_filter='ScenarioTest.*:PackageCheckTest.ABroken*'
mkdir -p "$ROOT/docs"
for name in main-window folder-dialog busy-window closing-message package-check; do
  convert "$shots/$name.ppm" "$ROOT/docs/$name.png"
  echo "docs/$name.png"
done
