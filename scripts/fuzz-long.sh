#!/usr/bin/env bash
# Runs every fuzz target (or those named as arguments) until it has made KV_FUZZ_RUNS
# runs (10 million by default), KV_FUZZ_JOBS targets at a time (default: the cores).
# Each run starts from the kept corpus in tests/fixtures/fuzz/<target>/ and, when it ends
# clean, adds to it the inputs that reach new code (libFuzzer's merge), so the next run
# and the replay in ctest start from everything found so far. Prints one line per target: runs,
# seconds, runs per second, coverage, and "clean" or where the crash input lies.
# Outside CI: a full pass takes about an hour on two cores.
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh native
runs=${KV_FUZZ_RUNS:-10000000}
jobs=${KV_FUZZ_JOBS:-$(nproc 2>/dev/null || echo 2)}
if [ ! -f build/fuzz/CMakeCache.txt ]; then
  cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DKV_SANITIZE=ON -DKV_FUZZ=ON >/dev/null
fi
cmake --build build/fuzz -j"$jobs" --target fuzzers
work=build/fuzz/long
mkdir -p "$work"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for t in build/fuzz/fuzz/*_fuzz; do [ -x "$t" ] && targets+=("$(basename "$t")"); done
fi

# One target: fuzz in a scratch corpus seeded from the kept one, then merge back.
one() {
  local name=$1 runs=$2 work=$3
  local bin=build/fuzz/fuzz/$name kept=tests/fixtures/fuzz/$name scratch=$work/$name
  local log=$work/$name.log start end status=clean
  rm -rf "$scratch" "$work/$name.crash"*
  mkdir -p "$scratch" "$kept"
  start=$(date +%s)
  if ! "$bin" -runs="$runs" -print_final_stats=1 -artifact_prefix="$work/$name.crash-" \
      "$scratch" "$kept" >"$log" 2>&1; then
    status="FOUND: $(ls "$work/$name.crash-"* 2>/dev/null | head -1)"
  fi
  end=$(date +%s)
  # Only inputs that reach something the kept ones do not are added (named seeds stay).
  [ "$status" = clean ] && "$bin" -merge=1 "$kept" "$scratch" >>"$log" 2>&1
  local done cov secs=$((end - start))
  done=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
  printf '%-20s %10s runs %6ss %9s/s  cov %5s  %s\n' "$name" "${done:-0}" "$secs" \
    "$(( ${done:-0} / (secs > 0 ? secs : 1) ))" "${cov:-?}" "$status"
}
export -f one
printf '%s\n' "${targets[@]}" | xargs -P "$jobs" -I{} bash -c 'one "$@"' _ {} "$runs" "$work" |
  tee "$work/summary.txt"
! grep -q FOUND "$work/summary.txt"
