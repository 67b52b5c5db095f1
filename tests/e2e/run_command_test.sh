#!/usr/bin/env bash
# The README's run command on a machine with no display, as CI is: it must
# print the verdict prompt, answer it, save a PNG of the report window and
# end with the program's exit code 0. Uses a Wine prefix and a screenshot
# path of its own under the directory given.
set -euo pipefail
work=$1
repo=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
screenshot="$work/report.png"

output=$(env -u DISPLAY XDG_DATA_HOME="$work/data" PORTGAUGE_SCREENSHOT="$screenshot" \
  bash "$repo/scripts/run.sh" 2>&1) || { echo "$output"; echo "run command failed"; exit 1; }
echo "$output" | grep '^run:'

fail() { echo "run command test: $1"; exit 1; }
grep -q '^run:   Caption: Has USB [12]\.[01] Port$' <<<"$output" || fail "no verdict caption printed"
grep -q '^run:   Would you like to see info' <<<"$output" || fail "no verdict question printed"
grep -q '^run:   Answered: Yes$' <<<"$output" || fail "the prompt was not answered"
grep -q "^run: screenshot of the report window: $screenshot\$" <<<"$output" || fail "no screenshot path printed"
grep -q '^run: PortGauge.exe exited with code 0$' <<<"$output" || fail "exit code not 0"
[ "$(head -c 8 "$screenshot" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] || fail "$screenshot is not a PNG"
# The window is 350 x 300 dialog units plus its frame: hundreds of pixels each way.
size=$(identify -format '%w %h' "$screenshot")
read -r width height <<<"$size"
[ "$width" -gt 400 ] && [ "$height" -gt 400 ] || fail "screenshot is only $size pixels"
echo "run command test: passed ($size PNG)"
