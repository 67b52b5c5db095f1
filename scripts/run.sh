#!/usr/bin/env bash
# Builds PortGauge.exe and runs it under Wine, in a Wine prefix of its own
# (${XDG_DATA_HOME:-~/.local/share}/portgauge/wineprefix, or wineprefix64
# for the 64-bit build), never the user's default one.
#
# It runs the 32-bit build where this kernel executes 32-bit x86 code, and
# otherwise the 64-bit build through 64-bit Wine;
# PORTGAUGE_WINDOWS_TARGETS=x86 or x64 forces one.
#
# Before each start the prefix's USB devices are refreshed from this machine:
# usb-host-mirror lists its USB host controllers and hubs as Windows would,
# and the devices of the previous start that are gone are removed.
#
# On a desktop the program opens on the user's display. With no display it
# runs on an Xvfb of its own: it prints the verdict prompt as read off the
# box, answers Yes, saves a screenshot of the report window as a PNG, closes
# the window and exits with the program's exit code.
set -eEuo pipefail
cd "$(dirname "$0")/.."

# Every step says what it starts; a step that fails says what failed and
# what to do about it, and the command ends with a non-zero code.
step="starting" advice=""
phase() {
  step=$1 advice=$2
  echo "run: $step"
}
failed() {
  local status=$?
  # A command substitution that failed is reported once, by the command around it.
  if [ "$BASH_SUBSHELL" -gt 0 ]; then exit "$status"; fi
  echo "run: FAILED while $step (exit code $status from: $BASH_COMMAND)" >&2
  if [ -n "$advice" ]; then echo "run: $advice" >&2; fi
  exit "$status"
}
trap failed ERR

phase "installing the packages it needs, if any are missing" \
  "check that apt-get can reach the package archive (as root, or with sudo), then run the command again"
bash scripts/install-deps.sh
source scripts/wine-session.sh

phase "choosing the build to run" "set PORTGAUGE_WINDOWS_TARGETS to x86 or x64, or leave it unset"
target=""
for candidate in $(windows_targets); do
  if target_runs_here "$candidate"; then
    target=$candidate
    break
  fi
done
if [ -z "$target" ]; then
  echo "run: PORTGAUGE_WINDOWS_TARGETS=\"${PORTGAUGE_WINDOWS_TARGETS:-}\" asks only for the 32-bit build," \
    "and this kernel cannot execute 32-bit x86 code; use x64" >&2
  exit 1
fi
use_windows_target "$target"
if [ -n "${PORTGAUGE_WINDOWS_TARGETS:-}" ]; then
  why="as PORTGAUGE_WINDOWS_TARGETS=\"$PORTGAUGE_WINDOWS_TARGETS\" asks"
elif [ "$target" = x86 ]; then
  why="this kernel executes 32-bit x86 code"
else
  why="this kernel cannot execute 32-bit x86 code"
fi
echo "run: running the $PORTGAUGE_BITS-bit build of PortGauge.exe: $why"

phase "building PortGauge.exe ($PORTGAUGE_BITS-bit), inspector.exe and usb-host-mirror" \
  "the compiler's message is above; scripts/install-deps.sh installs the tool chain"
cmake --preset "$PORTGAUGE_PRESET" >/dev/null
cmake --build --preset "$PORTGAUGE_PRESET" --target PortGauge inspector
cmake --preset host >/dev/null
cmake --build --preset host --target usb-host-mirror

exe=build/$PORTGAUGE_PRESET/app/PortGauge.exe
inspector=build/$PORTGAUGE_PRESET/tests/inspector.exe
screenshot=${PORTGAUGE_SCREENSHOT:-$PWD/build/portgauge-report.png}
prefix_name=wineprefix
if [ "$target" = x64 ]; then prefix_name=wineprefix64; fi

trap 'stop_wine_session' EXIT
headless=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then headless=0; fi
if [ "$headless" = 1 ]; then
  phase "starting an Xvfb display (there is no display)" "Xvfb comes with scripts/install-deps.sh"
  start_xvfb
fi

phase "preparing the Wine prefix ${XDG_DATA_HOME:-$HOME/.local/share}/portgauge/$prefix_name (the first time this takes a minute or two)" \
  "remove that folder and run the command again; it is made anew"
prepare_wine_prefix "${XDG_DATA_HOME:-$HOME/.local/share}/portgauge/$prefix_name"

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
    "$WINE" regedit /S "$("$WINE" winepath -w "$removal")"
    rm -f "$removal"
  fi
  "$WINE" regedit /S "$("$WINE" winepath -w "$fresh")"
  mv "$fresh" "$current"
}
phase "importing this machine's USB devices into the prefix" \
  "usb-host-mirror or Wine's regedit said why above; remove the prefix's folder to start over"
refresh_usb_devices

echo "run: device set: this machine's USB host controllers and hubs, in Wine prefix $WINEPREFIX"
"$WINE" "$inspector" devices | tr -d '\r' | sed 's/^/run:   /'

# Where a window manager runs it frames the window; where none does (our own
# Xvfb, a bare X server) Wine draws the frame itself.
managed=N
if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then managed=Y; fi
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f >/dev/null 2>&1

phase "starting PortGauge.exe" "Wine's message, if any, is above"
if [ "$headless" = 0 ]; then
  status=0
  "$WINE" "$exe" || status=$?
  echo "run: PortGauge.exe exited with code $status"
  exit "$status"
fi

echo "run: no display; running on Xvfb $DISPLAY and answering Yes"
"$WINE" "$exe" &
program=$!
phase "answering the verdict prompt" "the program did not show its prompt in time; run it on a desktop to see why"
"$WINE" "$inspector" verdict yes | tr -d '\r' | sed 's/^/run:   /'
phase "reading the report window" "the program did not show its window in time"
report=$("$WINE" "$inspector" report | tr -d '\r')
read -r x y width height <<<"$(head -n1 <<<"$report")"
rows=$(tail -n +2 <<<"$report" | wc -l)
echo "run: report window at ($x, $y), ${width}x${height} pixels, $rows rows"
phase "saving a screenshot of the report window" "ImageMagick's import comes with scripts/install-deps.sh"
mkdir -p "$(dirname "$screenshot")"
import -display "$DISPLAY" -window root -crop "${width}x${height}+${x}+${y}" +repage "$screenshot"
echo "run: screenshot of the report window: $screenshot"
phase "closing the report window" "the window did not take the close command"
"$WINE" "$inspector" close
status=0
wait "$program" || status=$?
echo "run: PortGauge.exe exited with code $status"
exit "$status"
