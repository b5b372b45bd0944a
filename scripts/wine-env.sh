# Sourced by the scripts that run Windows programs: a quiet Wine, a 32-bit prefix kept
# apart from the user's own ~/.wine, and an X display for the windows.
export WINEDEBUG=-all

# The product is a 32-bit program and is tested as one wherever the kernel can run
# 32-bit code. Some hosts (kernels without IA-32 emulation) cannot start the 32-bit
# Wine loader at all; there the same sources are built for x86_64 and tested under
# 64-bit Wine, while the shipped .exe stays the i686 build.
if [ -z "${QC_WIN_ARCH:-}" ]; then
  if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    QC_WIN_ARCH=i686
  else
    QC_WIN_ARCH=x86_64
  fi
fi
export QC_WIN_ARCH
if [ "$QC_WIN_ARCH" = i686 ]; then
  export WINEARCH=win32
  QC_WINE=wine
else
  export WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
  QC_WINE=/usr/lib/wine/wine64
fi
WINESERVER_BIN="${WINESERVER:-wineserver}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=;winemenubuilder.exe=d}"
QC_CACHE="${QC_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quenzor-cleaner}"

# Creates the template prefix once; later prefixes are copies of it, which takes a
# second instead of a full wineboot.
qc_template_prefix() {
  local tpl="$QC_CACHE/wine-template-$QC_WIN_ARCH"
  if [ ! -f "$tpl/.ready" ]; then
    mkdir -p "$QC_CACHE"
    local lock="$QC_CACHE/template.lock"
    (
      flock 9
      if [ ! -f "$tpl/.ready" ]; then
        rm -rf "$tpl"
        WINEPREFIX="$tpl" "$QC_WINE" wineboot -i >/dev/null 2>&1 || true
        WINEPREFIX="$tpl" "$WINESERVER_BIN" -w
        touch "$tpl/.ready"
      fi
    ) 9>"$lock"
  fi
  echo "$tpl"
}

# Makes $1 a fresh copy of the template prefix.
qc_fresh_prefix() {
  local dest="$1" tpl
  tpl="$(qc_template_prefix)"
  if [ -d "$dest" ]; then
    WINEPREFIX="$dest" "$WINESERVER_BIN" -k >/dev/null 2>&1 || true
    rm -rf "$dest"
  fi
  mkdir -p "$(dirname "$dest")"
  cp -a "$tpl" "$dest"
  # Wine links the profile's Desktop, Documents and the like to the Unix home folder;
  # in a sandbox they are plain folders, so nothing a test or a cleaning run does to the
  # Desktop reaches the real home.
  local link
  for link in "$dest"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link" && mkdir -p "$link"; fi
  done
}

# Makes sure there is a live X display: the one in DISPLAY when a server answers on it,
# else a new Xvfb. A socket or lock file alone proves nothing: a server that died (or a
# machine image taken while one ran) leaves both behind, and every window would then fail.
qc_display_alive() {
  [ -n "${1:-}" ] && timeout 10 xdpyinfo -display "$1" >/dev/null 2>&1
}

qc_ensure_display() {
  if qc_display_alive "${DISPLAY:-}"; then return 0; fi
  # -displayfd lets the server take the first free display number itself; it clears
  # the lock files of servers that are no longer running.
  local numfile n=""
  numfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$numfile" </dev/null >/dev/null 2>&1 &
  QC_XVFB_PID=$!
  for _ in $(seq 100); do
    n="$(head -n 1 "$numfile" 2>/dev/null || true)"
    [ -n "$n" ] && break
    sleep 0.1
  done
  rm -f "$numfile"
  if [ -z "$n" ] || ! qc_display_alive ":$n"; then
    qc_stop_display
    echo "error: could not start an X display (Xvfb)" >&2
    return 1
  fi
  export DISPLAY=":$n"
}

# Ends the Xvfb that qc_ensure_display started, if it started one, and waits for it.
qc_stop_display() {
  if [ -n "${QC_XVFB_PID:-}" ]; then
    kill "$QC_XVFB_PID" 2>/dev/null || true
    wait "$QC_XVFB_PID" 2>/dev/null || true
    QC_XVFB_PID=""
  fi
}

# Starts the program $2 that keeps the desktop of prefix $1 open, and waits until it holds
# it. A start in the very moment the desktop closes fails; it is tried again.
qc_hold_desktop() {
  local prefix="$1" exe="$2" ready attempt
  ready="$(mktemp -u)"
  for attempt in 1 2 3 4 5; do
    WINEPREFIX="$prefix" "$QC_WINE" "$exe" "Z:${ready//\//\\}" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 100); do
      [ -e "$ready" ] && { rm -f "$ready"; return 0; }
      kill -0 $! 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "error: could not keep the Wine desktop open ($exe)" >&2
  return 1
}
