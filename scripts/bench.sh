#!/usr/bin/env bash
# Runs the benchmarks (never part of the tests): the device scan per device
# (native), then start-up to the verdict prompt under Wine, as a ratio to a
# program that only shows a message box.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset host >/dev/null
cmake --build --preset host --target scan_benchmark
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target PortGauge minimal_prompt prompt_startup_benchmark

build/host/bench/scan_benchmark

source scripts/wine-session.sh
start_throwaway_session portgauge-bench

wine build/win32/bench/prompt_startup_benchmark.exe \
  "$(winepath -w build/win32/app/PortGauge.exe)" \
  "$(winepath -w build/win32/bench/minimal_prompt.exe)" \
  "$(winepath -w tests/fixtures/twelve_usb_devices.reg)" "${PAIRS:-15}"

ls -l build/win32/app/PortGauge.exe | awk '{print "PortGauge.exe: " $5 " bytes"}'
