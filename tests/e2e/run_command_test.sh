#!/usr/bin/env bash
# The README's run command on a machine with no display, as CI is, made to
# run one build (x86 or x64) through PORTGAUGE_WINDOWS_TARGETS, over fixture
# machines (PORTGAUGE_SYSFS): it must say which build it runs, list the
# machine's devices, print the one verdict that machine must give, answer
# it, save a PNG of the report window and end with the program's exit code
# 0. The next run over another machine shows only that machine's devices,
# and a machine with a flash drive and a webcam shows them in the device
# list and in the report's rows. A mirror that fails fails the run. Uses a
# Wine prefix, temporary folder and screenshot path of its own under the
# directory given.
#
#   run_command_test.sh DIR x86|x64
set -euo pipefail
# shellcheck source=tests/e2e/run_command_session.sh
source "$(dirname "$0")/run_command_session.sh" "run command test" "$1" "$2" ehci_uhci xhci_only flash_webcam
screenshot="$work/report.png"

# run_command SYSFS: runs the command over that machine; its output is in $output, its exit code in $status.
run_command() {
  status=0
  output=$(env -u DISPLAY XDG_DATA_HOME="$work/data" TMPDIR="$work/tmp" PORTGAUGE_SCREENSHOT="$screenshot" \
    PORTGAUGE_WINDOWS_TARGETS="$target" PORTGAUGE_SYSFS="$1" bash "$repo/scripts/run.sh" 2>&1) || status=$?
  grep '^run:' <<<"$output" || true
  # Wine keeps its server's socket folder there too; the command's own are portgauge-*.
  leftovers=$(shopt -s nullglob && cd "$work/tmp" && echo portgauge*)
  [ -z "$leftovers" ] || fail "temporary files left behind: $leftovers"
}
expect_line() {  # expect_line LINE WHAT
  grep -qxF -- "$1" <<<"$output" || { echo "$output"; fail "$2: no line \"$1\""; }
}
# expect_block DESCRIPTION DRIVER: the report's seven rows for a device of
# the USB class with no friendly or port name, one after the other.
expect_block() {
  local guid="{36FC9E60-C465-11CF-8056-444553540000}" tab=$'\t' block
  block=$(printf 'run:   %s\n' "Class: ${tab}USB" "Guid: ${tab}$guid" "FriendlyName: ${tab}None" \
    "Description: ${tab}$1" "Driver: ${tab}$guid\\$2" "PortName: ${tab}None" "$(printf -- '-%.0s' {1..75})")
  [[ "$output" == *"$block"* ]] || { echo "$output"; fail "the report has no block for $1 (driver $2)"; }
}

# An EHCI + UHCI machine: USB 2.0, its five devices.
run_command "$work/ehci_uhci"
[ "$status" = 0 ] || { echo "$output"; fail "run command failed"; }
expect_line "run: running the $PORTGAUGE_BITS-bit build of PortGauge.exe: as PORTGAUGE_WINDOWS_TARGETS=\"$target\" asks" \
  "which build"
expect_line "run:   5 USB devices in this Wine prefix" "the EHCI machine's devices"
expect_line "run:   Caption: Has USB 2.0 Port" "the verdict"
expect_line "run:   This computer has a USB 2.0 port." "the verdict's text"
expect_line "run:   Would you like to see info about the USB drivers?" "the question"
expect_line "run:   Answered: Yes" "the answer"
grep -q '^run: report window at ([0-9]*, [0-9]*), [0-9]*x[0-9]* pixels, 37 rows$' <<<"$output" ||
  fail "the report window does not list 2 + 7 x 5 rows"
expect_line "run: screenshot of the report window: $screenshot" "the screenshot"
expect_line "run: PortGauge.exe exited with code 0" "the exit code"
[ "$(head -c 8 "$screenshot" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$screenshot is not a PNG"
# The window is 350 x 300 dialog units plus its frame: hundreds of pixels each way.
read -r width height <<<"$(identify -format '%w %h' "$screenshot")"
[ "$width" -gt 400 ] || fail "screenshot is only ${width}x${height} pixels"
[ "$height" -gt 400 ] || fail "screenshot is only ${width}x${height} pixels"

# Then an xHCI-only machine in the same prefix: the EHCI machine's devices
# are gone, and so is its USB 2.0 verdict.
run_command "$work/xhci_only"
[ "$status" = 0 ] || { echo "$output"; fail "second run failed"; }
expect_line "run:   4 USB devices in this Wine prefix" "only the xHCI machine's devices"
expect_line "run:   Caption: Has USB 1.1 Port" "the xHCI machine's verdict"
expect_line "run: PortGauge.exe exited with code 0" "the second exit code"

# A flash drive and a webcam below the EHCI's hub: the platform lists both
# in its USB class (the webcam as a composite device), after the
# controller, its root hub and the hub.
run_command "$work/flash_webcam"
[ "$status" = 0 ] || { echo "$output"; fail "the run over the flash drive and webcam failed"; }
expect_line "run:   5 USB devices in this Wine prefix" "the flash drive machine's devices"
expect_line "run:     USB Mass Storage Device" "the flash drive among the devices"
expect_line "run:     USB Composite Device" "the webcam among the devices"
expect_line "run:   Caption: Has USB 2.0 Port" "the flash drive machine's verdict"
grep -q '^run: report window at .* 37 rows$' <<<"$output" || fail "the report does not list 2 + 7 x 5 rows"
expect_line "run:   USB DeviceCount: "$'\t'"5" "the report's device count"
expect_block "USB Mass Storage Device" 0003
expect_block "USB Composite Device" 0004
expect_block "Generic USB Hub" 0002
expect_line "run: PortGauge.exe exited with code 0" "the third exit code"

# A device tree the mirror cannot read fails the run, and says so.
run_command "$work/no-such-folder"
[ "$status" != 0 ] || fail "a failing mirror did not fail the run"
grep -q '^run: FAILED while importing this machine.s USB devices' <<<"$output" ||
  { echo "$output"; fail "the failure did not name its step"; }
echo "run command test: passed ($target, ${width}x${height} PNG)"
