# Sourced by the README's commands: a display and a Wine prefix of our own.
#
#   start_xvfb               starts Xvfb on a free display, exports DISPLAY
#   prepare_wine_prefix DIR  creates (or reuses) the 32-bit prefix DIR, exports
#                            WINEPREFIX, starts a persistent wineserver for it
#   stop_wine_session        stops exactly what the two above started
#   start_throwaway_session NAME
#                            both of the above in a temporary folder, all of
#                            it stopped and removed when the script exits
#
# Only processes started here are stopped: Xvfb by its PID, the wineserver
# with `wineserver -k` for our own prefix.

PORTGAUGE_XVFB_PID=""
PORTGAUGE_WINESERVER_PREFIX=""

export WINEDEBUG=-all
# No Mono or Gecko download prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

start_xvfb() {
  local displayfile
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  PORTGAUGE_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$displayfile" ]; then break; fi
    if ! kill -0 "$PORTGAUGE_XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  if [ ! -s "$displayfile" ]; then
    rm -f "$displayfile"
    echo "wine-session: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$(head -n1 "$displayfile")"
  rm -f "$displayfile"
}

prepare_wine_prefix() {
  export WINEPREFIX="$1"
  export WINEARCH=win32
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    # Wine draws its own frames (caption, close box) when no window manager
    # runs, and keeps exit codes intact.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Debian's Wine does not find its own fonts; without them dialog units
    # come out at the wrong size.
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    wineserver -w
  fi
  # A persistent server makes each later start take milliseconds, not seconds.
  wineserver -p
  PORTGAUGE_WINESERVER_PREFIX="$WINEPREFIX"
  wine cmd /c exit >/dev/null 2>&1 || true
}

stop_wine_session() {
  if [ -n "$PORTGAUGE_WINESERVER_PREFIX" ]; then
    WINEPREFIX="$PORTGAUGE_WINESERVER_PREFIX" wineserver -k 2>/dev/null || true
    PORTGAUGE_WINESERVER_PREFIX=""
  fi
  if [ -n "$PORTGAUGE_XVFB_PID" ]; then
    kill "$PORTGAUGE_XVFB_PID" 2>/dev/null || true
    wait "$PORTGAUGE_XVFB_PID" 2>/dev/null || true
    PORTGAUGE_XVFB_PID=""
  fi
}

start_throwaway_session() {
  PORTGAUGE_SESSION_DIR=$(mktemp -d "/tmp/$1.XXXXXX")
  trap 'stop_wine_session; rm -rf "$PORTGAUGE_SESSION_DIR"' EXIT
  start_xvfb
  prepare_wine_prefix "$PORTGAUGE_SESSION_DIR/prefix"
  echo "$1: Xvfb on $DISPLAY, Wine prefix $WINEPREFIX"
}
