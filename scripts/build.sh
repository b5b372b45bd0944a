#!/usr/bin/env bash
# Builds the program: build/win-i686/QuenzorCleaner.exe, the 32-bit product. With
# --test-arch it also builds the Windows build the tests run under Wine on this host
# (the same i686 build, or x86_64 where the kernel cannot run 32-bit code) and prints
# that build folder on its last line.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/wine-env.sh"
jobs="$(nproc)"

build_windows() {  # arch
  local dir="$root/build/win-$1"
  if [ ! -f "$dir/build.ninja" ]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$1.cmake" >/dev/null
  fi
  cmake --build "$dir" -j "$jobs" >&2
}

build_windows i686
# The product must be one self-contained PE32 GUI program: no runtime DLLs beside it, no
# debug sections. (Its imports are checked against Windows XP's as it is linked.)
exe="$root/build/win-i686/QuenzorCleaner.exe"
dump="$(i686-w64-mingw32-objdump -p "$exe")"
grep -q 'Magic.*010b' <<<"$dump" || { echo "not a PE32 image" >&2; exit 1; }
if grep -iE 'DLL Name: (libstdc|libgcc|libwinpthread)' <<<"$dump"; then
  echo "QuenzorCleaner.exe depends on a runtime DLL" >&2; exit 1
fi
if i686-w64-mingw32-objdump -h "$exe" | grep -q ' \.debug'; then
  echo "QuenzorCleaner.exe carries debug sections" >&2; exit 1
fi
size="$(stat -c %s "$exe")"
[ "$size" -le $((640 * 1024)) ] || { echo "QuenzorCleaner.exe is $size bytes, over 640 KiB" >&2; exit 1; }

if [ "${1:-}" = --test-arch ]; then
  [ "$QC_WIN_ARCH" = i686 ] || build_windows "$QC_WIN_ARCH"
  echo "$root/build/win-$QC_WIN_ARCH"
fi
