#!/usr/bin/env bash
# Builds the program and the benchmark, makes the sample data once, and runs the
# benchmark under Wine (natively: run bench\transfer_benchmark.exe with the same
# arguments). Extra arguments go to the benchmark (e.g. --runs 9).
#   scripts/bench.sh                      # build/mingw, data in build/mingw/bench-data
#   BUILD_DIR=$PWD/build/x scripts/bench.sh
#   scripts/bench.sh --many               # also 10,000 files in each data folder (several minutes more)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export BUILD_DIR="${BUILD_DIR:-$ROOT/build/mingw}"
DATA_DIR="${BENCH_DATA_DIR:-$BUILD_DIR/bench-data}"
many=0 rest=()
for arg in "$@"; do [ "$arg" = --many ] && many=1 || rest+=("$arg"); done

"$ROOT/scripts/setup.sh"
[ -f "$BUILD_DIR/CMakeCache.txt" ] || cmake --preset mingw -S "$ROOT" -B "$BUILD_DIR" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target TorvanelInstaller transfer_benchmark bare_window

# About 650 files / 90 MB for the timed transfers; about 500 MB for the busy window.
python3 "$ROOT/scripts/make_sample_data.py" --preset typical --seed 1 "$DATA_DIR/typical"
python3 "$ROOT/scripts/make_sample_data.py" --preset large --seed 2 "$DATA_DIR/large"
[ $many = 0 ] || python3 "$ROOT/scripts/make_sample_data.py" --preset many --seed 3 "$DATA_DIR/many"
mkdir -p "$DATA_DIR/work"

# A display of its own (started by wine-env.sh, ended on exit): windows of other
# programs on a shared display, or a window manager, would time into the figures.
unset DISPLAY
. "$ROOT/scripts/wine-env.sh"
# Programs still running in this prefix would be tied to another display; let them end.
wineserver -w
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(wine --version), Linux $(uname -r), $(df -T "$DATA_DIR" | awk 'NR==2 {print $2}') file system"

win() { winepath -w "$1" 2>/dev/null; }
args=(--package "$(win "$DATA_DIR/typical/package")" --game "$(win "$DATA_DIR/typical/game")"
      --large-package "$(win "$DATA_DIR/large/package")" --large-game "$(win "$DATA_DIR/large/game")"
      --work "$(win "$DATA_DIR/work")"
      --program "$(win "$BUILD_DIR/src/app/TorvanelInstaller.exe")"
      --bare-window "$(win "$BUILD_DIR/bench/bare_window.exe")")
[ $many = 0 ] || args+=(--many-package "$(win "$DATA_DIR/many/package")" --many-game "$(win "$DATA_DIR/many/game")")
# Everything Wine runs for the benchmark (its server included, hence the wait for it to
# end first) shares one CPU: on a virtual machine a wake-up on the other CPU costs a
# variable delay, paid on every call into the Wine server. BENCH_CPUS=all turns this off.
wineserver -w
pin=()
[ "${BENCH_CPUS:-0}" = all ] || pin=(taskset -c "${BENCH_CPUS:-0}")
status=0
"${pin[@]}" wine "$BUILD_DIR/bench/transfer_benchmark.exe" "${args[@]}" "${rest[@]}" || status=$?
wineserver -w  # Wine's desktop ends before its display does
exit $status
