#!/usr/bin/env bash
# Builds the utility and starts it under Wine from a package folder.
#   scripts/run.sh                    a demo package and game folder are made in build/demo
#   scripts/run.sh PACKAGE_FOLDER     start from that package folder (Linux path)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
"$ROOT/scripts/setup.sh"
BUILD_DIR="$ROOT/build/mingw"
cmake --preset mingw -S "$ROOT" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target TorvanelInstaller
started_display=""
[ -n "${DISPLAY:-}" ] || started_display=yes
. "$ROOT/scripts/wine-env.sh"

if [ $# -ge 1 ]; then
  PACKAGE="$(cd "$1" && pwd)"
else
  DEMO="$BUILD_DIR/demo"
  # PathDATA.txt names the demo game folder, so the dialog offers it at once.
  python3 "$ROOT/scripts/make_sample_data.py" --preset small --write-path-data "$DEMO"
  PACKAGE="$DEMO/package"
fi

echo "Starting TorvanelInstaller.exe in $PACKAGE (display $DISPLAY)"
cd "$PACKAGE"
if [ -n "$started_display" ]; then
  # No screen to show it on: run it on a virtual display and save what it looks like.
  wine "$BUILD_DIR/src/app/TorvanelInstaller.exe" &
  sleep 3
  import -display "$DISPLAY" -window root "$BUILD_DIR/run-screenshot.png" || true
  echo "No DISPLAY was set: the window runs on virtual display $DISPLAY; screenshot: $BUILD_DIR/run-screenshot.png"
  wait
else
  exec wine "$BUILD_DIR/src/app/TorvanelInstaller.exe"
fi
