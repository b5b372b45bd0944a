#!/usr/bin/env bash
# Builds the Wine benchmarks and runs them in a fresh prefix of their own:
#   bench/run-wine-benchmarks.sh [NAME ...]     NAME: kill_folder registry_delete
#                                               shortcut_scan silent_run (default: all)
# QC_BENCH_ROUNDS sets the A/B rounds of every program; QC_BENCH_BUILD the build folder.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
. "$root/scripts/wine-env.sh"
build="${QC_BENCH_BUILD:-$root/build/bench-win-$QC_WIN_ARCH}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$QC_WIN_ARCH.cmake" >/dev/null
cmake --build "$build" -j2 --target wine_benchmarks

export WINEPREFIX="$build/bench-prefix"
# Whatever happens from here on, the prefix's Wine programs and our Xvfb are ended.
stop_wine() {
  [ ! -d "$WINEPREFIX" ] || "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
  qc_stop_display
}
trap stop_wine EXIT
trap 'exit 143' TERM INT HUP
qc_ensure_display
qc_fresh_prefix "$WINEPREFIX"
"$WINESERVER_BIN" -p 60 # one server for all runs: its start-up is not what is measured

names=("$@")
[ ${#names[@]} -gt 0 ] || names=(kill_folder registry_delete shortcut_scan silent_run)
for name in "${names[@]}"; do
  echo "== $name =="
  (cd "$build" && "$QC_WINE" "./bench_$name.exe" ${QC_BENCH_ROUNDS:-}) || echo "($name ended with $?)"
done
