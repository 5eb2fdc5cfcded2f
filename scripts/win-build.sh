#!/usr/bin/env bash
# Installs what the Windows build needs, configures build/win once (Release, MinGW-w64)
# and builds the targets named (everything without one). Used by the scripts that run
# the Windows programs.
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh
if [ ! -f build/win/CMakeCache.txt ]; then
  cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build build/win -j"$(nproc 2>/dev/null || echo 2)" ${targets[@]+"${targets[@]}"}
