# Sourced by the Wine scripts: where Wine is and which prefix the project uses.
# KV_WINEPREFIX overrides the prefix; by default it is build/wineprefix in this checkout.
kv_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${KV_WINEPREFIX:-$kv_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: the programs need neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
kv_wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
[ -x "$kv_wine" ] || kv_wine=/usr/lib/wine/wine64
kv_wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver64)
[ -x "$kv_wineserver" ] || kv_wineserver=/usr/lib/wine/wineserver

# Creates the prefix on first use; one creator at a time.
kv_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$kv_wine" wineboot -i >/dev/null 2>&1 || true
    fi
  ) 9>"$WINEPREFIX.lock"
}
