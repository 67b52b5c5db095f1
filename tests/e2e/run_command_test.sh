#!/usr/bin/env bash
# The README's run command on a machine with no display, as CI is, made to
# run one build (x86 or x64) through PORTGAUGE_WINDOWS_TARGETS: it must say
# which build it runs, which devices it saw, print the verdict prompt,
# answer it, save a PNG of the report window and end with the program's
# exit code 0. A second run over a prefix still holding an earlier import's
# devices must show only this machine's. Uses a Wine prefix and a screenshot
# path of its own under the directory given.
#
#   run_command_test.sh DIR x86|x64
set -euo pipefail
work=$1
target=$2
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/scripts/wine-session.sh"
use_windows_target "$target"
rm -rf "$work"
mkdir -p "$work"
screenshot="$work/report.png"
prefix="$work/data/portgauge/wineprefix"
if [ "$target" = x64 ]; then prefix="$work/data/portgauge/wineprefix64"; fi

fail() { echo "run command test: $1"; exit 1; }

run_command() {
  output=$(env -u DISPLAY XDG_DATA_HOME="$work/data" PORTGAUGE_SCREENSHOT="$screenshot" \
    PORTGAUGE_WINDOWS_TARGETS="$target" bash "$repo/scripts/run.sh" 2>&1) || { echo "$output"; fail "run command failed"; }
  grep '^run:' <<<"$output"
}

# The devices this machine has, as the provider lists them.
machine_devices=$(grep -c '^\[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\' \
  <("$repo/build/host/inventory/linux/usb-host-mirror") || true)

run_command
grep -q "^run: running the $PORTGAUGE_BITS-bit build of PortGauge.exe: as PORTGAUGE_WINDOWS_TARGETS=\"$target\" asks\$" \
  <<<"$output" || fail "the run did not say it runs the $PORTGAUGE_BITS-bit build"
grep -q '^run:   Caption: Has USB [12]\.[01] Port$' <<<"$output" || fail "no verdict caption printed"
grep -q '^run:   Would you like to see info' <<<"$output" || fail "no verdict question printed"
grep -q '^run:   Answered: Yes$' <<<"$output" || fail "the prompt was not answered"
grep -q "^run: screenshot of the report window: $screenshot\$" <<<"$output" || fail "no screenshot path printed"
grep -q '^run: PortGauge.exe exited with code 0$' <<<"$output" || fail "exit code not 0"
[ "$(head -c 8 "$screenshot" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$screenshot is not a PNG"
# The window is 350 x 300 dialog units plus its frame: hundreds of pixels each way.
read -r width height <<<"$(identify -format '%w %h' "$screenshot")"
[ "$width" -gt 400 ] && [ "$height" -gt 400 ] || fail "screenshot is only ${width}x${height} pixels"
grep -q "^run:   $machine_devices USB devices\? in this Wine prefix\$" <<<"$output" ||
  fail "expected this machine's $machine_devices devices"

# Pretend an earlier start mirrored an EHCI + UHCI machine: its five devices
# are in the prefix and on record. The next start must replace them.
cp "$repo/tests/fixtures/sysfs/ehci_uhci.reg" "$prefix/portgauge-usb-devices.reg"
export WINEPREFIX="$prefix"
"$WINE" regedit /S "$("$WINE" winepath -w "$prefix/portgauge-usb-devices.reg")"
wineserver -k 2>/dev/null || true
run_command
grep -q "^run:   $machine_devices USB devices\? in this Wine prefix\$" <<<"$output" ||
  fail "devices of the earlier start were not replaced by this machine's $machine_devices"
grep -q '^run: PortGauge.exe exited with code 0$' <<<"$output" || fail "exit code not 0 on the second run"
echo "run command test: passed ($target, ${width}x${height} PNG, $machine_devices devices on this machine)"
