#!/usr/bin/env bash
# Installs what the builds and tests need: the native toolchain, mingw-w64 for i686,
# Wine with its 32-bit libraries and Xvfb. Safe to run again; does nothing when all is there.
set -euo pipefail

need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v python3 >/dev/null || need+=(python3)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
# The win32 thread model: its C++ runtime imports nothing newer than Windows XP.
command -v i686-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-i686-win32 mingw-w64-i686-dev binutils-mingw-w64-i686)
command -v x86_64-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-x86-64-win32 mingw-w64-x86-64-dev)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xwd >/dev/null || need+=(x11-apps)
command -v convert >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick || need+=(imagemagick)
# wine32 for hosts that run 32-bit code, wine64 for those that cannot.
dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine wine32:i386)
dpkg -s wine64 >/dev/null 2>&1 || need+=(wine64)
command -v xdpyinfo >/dev/null || need+=(x11-utils)
dpkg -s libbenchmark-dev >/dev/null 2>&1 || need+=(libbenchmark-dev)

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if printf '%s\n' "${need[@]}" | grep -q ':i386'; then
  $SUDO dpkg --add-architecture i386
fi
echo "Installing: ${need[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
