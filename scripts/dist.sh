#!/usr/bin/env bash
# Builds the installer, build/win/kelsetup.exe, with everything it carries: the
# program, its plug-ins and the documents (staged in build/win/dist in the installed layout).
set -euo pipefail
export GNUMAKEFLAGS=--no-print-directory
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/win-build.sh kelsetup
echo "Installer: build/win/kelsetup.exe"
