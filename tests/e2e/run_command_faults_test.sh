#!/usr/bin/env bash
# The run command when things go wrong around it, one build (x86 or x64):
#   - two runs started together on one prefix both finish, each with its own
#     verdict and exit code 0; the second waits for the first;
#   - a run killed right after importing its devices: the next run, on a
#     machine without USB, lists no device and reports the older port;
#   - a run killed in the middle of making its prefix: the next run finishes
#     the prefix's setup (the fonts), and runs.
# Uses Wine prefixes, a display and temporary folders of its own under DIR.
#
#   run_command_faults_test.sh DIR x86|x64
set -euo pipefail
# shellcheck source=tests/e2e/run_command_session.sh
source "$(dirname "$0")/run_command_session.sh" "run command faults test" "$1" "$2" ehci_uhci none

# The runs that are killed get this display, so that they leave no Xvfb behind.
start_xvfb
# Each run stops its own wineserver; a killed one cannot, so the test does.
prefixes=("$work/shared/portgauge/$prefix_name" "$work/fresh/portgauge/$prefix_name")
stop_prefixes() {
  local prefix
  for prefix in "${prefixes[@]}"; do WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; done
  stop_wine_session
}
trap stop_prefixes EXIT

# run NAME DATA SYSFS [VARIABLE=VALUE...]: the run command with no display
# (unless a DISPLAY is given), its output in $work/NAME.log; prints its exit code.
run() {
  local name=$1 data=$2 sysfs=$3 status=0
  shift 3
  env -u DISPLAY XDG_DATA_HOME="$data" TMPDIR="$work/tmp" PORTGAUGE_SCREENSHOT="$work/$name.png" \
    PORTGAUGE_WINDOWS_TARGETS="$target" PORTGAUGE_SYSFS="$sysfs" "$@" bash "$repo/scripts/run.sh" \
    >"$work/$name.log" 2>&1 || status=$?
  echo "$status"
}
expect_line() {  # expect_line NAME LINE
  grep -qxF -- "$2" "$work/$1.log" || { cat "$work/$1.log"; fail "$1: no line \"$2\""; }
}

# Two runs at once on one prefix (made first, so that both start alike).
[ "$(run first "$work/shared" "$work/ehci_uhci")" = 0 ] || { cat "$work/first.log"; fail "the first run failed"; }
run one "$work/shared" "$work/ehci_uhci" >"$work/one.status" &
one=$!
run two "$work/shared" "$work/ehci_uhci" >"$work/two.status" &
wait "$one" $!
for name in one two; do
  [ "$(cat "$work/$name.status")" = 0 ] || { cat "$work/$name.log"; fail "concurrent run $name failed"; }
  expect_line "$name" "run:   Caption: Has USB 2.0 Port"
  expect_line "$name" "run:   Answered: Yes"
  expect_line "$name" "run: PortGauge.exe exited with code 0"
  grep -q '^run: report window at .* 37 rows$' "$work/$name.log" || fail "run $name read no full report"
done
grep -q '^run: another run is using the Wine prefix' "$work/one.log" "$work/two.log" ||
  fail "neither concurrent run waited for the other"

# Killed right after importing an EHCI machine's devices, before recording
# them, where the last run recorded none: the next run, on a machine without
# USB, must not see them.
[ "$(run before-kill "$work/shared" "$work/none")" = 0 ] || { cat "$work/before-kill.log"; fail "the run before the kill failed"; }
expect_line before-kill "run:   0 USB devices in this Wine prefix"
status=$(run killed "$work/shared" "$work/ehci_uhci" DISPLAY="$DISPLAY" PORTGAUGE_TEST_KILL_AFTER=import)
[ "$status" = 137 ] || { cat "$work/killed.log"; fail "the run was not killed after its import (exit $status)"; }
WINEPREFIX="$work/shared/portgauge/$prefix_name" wineserver -k 2>/dev/null || true
[ "$(run after-kill "$work/shared" "$work/none")" = 0 ] || { cat "$work/after-kill.log"; fail "the run after the kill failed"; }
expect_line after-kill "run:   0 USB devices in this Wine prefix"
expect_line after-kill "run:   Caption: Has USB 1.1 Port"

# Killed while making a new prefix, right after wineboot: the next run
# finishes the setup rather than taking the prefix for ready.
fresh="$work/fresh/portgauge/$prefix_name"
status=$(run cut-short "$work/fresh" "$work/none" DISPLAY="$DISPLAY" PORTGAUGE_TEST_KILL_AFTER=wineboot)
[ "$status" = 137 ] || { cat "$work/cut-short.log"; fail "the run was not killed after wineboot (exit $status)"; }
# Its wineserver, not yet persistent, ends on its own and saves the registry.
WINEPREFIX="$fresh" timeout 60 wineserver -w || fail "the wineserver of the prefix cut short did not end"
for _ in $(seq 1 300); do
  if [ -f "$fresh/system.reg" ]; then break; fi
  sleep 0.1
done
[ -f "$fresh/system.reg" ] || fail "the prefix cut short has no registry: nothing was tried"
[ "$(run after-cut "$work/fresh" "$work/none")" = 0 ] || { cat "$work/after-cut.log"; fail "the run after the cut failed"; }
for font in /usr/share/wine/fonts/*; do
  [ -f "$fresh/drive_c/windows/Fonts/$(basename "$font")" ] || fail "the setup was not finished: no $(basename "$font")"
done
expect_line after-cut "run: PortGauge.exe exited with code 0"
echo "run command faults test: passed ($target)"
