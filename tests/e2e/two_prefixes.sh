#!/usr/bin/env bash
# Two copies of the program, each in its own Wine prefix (two wineservers: as two
# Windows sessions, or two PCs on a shared folder), each started in its own package
# folder, Install into one game folder at the same instant (two_prefixes_test.cpp).
#   two_prefixes.sh BUILD_DIR E2E_EXE PROGRAM_EXE      (TORVANEL_SAMPLE: the typical sample data)
set -euo pipefail
build=$1 e2e=$2 program=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
sample=${TORVANEL_SAMPLE:?names no sample data set}

# A second package of the same size with other contents: an Install of either takes
# a second or more, and a mix of the two would show.
other=$build/sample-typical-2
python3 "$root/scripts/make_sample_data.py" --preset typical --seed 2 "$other" >/dev/null

work=$(mktemp -d /tmp/tv-two-prefixes.XXXXXX)
cleanup() { rm -rf "$work"; [ -z "${XVFB_PID:-}" ] || kill "$XVFB_PID" 2>/dev/null || true; }
trap cleanup EXIT
cp -a "$sample/package" "$work/package-a"
cp -a "$other/package" "$work/package-b"
for copy in game result-a result-b; do cp -a "$sample/game" "$work/$copy"; done

# One display for both; each prefix made with the project's settings the first time.
export BUILD_DIR=$build
prefixes=("${WINEPREFIX:-$build/wineprefix}" "$build/wineprefix2")
for prefix in "${prefixes[@]}"; do
  export WINEPREFIX=$prefix
  . "$root/scripts/wine-env.sh"
done
trap cleanup EXIT  # wine-env.sh's own trap stops the X server it started; so does ours

run() {  # PREFIX PACKAGE
  WINEPREFIX=$1 TORVANEL_TWO_PREFIXES=$work TORVANEL_PACKAGE=$2 \
    "$root/scripts/wine-exec.sh" "$e2e" "$program" --gtest_filter='TwoPrefixes.*' >"$work/$2.log" 2>&1
}
run "${prefixes[0]}" a & first=$!
run "${prefixes[1]}" b & second=$!
status_a=0 status_b=0
wait "$first" || status_a=$?
wait "$second" || status_b=$?
sed 's/^/[prefix 1, package a] /' "$work/a.log"
sed 's/^/[prefix 2, package b] /' "$work/b.log"
[ "$status_a" -eq 0 ] && [ "$status_b" -eq 0 ]
