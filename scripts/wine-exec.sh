#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix; ctest's emulator.
# Not exec'd: the X server wine-env.sh may start is stopped when the program ends.
set -euo pipefail
BUILD_DIR="${BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build/mingw}"
. "$(dirname "$0")/wine-env.sh"
status=0
wine "$@" || status=$?
exit "$status"
