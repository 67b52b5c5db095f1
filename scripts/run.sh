#!/usr/bin/env bash
# Builds PortGauge.exe and runs it under Wine, in a Wine prefix of its own
# (~/.local/share/portgauge/wineprefix), never the user's default one.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target PortGauge

source scripts/wine-session.sh
trap stop_wine_session EXIT
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb
fi
prepare_wine_prefix "${XDG_DATA_HOME:-$HOME/.local/share}/portgauge/wineprefix"

status=0
wine build/win32/app/PortGauge.exe || status=$?
echo "run: PortGauge.exe exited with code $status"
exit "$status"
