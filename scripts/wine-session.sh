#!/usr/bin/env bash
# Runs a command inside a Wine session: the private prefix exists, an Xvfb display
# is started when there is no DISPLAY (and stopped again by its own PID), and one
# persistent wineserver serves every Wine process of the command, shut down at the end.
# Usage: scripts/wine-session.sh command [args...]   (a .exe runs through Wine)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

xvfb_pid=""
cleanup() {
  "$kv_wineserver" -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do
    [ -s "$fifo" ] && break
    sleep 0.1
  done
  if [ ! -s "$fifo" ]; then
    echo "Xvfb did not start" >&2
    exit 1
  fi
  export DISPLAY=":$(head -1 "$fifo" | tr -d '[:space:]')"
  rm -f "$fifo"
fi

kv_wine_prefix
"$kv_wineserver" -p || true   # already running: it simply stays
case "${1:-}" in
  *.exe|*.EXE) "$kv_wine" "$@" ;;   # a Windows program is run through Wine
  *) "$@" ;;
esac
