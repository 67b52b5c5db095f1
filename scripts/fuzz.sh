#!/usr/bin/env bash
# Long fuzz runs (the test command runs each target for a minute only).
#   RUNS=10000000 bash scripts/fuzz.sh [TARGET...]
# runs each target (default: all) until RUNS executions, or for
# SECONDS_PER_TARGET seconds when that is set, growing the corpus under
# build/fuzz/fuzz/corpus/ and printing libFuzzer's final statistics. A finding stops the run and
# leaves its input as build/fuzz/crash-* (or leak-*, timeout-*).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(class_list scan_device_inventory fill_report_list draw_report_row)
fi
# Inputs of up to 1 KiB hold class lists, names and values well past every
# buffer's size; longer ones only slow the class list's quadratic split.
limit=(-runs="${RUNS:-10000000}" -max_len=1024)
if [ -n "${SECONDS_PER_TARGET:-}" ]; then limit=(-max_total_time="$SECONDS_PER_TARGET" -max_len=1024); fi

for target in "${targets[@]}"; do
  corpus=build/fuzz/fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== $target"
  log=build/fuzz/$target.log
  status=0
  build/fuzz/fuzz/${target}_fuzz "${limit[@]}" -print_final_stats=1 -artifact_prefix=build/fuzz/ \
    "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  grep -E '^(stat::|Done|SUMMARY|==[0-9]+==)' "$log" || true
  [ "$status" -eq 0 ] || { echo "fuzz: $target found something; see $log and build/fuzz/"; exit 1; }
done
