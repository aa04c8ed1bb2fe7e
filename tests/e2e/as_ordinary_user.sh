#!/usr/bin/env bash
# Runs the end-to-end case of a game folder the player may not write, as an ordinary
# user: root may write anywhere, a player under Program Files may not. Run by root, it
# makes that user; run by anyone else, it runs as them.
#   as_ordinary_user.sh BUILD_DIR E2E_EXE PROGRAM_EXE
set -euo pipefail
build=$1 e2e=$2 program=$3

work=$(mktemp -d /tmp/tv-readonly.XXXXXX)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
chmod 755 "$work"
mkdir -p "$work/game/nationDATA" "$work/package/nationDATA"
printf 'MZ' > "$work/game/TorvaGame.exe"
for file in SWAIT.DAT nationDATA/a.dat; do printf 'old' > "$work/game/$file"; printf 'new' > "$work/package/$file"; done
# The same game once more, with the folders an earlier run (as administrator) made:
# the transfer's own first write, not the making of those folders, finds it cannot write.
cp -r "$work/game" "$work/game-run-before"
mkdir -p "$work/game-run-before/Backup/nationDATA" "$work/game-run-before/Backup/pastDATA" "$work/game-run-before/default"
chmod -R a-w "$work/game" "$work/game-run-before"

root=$(cd "$(dirname "$0")/../.." && pwd)
run="env -u DISPLAY TORVANEL_READONLY_GAME='$work' '$root/scripts/wine-exec.sh' '$e2e' '$program' --gtest_filter='NotWritable.*'"
if [ "$(id -u)" -ne 0 ]; then
  BUILD_DIR="$build" bash -c "$run"
  exit
fi
id tvplayer >/dev/null 2>&1 || useradd -m tvplayer
chown -R tvplayer "$work/package"
su tvplayer -s /bin/bash -c "BUILD_DIR='$build' WINEPREFIX=/home/tvplayer/wineprefix $run"
