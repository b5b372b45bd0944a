#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest: in the prefix named by QC_WINEPREFIX,
# or in one prefix per build folder, made from the template on first use.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
# An Xvfb started here (no display answered) ends with this run; a signal ends the run.
trap qc_stop_display EXIT
trap 'exit 143' TERM INT HUP
qc_ensure_display
if [ -z "${QC_WINEPREFIX:-}" ]; then
  # ctest starts every test in the build folder.
  QC_WINEPREFIX="$(pwd)/wineprefix-win$QC_PREFIX_BITS"
  if [ ! -f "$QC_WINEPREFIX/.ready" ]; then
    (flock 9; [ -f "$QC_WINEPREFIX/.ready" ] || qc_fresh_prefix "$QC_WINEPREFIX") 9>"$QC_WINEPREFIX.lock"
  fi
fi
export WINEPREFIX="$QC_WINEPREFIX"
# Not exec: this shell stays to end its Xvfb. Waiting on a background child keeps the
# signal traps working meanwhile.
rc=0
"$QC_WINE" "$@" <&0 &
wait $! || rc=$?
exit $rc
