#!/usr/bin/env bash
# Deliberate one-constant mutations: each is applied alone to a copy of the tree,
# the native tests are built and run, and the tests that failed are listed. A
# mutation that no test notices is reported as SURVIVED.
# Usage: scripts/mutate.sh [mutation-list]   (default scripts/mutations.txt)
# List lines: file | perl substitution | what it breaks (fields apart by " | ")
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
list=${1:-scripts/mutations.txt}
work=build/mutate
mkdir -p "$work"
rm -rf "$work/tree" && mkdir -p "$work/tree"
tar --exclude=./build --exclude=./.git -cf - . | tar -xf - -C "$work/tree"
cmake -S "$work/tree" -B "$work/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$work/build" -j"$(nproc)" >/dev/null 2>&1
if ! (cd "$work/build" && ctest -j"$(nproc)" >/dev/null 2>&1); then
  echo "the unmutated tree fails its tests: nothing to learn"; exit 2
fi
survived=0
while IFS= read -r line; do
  [ -z "$line" ] || [ "${line:0:1}" = "#" ] && continue
  # Fields are separated by " | " (a substitution may hold "||").
  file=${line%% | *}; rest=${line#* | }; what=${rest##* | }; subst=${rest% | *}
  cp "$work/tree/$file" "$work/saved"
  perl -0pi -e "$subst" "$work/tree/$file"
  if cmp -s "$work/tree/$file" "$work/saved"; then
    echo "NOT APPLIED  $file: $what"; continue
  fi
  if ! cmake --build "$work/build" -j"$(nproc)" >/dev/null 2>&1; then
    echo "NO BUILD     $file: $what"
  else
    failed=$(cd "$work/build" && ctest -j"$(nproc)" --output-on-failure 2>/dev/null |
             grep -oE '^\[  FAILED  \] [A-Za-z0-9_]+\.[A-Za-z0-9_/]+|[0-9]+ - replay_[a-z_0-9]+ \(Failed\)' |
             sed -E 's/^\[  FAILED  \] //; s/^[0-9]+ - //; s/ \(Failed\)//' | sort -u | head -4 | tr '\n' ' ')
    if [ -z "$failed" ]; then echo "SURVIVED     $file: $what"; survived=$((survived + 1))
    else echo "caught       $file: $what  <- $failed"; fi
  fi
  cp "$work/saved" "$work/tree/$file"
done < "$list"
cmake --build "$work/build" -j"$(nproc)" >/dev/null 2>&1
echo "$survived survived"
exit $((survived > 0))
