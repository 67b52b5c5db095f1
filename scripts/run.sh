#!/usr/bin/env bash
# Builds PortGauge.exe and runs it under Wine, in a Wine prefix of its own
# (${XDG_DATA_HOME:-~/.local/share}/portgauge/wineprefix), never the user's
# default one.
#
# Before each start the prefix's USB devices are refreshed from this machine:
# usb-host-mirror lists its USB host controllers and hubs as Windows would,
# and the devices of the previous start that are gone are removed.
#
# On a desktop the program opens on the user's display. With no display it
# runs on an Xvfb of its own: it prints the verdict prompt as read off the
# box, answers Yes, saves a screenshot of the report window as a PNG, closes
# the window and exits with the program's exit code.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target PortGauge inspector
cmake --preset host >/dev/null
cmake --build --preset host --target usb-host-mirror

source scripts/wine-session.sh
trap stop_wine_session EXIT

exe=build/win32/app/PortGauge.exe
inspector=build/win32/tests/inspector.exe
screenshot=${PORTGAUGE_SCREENSHOT:-$PWD/build/portgauge-report.png}

headless=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then headless=0; fi
if [ "$headless" = 1 ]; then start_xvfb; fi
prepare_wine_prefix "${XDG_DATA_HOME:-$HOME/.local/share}/portgauge/wineprefix"

# Replaces the USB devices of the previous start with this machine's.
refresh_usb_devices() {
  local current="$WINEPREFIX/portgauge-usb-devices.reg"
  local fresh removal
  fresh=$(mktemp --suffix=.reg)
  build/host/inventory/linux/usb-host-mirror --output "$fresh"
  if [ -f "$current" ]; then
    removal=$(mktemp --suffix=.reg)
    { printf 'REGEDIT4\r\n\r\n'
      sed -n 's/^\[\(HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\[^]]*\)\]/[-\1]/p' "$current"
    } >"$removal"
    wine regedit /S "$(winepath -w "$removal")"
    rm -f "$removal"
  fi
  wine regedit /S "$(winepath -w "$fresh")"
  mv "$fresh" "$current"
}
refresh_usb_devices

echo "run: device set: this machine's USB host controllers and hubs, in Wine prefix $WINEPREFIX"
wine "$inspector" devices | tr -d '\r' | sed 's/^/run:   /'

# Where a window manager runs it frames the window; where none does (our own
# Xvfb, a bare X server) Wine draws the frame itself.
managed=N
if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then managed=Y; fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1

if [ "$headless" = 0 ]; then
  status=0
  wine "$exe" || status=$?
  echo "run: PortGauge.exe exited with code $status"
  exit "$status"
fi

echo "run: no display; running on Xvfb $DISPLAY and answering Yes"
wine "$exe" &
program=$!
wine "$inspector" verdict yes | tr -d '\r' | sed 's/^/run:   /'
report=$(wine "$inspector" report | tr -d '\r')
read -r x y width height <<<"$(head -n1 <<<"$report")"
rows=$(tail -n +2 <<<"$report" | wc -l)
echo "run: report window at ($x, $y), ${width}x${height} pixels, $rows rows"
mkdir -p "$(dirname "$screenshot")"
import -display "$DISPLAY" -window root -crop "${width}x${height}+${x}+${y}" +repage "$screenshot"
echo "run: screenshot of the report window: $screenshot"
wine "$inspector" close
status=0
wait "$program" || status=$?
echo "run: PortGauge.exe exited with code $status"
exit "$status"
