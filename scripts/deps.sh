#!/usr/bin/env bash
# Installs the build and test dependencies that are missing, and nothing else.
# Usage: scripts/deps.sh [native]   ("native" skips the Windows toolchain and Wine)
set -euo pipefail

# imagemagick: `convert` is the anchor of the effect benchmark, so the native set has it.
want=(cmake make g++ clang libgtest-dev googletest libbenchmark-dev libpixman-1-dev libpng-dev libjpeg62-turbo-dev pkg-config imagemagick)
if [ "${1:-}" != "native" ]; then
  want+=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 xvfb x11-utils)
  # The product's documents: chmcmd compiles the help, cjpeg makes the installer's splash.
  want+=(fp-utils libjpeg-turbo-progs)
  # The print journey's printer (a PDF queue of a private cupsd) and its rasteriser;
  # the window manager of the journeys run under one.
  want+=(cups printer-driver-cups-pdf poppler-utils openbox)
fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
# libFuzzer, ASan and UBSan runtimes for clang come with its compiler-rt package.
if command -v clang >/dev/null; then
  ver=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
  if [ -n "$ver" ] && ! dpkg-query -W -f='${Status}' "libclang-rt-$ver-dev" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("libclang-rt-$ver-dev")
  fi
fi

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them as root (apt-get install ${missing[*]}) and run again." >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
