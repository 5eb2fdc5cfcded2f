#!/usr/bin/env bash
# Starts kelvara.exe in a private folder, waits for " All systems go!!" and saves
# screenshots of the whole screen for a person to look at (zoom 1, then zoom 8),
# then ends the program. Usage (inside a Wine session):
#   scripts/e2e-shot.sh <kelvara.exe> <kvdrive.exe> <build folder>
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
exe=$1
drive=$2
out=$3
dir="$out/e2e_shot"
rm -rf "$dir"
mkdir -p "$dir"
cp "$exe" "$dir/kelvara.exe"
bash "$here/wine-run.sh" "$dir/kelvara.exe" &
pid=$!
# A fresh folder is a first run: the tutorial question comes first (No = 7).
bash "$here/wine-run.sh" "$drive" answer "READ THE BRIEF TUTORIAL?" 7 wait 30000
sleep 1
import -window root "$out/kelvara_e2e.png"
# PageUp three times: zoom 8.
bash "$here/wine-run.sh" "$drive" key 33 key 33 key 33
sleep 1
import -window root "$out/kelvara_e2e_zoom8.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
test -s "$out/kelvara_e2e.png"
echo "screenshots: $out/kelvara_e2e.png $out/kelvara_e2e_zoom8.png"
