#!/usr/bin/env bash
# Runs every test of PortGauge: installs what is missing, builds the native
# and the Windows trees, and runs the unit, win32 and e2e tiers through CTest
# under Wine on a display and in a Wine prefix of its own, both thrown away
# at the end. Exit code 0 only when every test passed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset host >/dev/null
cmake --build --preset host
cmake --preset win32 >/dev/null
cmake --build --preset win32

source scripts/wine-session.sh
workdir=$(mktemp -d /tmp/portgauge-test.XXXXXX)
cleanup() {
  stop_wine_session
  rm -rf "$workdir"
}
trap cleanup EXIT

start_xvfb
echo "test: Xvfb on $DISPLAY, Wine prefix $workdir/prefix"
prepare_wine_prefix "$workdir/prefix"

ctest --preset host
ctest --preset win32
