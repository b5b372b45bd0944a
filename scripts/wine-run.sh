#!/usr/bin/env bash
# Runs one Windows program under Wine for ctest: in the prefix named by QC_WINEPREFIX,
# or in one prefix per build folder, made from the template on first use.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/wine-env.sh"
qc_ensure_display
if [ -z "${QC_WINEPREFIX:-}" ]; then
  # ctest starts every test in the build folder.
  QC_WINEPREFIX="$(pwd)/wineprefix"
  if [ ! -f "$QC_WINEPREFIX/.ready" ]; then
    (flock 9; [ -f "$QC_WINEPREFIX/.ready" ] || qc_fresh_prefix "$QC_WINEPREFIX") 9>"$QC_WINEPREFIX.lock"
  fi
fi
export WINEPREFIX="$QC_WINEPREFIX"
exec "$QC_WINE" "$@"
