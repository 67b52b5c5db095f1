#!/usr/bin/env bash
# Long fuzz runs (the test command runs each target for a minute only).
#   RUNS=10000000 bash scripts/fuzz.sh [TARGET...]
# runs each target (default: all) until RUNS executions, or for
# SECONDS_PER_TARGET seconds when that is set, growing the corpus under
# build/fuzz/fuzz/corpus/ and printing libFuzzer's final statistics.
# A finding (crash, leak, timeout, out of memory) stops the run; its input
# is left as build/fuzz/crash-* (leak-*, timeout-*, oom-*) and its path
# printed. Exit code 0: nothing found; 1: a finding; 2: a target that is
# not built or did not run (its log's last lines printed).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(class_list scan_device_inventory fill_report_list draw_report_row usb_host_mirror)
fi
# Inputs of up to 1 KiB hold class lists, names and values well past every
# buffer's size; longer ones only slow the class list's quadratic split.
limit=(-runs="${RUNS:-10000000}" -max_len=1024)
if [ -n "${SECONDS_PER_TARGET:-}" ]; then limit=(-max_total_time="$SECONDS_PER_TARGET" -max_len=1024); fi
# libFuzzer's exit codes for what it finds: 77 a crash or leak, 70 a
# timeout, 71 out of memory. A sanitizer's report exits with 1, as does a
# usage error; the input a finding leaves tells them apart.
finding_codes=" 70 71 77 "

for target in "${targets[@]}"; do
  binary=build/fuzz/fuzz/${target}_fuzz
  if [ ! -x "$binary" ]; then
    echo "fuzz: no target $target: $binary is not built (targets: fuzz/*_fuzz.cpp)" >&2
    exit 2
  fi
  corpus=build/fuzz/fuzz/corpus/$target
  mkdir -p "$corpus"
  echo "== $target"
  log=build/fuzz/$target.log
  start=build/fuzz/.$target.start
  touch "$start"
  status=0
  "$binary" "${limit[@]}" -error_exitcode=77 -timeout_exitcode=70 -print_final_stats=1 \
    -artifact_prefix=build/fuzz/ "$corpus" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  grep -E '^(stat::|Done|SUMMARY|==[0-9]+==)' "$log" || true
  artifact=$(find build/fuzz -maxdepth 1 -type f -newer "$start" \
    \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) -print -quit)
  rm -f "$start"
  [ "$status" -ne 0 ] || continue
  if [ -n "$artifact" ]; then
    echo "fuzz: $target found something (exit $status); input: $artifact; log: $log" >&2
    exit 1
  fi
  if [[ "$finding_codes" == *" $status "* ]]; then
    echo "fuzz: $target found something (exit $status) but left no input; log: $log" >&2
    exit 1
  fi
  echo "fuzz: $target did not run (exit $status); log: $log" >&2
  tail -n 5 "$log" >&2
  exit 2
done
