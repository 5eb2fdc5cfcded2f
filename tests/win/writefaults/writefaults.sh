#!/usr/bin/env bash
# Runs the faults-while-writing test with its drives: a small memory file system that
# the test fills up (KV_FAULT_FULL) and one holding the previous files, mounted
# read-only (KV_FAULT_RO), each mapped as a drive letter of the Wine prefix. The
# mounts and the drive letters are made here and removed again however the test ends.
# Mounting needs root; without it the test fails and says so, it never passes untested.
# Usage: writefaults.sh TEST.exe [gtest args...]
set -euo pipefail
exe=$1; shift
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/wine-env.sh"
kv_wine_prefix

base=$(mktemp -d /tmp/kvwritefaults.XXXXXX)
dos="$WINEPREFIX/dosdevices"
full_letter="" ro_letter="" test_pid=""
cleanup() {
  [ -n "$test_pid" ] && kill "$test_pid" 2>/dev/null   # stopped from outside (a time-out)
  for l in "$full_letter" "$ro_letter"; do [ -n "$l" ] && rm -f "$dos/$l"; done
  for m in "$base/full" "$base/ro"; do mountpoint -q "$m" && { umount "$m" || umount -l "$m"; }; done
  rm -rf "$base"
}
trap cleanup EXIT

# Drive letters nobody in the prefix uses yet.
free_letter() {
  for l in q r s t u v w x y; do
    [ -e "$dos/$l:" ] || [ -L "$dos/$l:" ] || [ "$l:" = "${1:-}" ] || { echo "$l:"; return; }
  done
  echo "writefaults.sh: no free drive letter in $dos" >&2; exit 1
}

mkdir -p "$base/full" "$base/ro"
if ! mount -t tmpfs -o size=512k kvfull "$base/full" || ! mount -t tmpfs -o size=4m kvro "$base/ro"; then
  echo "writefaults.sh: cannot mount the test drives (this needs root): full disk and read-only folder NOT tested" >&2
  exit 1
fi
full_letter=$(free_letter); ln -s "$base/full" "$dos/$full_letter"
ro_letter=$(free_letter "$full_letter"); ln -s "$base/ro" "$dos/$ro_letter"

# The previous files go on the read-only drive while it can still be written.
KV_FAULT_RO="$ro_letter" "$kv_wine" "$exe" --prepare "$ro_letter"
mount -o remount,ro "$base/ro"

seed=${KV_FAULT_SEED:-$RANDOM}
echo "writefaults: kill delays from seed $seed (KV_FAULT_SEED=$seed replays them)"
KV_FAULT_FULL="$full_letter" KV_FAULT_RO="$ro_letter" KV_FAULT_SEED="$seed" "$kv_wine" "$exe" "$@" &
test_pid=$!
rc=0
wait "$test_pid" || rc=$?
test_pid=""
exit $rc
