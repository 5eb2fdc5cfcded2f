#!/usr/bin/env bash
# Runs a Windows test program in a Wine prefix made new for this run (the
# installer's journey must meet a system that never had Kelvara, and leaves the
# project's prefix alone). The prefix is a folder of the build; it is replaced whole.
# Usage: fresh_prefix.sh PREFIX PROGRAM.exe [args...]
set -euo pipefail
prefix=$1; shift
case "$prefix" in
  */build/*prefix*) ;;
  *) echo "fresh_prefix.sh: refusing to replace '$prefix' (not a prefix folder of a build)" >&2; exit 2 ;;
esac
rm -rf "$prefix"
KV_WINEPREFIX="$prefix" exec bash "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-session.sh" "$@"
