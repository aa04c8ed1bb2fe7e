#!/usr/bin/env bash
# Runs a Windows program under Wine with the project's prefix; ctest's emulator.
set -euo pipefail
BUILD_DIR="${BUILD_DIR:-$(cd "$(dirname "$0")/.." && pwd)/build/mingw}"
. "$(dirname "$0")/wine-env.sh"
exec wine "$@"
