#!/usr/bin/env bash
# Runs the benchmarks (never part of the tests): the device scan per device
# (native), then, for each Windows target this host can run, start-up to the
# verdict prompt under Wine against two programs of the same architecture: a
# bare message box (minimal_prompt) and the job's own platform calls before
# the same box (floor_prompt). The ratio to the floor is the program's own
# cost. ROUNDS sets the number of measured rounds (default 15).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/wine-session.sh
targets=$(windows_targets)

cmake --preset host >/dev/null
cmake --build --preset host --target scan_benchmark
build/host/bench/scan_benchmark

start_throwaway_session portgauge-bench
for target in $targets; do
  if ! target_runs_here "$target"; then
    echo "bench: $target: not run: $PORTGAUGE_NOT_RUN_REASON"
    continue
  fi
  use_windows_target "$target"
  cmake --preset "$PORTGAUGE_PRESET" >/dev/null
  cmake --build --preset "$PORTGAUGE_PRESET" --target PortGauge minimal_prompt floor_prompt prompt_startup_benchmark
  prepare_wine_prefix "$PORTGAUGE_SESSION_DIR/prefix-$target"
  tree=build/$PORTGAUGE_PRESET
  echo "bench: $target: start-up to the verdict prompt, $PORTGAUGE_BITS-bit, in $WINEARCH prefix"
  "$WINE" "$tree/bench/prompt_startup_benchmark.exe" \
    "$("$WINE" winepath -w "$tree/app/PortGauge.exe")" \
    "$("$WINE" winepath -w "$tree/bench/minimal_prompt.exe")" \
    "$("$WINE" winepath -w "$tree/bench/floor_prompt.exe")" \
    "$("$WINE" winepath -w tests/fixtures/twelve_usb_devices.reg)" "${ROUNDS:-15}" | tr -d '\r' | sed "s/^/bench: $target: /"
  stop_wine_prefix
  echo "bench: $target: PortGauge.exe: $(stat -c %s "$tree/app/PortGauge.exe") bytes"
done
