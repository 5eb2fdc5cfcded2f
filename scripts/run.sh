#!/usr/bin/env bash
# Builds the Windows programs and starts kelvara.exe under Wine.
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/win-build.sh
if [ ! -f build/win/kelvara.exe ]; then
  echo "The program itself (kelvara.exe) arrives with the application shell; the engine,"
  echo "its tests and the benchmarks are built so far: try 'make test' or 'make bench'."
  exit 0
fi
exec bash scripts/wine-session.sh bash scripts/wine-run.sh build/win/kelvara.exe "$@"
