#!/usr/bin/env bash
# Line coverage of src/ by the native unit tests (gcov), printed as one figure.
# Usage: scripts/coverage.sh [build-dir]   (default build/cov)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
dir=${1:-build/cov}
bash scripts/deps.sh native
jobs=$(nproc 2>/dev/null || echo 2)
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \
    -DCMAKE_C_FLAGS="--coverage -O0" -DCMAKE_EXE_LINKER_FLAGS=--coverage >/dev/null
fi
cmake --build "$dir" -j"$jobs" >/dev/null
find "$dir" -name '*.gcda' -delete
ctest --test-dir "$dir" -j"$jobs" >/dev/null || echo "(some tests failed)"
src=$(pwd)/src
# gcov -n prints "File '<path>'" then "Lines executed:P% of N" per source; count each
# file of src/ once (headers show up from many objects: keep their best figure).
find "$dir/src" -name '*.gcda' | while read -r f; do
  (cd "$(dirname "$f")" && gcov -n "$(basename "$f")" 2>/dev/null)
done | awk -v src="$src/" '
  /^File / { file = substr($2, 2, length($2) - 2); next }
  /^Lines executed:/ {
    if (index(file, src) != 1) next
    split($2, a, ":"); pct = a[2] + 0; sub("%", "", pct); n = $4 + 0
    hit = int(pct * n / 100 + 0.5)
    if (!(file in total) || hit > got[file]) { total[file] = n; got[file] = hit }
  }
  END {
    for (f in total) { T += total[f]; H += got[f] }
    printf "line coverage of src/: %d of %d lines, %.1f%%\n", H, T, T ? 100 * H / T : 0
  }'
