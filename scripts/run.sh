#!/usr/bin/env bash
# Builds PortGauge.exe and runs it under Wine, in a Wine prefix of its own
# (${XDG_DATA_HOME:-~/.local/share}/portgauge/wineprefix), never the user's
# default one.
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

source scripts/wine-session.sh
trap stop_wine_session EXIT

exe=build/win32/app/PortGauge.exe
inspector=build/win32/tests/inspector.exe
screenshot=${PORTGAUGE_SCREENSHOT:-$PWD/build/portgauge-report.png}

headless=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then headless=0; fi
if [ "$headless" = 1 ]; then start_xvfb; fi
prepare_wine_prefix "${XDG_DATA_HOME:-$HOME/.local/share}/portgauge/wineprefix"

echo "run: device set: Wine prefix $WINEPREFIX"
wine "$inspector" devices | tr -d '\r' | sed 's/^/run:   /'

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
