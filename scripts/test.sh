#!/usr/bin/env bash
# Builds and runs the tests. Stages: native (g++), asan (clang with AddressSanitizer
# and UBSan), win (MinGW build run under Wine). No argument runs all three.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=(native asan win)
jobs=$(nproc 2>/dev/null || echo 2)
export GNUMAKEFLAGS=--no-print-directory

need_win=0
for s in "${stages[@]}"; do [ "$s" = win ] && need_win=1; done
if [ $need_win = 1 ]; then bash scripts/deps.sh; else bash scripts/deps.sh native; fi

configure() {  # dir, cmake args...
  local dir=$1; shift
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" "$@" >/dev/null
  fi
  cmake --build "$dir" -j"$jobs"
}

for s in "${stages[@]}"; do
  echo "=== $s tests ==="
  case $s in
    native)
      configure build/native -DCMAKE_BUILD_TYPE=Release
      ctest --test-dir build/native --output-on-failure ;;
    asan)
      configure build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang \
        -DCMAKE_CXX_COMPILER=clang++ -DKV_SANITIZE=ON
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
        ctest --test-dir build/asan --output-on-failure ;;
    win)
      configure build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
      bash scripts/wine-session.sh ctest --test-dir build/win --output-on-failure ;;
    *)
      echo "unknown stage $s" >&2; exit 2 ;;
  esac
done
