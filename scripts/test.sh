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
  local prefix
  for prefix in "$win_dir"/wineprefix-win*; do
    [ -n "$win_dir" ] && [ -d "$prefix" ] || continue
    WINEPREFIX="$prefix" "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
  done
  qc_stop_display
}
trap end_wine EXIT
trap 'exit 143' TERM INT HUP
qc_ensure_display
win_dir="$("$root/scripts/build.sh" --test-arch | tail -n 1)"

# The tests whose meaning changes on 32-bit Windows: a whole run there finds nothing
# beside C:\Program Files and no second registry view, and the Windows-version matrix
# reaches back to XP, which most PCs ran as 32-bit.
only32='^(TodaysPcTest\.|StartupTest\.StartMenuFollowsTheWindowsVersion$)'
only32_names='TodaysPcTest.*, StartupTest.StartMenuFollowsTheWindowsVersion'

tests_of() { [ -n "$1" ] && echo "$only32_names" || echo "every Wine test"; }

# One pass: the Wine tests (those matching $2, or all) in a fresh prefix of $1 bits.
run_pass() {
  local bits="$1" filter="$2" prefix rc=0
  qc_use_prefix "$bits"
  prefix="$win_dir/wineprefix-win$bits"
  echo "== Pass: the $(qc_pass_name): $(tests_of "$filter")"
  # A fresh prefix for every pass, so no run depends on what an earlier one left.
  qc_fresh_prefix "$prefix"
  # One wineserver for the whole pass instead of one per test program. Wine's own
  # services are started here, detached from ctest's output pipes: started from a test,
  # they would hold its pipe open and ctest would wait for them until the time-out.
  WINEPREFIX="$prefix" "$WINESERVER_BIN" -p >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" "$QC_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  # The pass is named after what Windows itself says it is, as the tests read it.
  local seen
  seen="$(WINEPREFIX="$prefix" "$QC_WINE" "$win_dir/qc_demo.exe" --describe </dev/null 2>&1 |
    tr -d '\r')" || true
  echo "   Windows of this pass: $seen"
  if [[ "$seen" != "$bits-bit Windows, "* ]]; then
    echo "error: $prefix is not $bits-bit Windows" >&2
    rc=1
  fi
  # Wine closes its desktop a moment after the last program on it ends, and a test that
  # starts the cleaner in that moment gets no windows; one program stays on it meanwhile.
  [ $rc -ne 0 ] || qc_hold_desktop "$prefix" "$win_dir/hold_desktop.exe" || rc=1
  if [ $rc -eq 0 ]; then
    QC_WINEPREFIX="$prefix" ctest --test-dir "$win_dir" --output-on-failure --no-tests=error \
      ${filter:+-R "$filter"} || rc=$?
  fi
  WINEPREFIX="$prefix" "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
  return $rc
}

summary=()
failed=0
pass() {  # bits filter
  local started=$SECONDS rc=0
  run_pass "$@" || rc=$?
  [ $rc -eq 0 ] || failed=1
  summary+=("$([ $rc -eq 0 ] && echo passed || echo FAILED): the $(qc_pass_name), $(tests_of "$2") ($((SECONDS - started)) s)")
}
if [ "$QC_HOST_32BIT" = 1 ]; then
  # The shipped program on 64-bit Windows (WOW64), as on most PCs; then on 32-bit Windows.
  pass 64 ""
  pass 32 "$only32"
else
  pass 64 ""
  summary+=("NOT RUN: the i686 program in a 64-bit prefix, every Wine test (this host cannot run 32-bit code)")
  summary+=("NOT RUN: the i686 program in a 32-bit prefix, $only32_names (this host cannot run 32-bit code)")
fi

echo "== Summary"
echo "native unit tests: $([ $native_rc -eq 0 ] && echo passed || echo FAILED)"
printf '%s\n' "${summary[@]}"
if [ $native_rc -ne 0 ] || [ $failed -ne 0 ]; then
  echo "FAILED"
  exit 1
fi
echo "All tests that this host can run passed."
