#!/usr/bin/env bash
# Runs a command inside a Wine session: the private prefix exists, an Xvfb display
# is started when there is no DISPLAY (and stopped again by its own PID), and one
# persistent wineserver serves every Wine process of the command, shut down at the end.
# A session on its own display (or with KV_TEST_PRINTER=1) also gets the test
# printer of scripts/test-printer.sh, stopped with it. With KV_WINE_WM=openbox its
# own display gets that window manager, and Wine lets it manage the windows.
# Usage: scripts/wine-session.sh command [args...]   (a .exe runs through Wine)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
source "$(dirname "${BASH_SOURCE[0]}")/test-printer.sh"

xvfb_pid=""
wm_pid=""
cleanup() {
  "$kv_wineserver" -k >/dev/null 2>&1 || true
  kv_printer_stop
  if [ -n "$wm_pid" ]; then
    kill "$wm_pid" 2>/dev/null || true
    wait "$wm_pid" 2>/dev/null || true
  fi
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
  # A session nested in this one (another prefix) shares the display, and so its manager.
  export KV_WINE_UNMANAGED=1
  if [ "${KV_WINE_WM:-}" = openbox ]; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
    # Managing once it has claimed the screen.
    for _ in $(seq 1 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
      sleep 0.1
    done
    export KV_WINE_UNMANAGED=0
  fi
  [ -n "${CUPS_SERVER:-}" ] || KV_TEST_PRINTER=${KV_TEST_PRINTER:-1}
fi
# A nested session keeps the printer of the session around it.
if [ "${KV_TEST_PRINTER:-}" = 1 ] && [ -z "${KV_PRINT_OUT:-}" ]; then
  kv_printer_start "$kv_root/build/test-printer"
fi

kv_wine_prefix
"$kv_wineserver" -p || true   # already running: it simply stays
# Our own Xvfb has no window manager. Wine then waits up to 2 s, each time it hides
# a window it lets a manager handle (the splash at start-up, the main window and
# message boxes at exit), for a withdrawal that never comes. In that case the
# prefix's windows are left unmanaged; on a display of the user's, with a real
# manager, the setting is taken out again. (Measured warm with e2e_bench: start-up
# 2.3 s -> 0.3 s, shutdown after the exit question 4.0 s -> 0.02 s.)
# This is also the session's first Wine process, which starts the prefix's services:
# started here they write to /dev/null, not into the command's output, which ctest
# would otherwise wait on until the wineserver ends.
kv_x11_key='HKCU\Software\Wine\X11 Driver'
if [ "${KV_WINE_UNMANAGED:-}" = 1 ]; then
  "$kv_wine" reg add "$kv_x11_key" /v Managed /d N /f >/dev/null 2>&1 || true
elif [ "${KV_WINE_UNMANAGED:-}" = 0 ]; then
  "$kv_wine" reg add "$kv_x11_key" /v Managed /d Y /f >/dev/null 2>&1 || true
else
  "$kv_wine" reg delete "$kv_x11_key" /v Managed /f >/dev/null 2>&1 || true
fi
case "${1:-}" in
  *.exe|*.EXE) "$kv_wine" "$@" ;;   # a Windows program is run through Wine
  *) "$@" ;;
esac
