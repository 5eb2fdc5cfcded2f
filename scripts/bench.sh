#!/usr/bin/env bash
# Builds and runs the benchmarks (native, optimised); each figure is printed beside
# the anchor measured in the same run. Last, under Wine: kvbench_plugins times the
# filter plug-ins beside the system codec, and e2e_bench the running program
# (start-up, shutdown, repaints, strokes, previews, auto-save), and its start-up,
# repaints and strokes once more beside a busy loop on one core.
# KV_BENCH picks one program (e.g. KV_BENCH=kvbench_undo or KV_BENCH=e2e_bench).
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
jobs=$(nproc 2>/dev/null || echo 2)
pick=${KV_BENCH:-}

if [ "$pick" != e2e_bench ] && [ "$pick" != kvbench_plugins ]; then
  bash scripts/deps.sh native
  if [ ! -f build/native/CMakeCache.txt ]; then
    cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build build/native -j"$jobs" --target benchmarks
  for b in build/native/bench/kvbench build/native/bench/kvbench_*; do
    [ -x "$b" ] || continue
    [ -n "$pick" ] && [ "$(basename "$b")" != "$pick" ] && continue
    echo
    "$b" "$@"
  done
fi

if [ -z "$pick" ] || [ "$pick" = e2e_bench ] || [ "$pick" = kvbench_plugins ]; then
  bash scripts/win-build.sh e2e_bench kvbench_plugins
  if [ "$pick" != e2e_bench ]; then
    echo
    bash scripts/wine-session.sh build/win/tests/kvbench_plugins.exe
  fi
  if [ "$pick" != kvbench_plugins ]; then
    echo
    bash scripts/wine-session.sh build/win/tests/e2e_bench.exe
    # Strokes and repaints again while another process keeps one core busy.
    echo
    echo "again, with a busy loop on one core:"
    bash -c 'while :; do :; done' &
    busy=$!
    bash scripts/wine-session.sh build/win/tests/e2e_bench.exe view || true
    kill "$busy"
  fi
fi
