#!/usr/bin/env bash
# Builds and runs the benchmarks (native, optimised); each figure is printed beside
# the anchor measured in the same run.
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh native
if [ ! -f build/native/CMakeCache.txt ]; then
  cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build/native -j"$(nproc 2>/dev/null || echo 2)" --target benchmarks
# KV_BENCH picks one program (e.g. KV_BENCH=kvbench_undo); by default all run.
for b in build/native/bench/kvbench build/native/bench/kvbench_*; do
  [ -x "$b" ] || continue
  [ -n "${KV_BENCH:-}" ] && [ "$(basename "$b")" != "$KV_BENCH" ] && continue
  echo
  "$b" "$@"
done
