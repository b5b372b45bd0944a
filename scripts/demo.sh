#!/usr/bin/env bash
# The main job: builds the cleaner, prepares a sandboxed Wine prefix under build/demo/
# (never the user's own ~/.wine), seeds it with the product's traces and some decoys,
# runs the cleaner there in silent mode, answers its "Done" box with Yes, and prints the
# results list, a before/after summary of the machine and the exit code. Installs what
# it needs first; running it again starts from a fresh prefix.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# --win-dir DIR runs the demonstration from an existing Windows build folder instead.
win_dir=""
if [ "${1:-}" = --win-dir ] && [ -n "${2:-}" ]; then win_dir="$(cd "$2" && pwd)"; fi

"$root/scripts/install-toolchain.sh"
echo "== Building"
[ -n "$win_dir" ] || win_dir="$("$root/scripts/build.sh" --test-arch | tail -n 1)"
cmake --build "$win_dir" --target qc_demo >&2

. "$root/scripts/wine-env.sh"
# Today's PC: 64-bit Windows, running the shipped 32-bit program where this host can.
qc_use_prefix 64
prefix="$root/build/demo/wineprefix"
export WINEPREFIX="$prefix"
# Whatever happens from here on, the prefix's Wine programs and our Xvfb are ended.
stop_wine() {
  [ ! -d "$prefix" ] || "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
  qc_stop_display
}
trap stop_wine EXIT
trap 'exit 143' TERM INT HUP
qc_ensure_display
echo "== Preparing a fresh Wine prefix: $prefix"
qc_fresh_prefix "$prefix"

# Seeding: the demonstration program lays the product's registry keys, folders, files,
# shortcuts and running programs (and decoys beside them) into this prefix, prints what
# is there, runs the cleaner, and prints what is left. The seeded programs must still
# run when the cleaner starts, so seeding and run happen in one Windows process.
echo "== Seeding the prefix and running the cleaner in silent mode: the $(qc_pass_name) ($win_dir)"
"$QC_WINE" "$win_dir/qc_demo.exe" --seed

# What an administrator would find afterwards: the run's log in the account's %TEMP%.
log="$(find "$prefix/drive_c/users" -maxdepth 4 -name QuenzorCleaner.log 2>/dev/null | head -n 1)"
if [ -n "$log" ]; then
  echo "== The run's log, %TEMP%\\QuenzorCleaner.log ($(wc -l <"$log") lines, as CMTrace reads them): first two, summary and last"
  head -n 2 "$log" | tr -d '\r' | sed 's/^/  /'
  echo "  ..."
  tail -n 2 "$log" | tr -d '\r' | sed 's/^/  /'
fi
