#!/usr/bin/env bash
# Builds every fuzz target (clang, libFuzzer, ASan, UBSan) and runs each briefly.
# KV_FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh native
secs=${KV_FUZZ_SECONDS:-60}
if [ ! -f build/fuzz/CMakeCache.txt ]; then
  cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DKV_SANITIZE=ON -DKV_FUZZ=ON >/dev/null
fi
cmake --build build/fuzz -j"$(nproc 2>/dev/null || echo 2)" --target fuzzers
status=0
for t in build/fuzz/fuzz/*_fuzz; do
  [ -x "$t" ] || continue
  name=$(basename "$t")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds=""
  [ -d "tests/fixtures/fuzz/$name" ] && seeds="tests/fixtures/fuzz/$name"
  echo "=== $name (${secs}s) ==="
  if ! "$t" -max_total_time="$secs" -print_final_stats=0 "$corpus" $seeds 2>&1 | tail -3; then
    status=1
  fi
done
exit $status
