#!/usr/bin/env bash
# Builds PortGauge.exe of one Windows preset (win32 or win64) a second time,
# from a copy of these sources in another folder, with the first build's
# time stamp, and fails unless the two files are byte-identical: nothing in
# the exe may depend on the time, the build folder or the source folder.
#
#   check_rebuild.sh PRESET      (after cmake --build --preset PRESET)
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
preset=$1
first="$repo/build/$preset/app/PortGauge.exe"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The sources as they stand, uncommitted changes and new files too.
(cd "$repo" && git ls-files -z --cached --others --exclude-standard | tar --null -T - -cf -) | (mkdir "$work/source" && tar -xf - -C "$work/source")
SOURCE_DATE_EPOCH=$(cat "$repo/build/$preset/app/source-date-epoch.txt")
export SOURCE_DATE_EPOCH
if ! { cmake -S "$work/source" --preset "$preset" -B "$work/build" -DPORTGAUGE_TESTS=OFF -DPORTGAUGE_BENCHMARKS=OFF &&
  cmake --build "$work/build" --target PortGauge; } >"$work/build.log" 2>&1; then
  cat "$work/build.log"
  echo "check_rebuild: $preset: the second build failed"
  exit 1
fi
if ! cmp "$first" "$work/build/app/PortGauge.exe"; then
  echo "check_rebuild: $preset: a second build of PortGauge.exe differs from $first"
  exit 1
fi
echo "check_rebuild: $preset: a second build in another folder is byte-identical: $(sha256sum <"$first" | cut -d' ' -f1)"
