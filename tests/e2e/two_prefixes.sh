#!/usr/bin/env bash
# Two copies of the program, each in its own Wine prefix (two wineservers: as two Windows sessions,
# or two PCs on a shared folder) and package folder, Install into one game folder at once.
#   two_prefixes.sh BUILD_DIR E2E_EXE PROGRAM_EXE      (TORVANEL_SAMPLE: the typical sample data)
set -euo pipefail
build=$1 e2e=$2 program=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
sample=${TORVANEL_SAMPLE:?names no sample data set}

# One display for both; each prefix made with the project's settings the first time.
export BUILD_DIR=$build
prefixes=("${WINEPREFIX:-$build/wineprefix}" "$build/wineprefix2")
for prefix in "${prefixes[@]}"; do
  export WINEPREFIX=$prefix
  . "$root/scripts/wine-env.sh"
done
work=$(mktemp -d /tmp/tv-two-prefixes.XXXXXX)
# In place of wine-env.sh's own trap, which stopped the X server it started.
trap 'rm -rf "$work"; [ -z "${XVFB_PID:-}" ] || kill "$XVFB_PID" 2>/dev/null || true' EXIT

# A second package of the same size with other contents: an Install of either takes
# a second or more, and a mix of the two would show.
other=$build/sample-typical-2
python3 "$root/scripts/make_sample_data.py" --preset typical --seed 2 "$other" >/dev/null
cp -a "$sample/package" "$work/package-a"
cp -a "$other/package" "$work/package-b"
for copy in game result-a result-b; do cp -a "$sample/game" "$work/$copy"; done

run() {  # PREFIX PACKAGE
  WINEPREFIX=$1 TORVANEL_TWO_PREFIXES=$work TORVANEL_PACKAGE=$2 \
    "$root/scripts/wine-exec.sh" "$e2e" "$program" --gtest_filter='TwoPrefixes.*' >"$work/$2.log" 2>&1
}
run "${prefixes[0]}" a & first=$!
run "${prefixes[1]}" b & second=$!
status=0
wait "$first" || status=1
wait "$second" || status=1
for package in a b; do sed "s/^/[package $package] /" "$work/$package.log"; done
exit $status
