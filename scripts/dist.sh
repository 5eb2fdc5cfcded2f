#!/usr/bin/env bash
# Builds the installer, build/win/kelsetup.exe, with everything it carries: the
# program, its plug-ins and the documents (staged in build/win/dist in the installed layout).
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/deps.sh
if [ ! -f build/win/CMakeCache.txt ]; then
  cmake -S . -B build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
fi
cmake --build build/win --target kelsetup -j"$(nproc 2>/dev/null || echo 2)"
echo "Installer: build/win/kelsetup.exe"
