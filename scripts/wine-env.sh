# Sourced by the scripts that run Windows programs: a quiet Wine, prefixes kept apart
# from the user's own ~/.wine, and an X display for the windows.
export WINEDEBUG=-all

# The product is a 32-bit program and is tested as one wherever the kernel can run 32-bit
# code. Some hosts (kernels without IA-32 emulation) cannot start the 32-bit Wine loader
# at all; there the same sources are built for x86_64 and tested under 64-bit Wine, while
# the shipped .exe stays the i686 build. QC_HOST_32BIT=0 makes any host behave like one
# of those (QC_WIN_ARCH=x86_64 says the same).
if [ -z "${QC_HOST_32BIT:-}" ]; then
  if [ "${QC_WIN_ARCH:-}" = x86_64 ]; then
    QC_HOST_32BIT=0
  elif [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    QC_HOST_32BIT=1
  else
    QC_HOST_32BIT=0
  fi
fi
export QC_HOST_32BIT
if [ "$QC_HOST_32BIT" = 1 ]; then QC_WIN_ARCH=i686; else QC_WIN_ARCH=x86_64; fi
export QC_WIN_ARCH

# The kind of Windows a prefix is: 64 (most PCs today; the default) or 32. A 64-bit prefix
# starts a 32-bit program through the 32-bit loader itself (WOW64), which needs wine32;
# the 64-bit wineserver serves prefixes of both kinds, one server per prefix.
qc_use_prefix() {
  QC_PREFIX_BITS="$1"
  export QC_PREFIX_BITS
  export WINESERVER=/usr/lib/wine/wineserver64
  if [ "$QC_PREFIX_BITS" = 32 ]; then
    export WINEARCH=win32
    export WINELOADER=/usr/lib/wine/wine
  else
    export WINEARCH=win64
    export WINELOADER=/usr/lib/wine/wine64
  fi
  QC_WINE="$WINELOADER"
  WINESERVER_BIN="$WINESERVER"
}
qc_use_prefix "${QC_PREFIX_BITS:-64}"

# How a pass is named in the output: the build and the Windows it runs on.
qc_pass_name() {
  echo "$QC_WIN_ARCH program in a $QC_PREFIX_BITS-bit prefix"
}

export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=;winemenubuilder.exe=d}"
QC_CACHE="${QC_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/quenzor-cleaner}"

# Creates the template prefix once; later prefixes are copies of it, which takes a
# second instead of a full wineboot.
qc_template_prefix() {
  local tpl="$QC_CACHE/wine-template-win$QC_PREFIX_BITS"
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
