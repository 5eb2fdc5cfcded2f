#!/usr/bin/env bash
# Soaks the real program under Wine: random use for KV_SOAK_SECONDS (600 by default),
# seeded by KV_SOAK_SEED (default: the clock; a failure prints the seed to replay).
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/win-build.sh soak
bash scripts/wine-session.sh build/win/tests/soak.exe "${KV_SOAK_SECONDS:-600}" ${KV_SOAK_SEED:+"$KV_SOAK_SEED"}
