#!/usr/bin/env bash
# Runs every test: the portable core's unit tests natively under AddressSanitizer and
# UBSan, then the Windows adapter and end-to-end tests under Wine with Xvfb.
# Installs what it needs first.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-toolchain.sh"
jobs="$(nproc)"

echo "== native unit tests"
if [ ! -f "$root/build/native/build.ninja" ]; then
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$root/build/native" -j "$jobs"
native_rc=0
ctest --test-dir "$root/build/native" -j "$jobs" --output-on-failure || native_rc=$?

echo "== Windows build and tests under Wine"
. "$root/scripts/wine-env.sh"
win_dir=""
# Whatever happens, nothing of the run is left behind: not its Wine programs, not its Xvfb.
end_wine() {
  if [ -n "$win_dir" ] && [ -d "$win_dir/wineprefix" ]; then
    WINEPREFIX="$win_dir/wineprefix" "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
  fi
  qc_stop_display
}
trap end_wine EXIT
trap 'exit 143' TERM INT HUP
qc_ensure_display
win_dir="$("$root/scripts/build.sh" --test-arch | tail -n 1)"
echo "Wine tests run the $QC_WIN_ARCH build in $win_dir"
# A fresh prefix for every test run, so no run depends on what an earlier one left.
qc_fresh_prefix "$win_dir/wineprefix"
# One wineserver for the whole run instead of one per test program. Wine's own
# services are started here, detached from ctest's output pipes: started from a test,
# they would hold its pipe open and ctest would wait for them until the time-out.
WINEPREFIX="$win_dir/wineprefix" "$WINESERVER_BIN" -p >/dev/null 2>&1 || true
WINEPREFIX="$win_dir/wineprefix" "$QC_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
# Wine closes its desktop a moment after the last program on it ends, and a test that
# starts the cleaner in that moment gets no windows; one program stays on it meanwhile.
qc_hold_desktop "$win_dir/wineprefix" "$win_dir/hold_desktop.exe"
win_rc=0
QC_WINEPREFIX="$win_dir/wineprefix" ctest --test-dir "$win_dir" --output-on-failure || win_rc=$?

if [ $native_rc -ne 0 ] || [ $win_rc -ne 0 ]; then
  echo "FAILED: native rc=$native_rc, Wine rc=$win_rc"
  exit 1
fi
echo "All tests passed."
