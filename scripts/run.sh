#!/usr/bin/env bash
# Builds PortGauge.exe and runs it under Wine, in a Wine prefix of its own
# ($XDG_DATA_HOME/portgauge/wineprefix, or wineprefix64 for the 64-bit build;
# XDG_DATA_HOME defaults to ~/.local/share), never the user's default one.
#
# It runs the 32-bit build where this kernel executes 32-bit x86 code and
# 32-bit Wine could be installed, and otherwise the 64-bit build through
# 64-bit Wine, saying why; PORTGAUGE_WINDOWS_TARGETS=x86 or x64 forces one.
#
# Before each start the prefix's USB devices are refreshed from this machine:
# usb-host-mirror lists its USB host controllers, hubs and the devices
# plugged in that Windows puts in its USB class, as Windows would
# (from the kernel's device tree under /sys, or under PORTGAUGE_SYSFS), and
# the devices of earlier starts are removed.
#
# On a desktop the program opens on the user's display. With no display it
# runs on an Xvfb of its own: it prints the verdict prompt as read off the
# box, answers Yes, prints the report's rows, saves a screenshot of the
# report window as a PNG, closes the window and exits with the program's
# exit code.
#
# One run at a time per prefix: a second run waits for the first (up to
# PORTGAUGE_LOCK_WAIT seconds, default 600) and then takes its turn.
set -eEuo pipefail
cd "$(dirname "$0")/.."

# Every step says what it starts; a step that fails says what failed and
# what to do about it, and the command ends with a non-zero code.
step="starting" advice=""
phase() {
  step=$1 advice=$2
  echo "run: $step"
}
# shellcheck disable=SC2317 # called by the ERR trap
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

# Temporary files live in one folder, removed however the command ends.
run_dir=$(mktemp -d -t portgauge-run.XXXXXX)
trap 'stop_wine_session; rm -rf "$run_dir"' EXIT

phase "choosing the build to run" "set PORTGAUGE_WINDOWS_TARGETS to x86 or x64, or leave it unset"
target="" why=""
for candidate in $(windows_targets); do
  if target_runs_here "$candidate"; then
    target=$candidate
    break
  fi
  why=$PORTGAUGE_NOT_RUN_REASON
done
if [ -z "$target" ]; then
  echo "run: PORTGAUGE_WINDOWS_TARGETS=\"${PORTGAUGE_WINDOWS_TARGETS:-}\" asks only for the 32-bit build," \
    "and it cannot run here: $why; use x64" >&2
  exit 1
fi
use_windows_target "$target"
if [ -n "${PORTGAUGE_WINDOWS_TARGETS:-}" ]; then
  why="as PORTGAUGE_WINDOWS_TARGETS=\"$PORTGAUGE_WINDOWS_TARGETS\" asks"
elif [ "$target" = x86 ]; then
  why="this kernel executes 32-bit x86 code and 32-bit Wine is installed"
fi
echo "run: running the $PORTGAUGE_BITS-bit build of PortGauge.exe: $why"

phase "finding the folder for the Wine prefix" "set XDG_DATA_HOME to an absolute path"
data_home=$(portgauge_data_home)
# Wine itself wants a home.
if [[ "${HOME:-}" != /* ]]; then HOME=$(account_home) && export HOME; fi
prefix="$data_home/portgauge/wineprefix"
if [ "$target" = x64 ]; then prefix="$data_home/portgauge/wineprefix64"; fi

phase "building PortGauge.exe ($PORTGAUGE_BITS-bit), inspector.exe and usb-host-mirror" \
  "the compiler's message is above; scripts/install-deps.sh installs the tool chain"
# Runs started together from one checkout take turns at its build trees.
mkdir -p build
# shellcheck disable=SC2016 # the inner shell expands $0
flock -w 1800 build/.portgauge-build.lock bash -ec '
  cmake --preset "$0" >/dev/null
  cmake --build --preset "$0" --target PortGauge inspector
  cmake --preset host >/dev/null
  cmake --build --preset host --target usb-host-mirror' "$PORTGAUGE_PRESET"

exe=build/$PORTGAUGE_PRESET/app/PortGauge.exe
inspector=build/$PORTGAUGE_PRESET/tests/inspector.exe
mirror=build/host/linux/usb-host-mirror/usb-host-mirror
screenshot=${PORTGAUGE_SCREENSHOT:-$PWD/build/portgauge-report.png}

phase "taking the Wine prefix $prefix for this run" \
  "another run of PortGauge still uses it; let it finish, or end it, and run the command again"
# The lock is held by a process of its own that ends with this script, however
# it ends: no Wine process started later inherits it, so a wineserver that
# outlives a killed run cannot keep the prefix locked.
mkdir -p "$prefix"
# shellcheck disable=SC2016 # the inner shell expands $0
flock -w "${PORTGAUGE_LOCK_WAIT:-600}" "$prefix/.portgauge-run.lock" \
  sh -c 'echo taken; exec tail --pid="$0" -f /dev/null' "$$" >"$run_dir/lock" &
lock_holder=$!
waited=0
until grep -q taken "$run_dir/lock"; do
  if ! kill -0 "$lock_holder" 2>/dev/null; then
    echo "run: the Wine prefix $prefix was still in use after ${PORTGAUGE_LOCK_WAIT:-600} s" >&2
    false
  fi
  if [ "$waited" = 10 ]; then
    echo "run: another run is using the Wine prefix $prefix; waiting for it to finish" \
      "(at most ${PORTGAUGE_LOCK_WAIT:-600} s)"
  fi
  waited=$((waited + 1))
  sleep 0.1
done

headless=1
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then headless=0; fi
if [ "$headless" = 1 ]; then
  phase "starting an Xvfb display (there is no display)" "Xvfb comes with scripts/install-deps.sh"
  start_xvfb
fi

phase "preparing the Wine prefix (the first time this takes a minute or two)" \
  "run the command again: a setup cut short is done again; or remove $prefix to start anew"
prepare_wine_prefix "$prefix"

# The keys of the device records a REGEDIT4 file adds or removes.
device_keys() {
  sed -n 's/^\[-\{0,1\}\(HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Enum\\[^]]*\)\]\r\{0,1\}$/\1/p' "$@"
}
# Writes the keys read from standard input as the prefix's record of device
# keys to remove, replacing it whole.
record_device_keys() {
  local record="$WINEPREFIX/portgauge-usb-devices.reg"
  { printf 'REGEDIT4\r\n\r\n'; sort -u | sed 's/.*/[-&]\r/'; } >"$run_dir/record.reg"
  mv "$run_dir/record.reg" "$record"
}

# Replaces the USB devices of earlier starts with this machine's. What is to
# be imported is on record before the import, so a start cut short at any
# point is undone by the next one.
refresh_usb_devices() {
  local record="$WINEPREFIX/portgauge-usb-devices.reg" fresh="$run_dir/usb-devices.reg"
  "$mirror" ${PORTGAUGE_SYSFS:+--sysfs "$PORTGAUGE_SYSFS"} --output "$fresh"
  { if [ -f "$record" ]; then device_keys "$record"; fi; device_keys "$fresh"; } | record_device_keys
  "$WINE" regedit /S "$("$WINE" winepath -w "$record")"
  "$WINE" regedit /S "$("$WINE" winepath -w "$fresh")"
  interruption_point import
  device_keys "$fresh" | record_device_keys
}
phase "importing this machine's USB devices into the prefix" \
  "usb-host-mirror or Wine's regedit said why above; the next run starts this step afresh"
refresh_usb_devices

echo "run: device set: this machine's USB host controllers, hubs and devices of the USB class, in Wine prefix $WINEPREFIX"
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

# The inspector starts the program and hands on its exit code; it names the
# program's process, and every later look touches that process's windows only.
echo "run: no display; running on Xvfb $DISPLAY and answering Yes"
: >"$run_dir/launch"
"$WINE" "$inspector" start "$("$WINE" winepath -w "$exe")" >"$run_dir/launch" &
launcher=$!
pid=""
for _ in $(seq 1 300); do
  pid=$(sed -n 's/^pid \([0-9][0-9]*\).*/\1/p' "$run_dir/launch")
  if [ -n "$pid" ] || ! kill -0 "$launcher" 2>/dev/null; then break; fi
  sleep 0.1
done
if [ -z "$pid" ]; then
  echo "run: PortGauge.exe did not start; Wine's message, if any, is above" >&2
  exit 1
fi
phase "answering the verdict prompt" "the program did not show its prompt in time; run it on a desktop to see why"
"$WINE" "$inspector" verdict yes "$pid" | tr -d '\r' | sed 's/^/run:   /'
phase "reading the report window" "the program did not show its window in time"
report=$("$WINE" "$inspector" report "$pid" | tr -d '\r')
read -r x y width height <<<"$(head -n1 <<<"$report")"
rows=$(tail -n +2 <<<"$report" | wc -l)
echo "run: report window at ($x, $y), ${width}x${height} pixels, $rows rows"
tail -n +2 <<<"$report" | sed 's/^/run:   /'
phase "saving a screenshot of the report window" "ImageMagick's import comes with scripts/install-deps.sh"
mkdir -p "$(dirname "$screenshot")"
import -display "$DISPLAY" -window root -crop "${width}x${height}+${x}+${y}" +repage "$screenshot"
echo "run: screenshot of the report window: $screenshot"
phase "closing the report window" "the window did not take the close command"
"$WINE" "$inspector" close "$pid"
status=0
wait "$launcher" || status=$?
echo "run: PortGauge.exe exited with code $status"
exit "$status"
