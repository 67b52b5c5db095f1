#!/usr/bin/env bash
# Runs every test of PortGauge: installs what is missing, builds the trees,
# and runs
#   - the native tree: unit tests, the Linux provider's tests, both suites
#     once under valgrind;
#   - the unit tests again under AddressSanitizer and UBSan;
#   - a short run of every fuzz target (libFuzzer, ASan, UBSan);
#   - the code-quality gates (clang-format, clang-tidy, cppcheck, shellcheck);
#   - the exe tier: both PortGauge.exe files (32-bit and 64-bit) as files,
#     their imports against the oldest Windows each is for, their processor
#     floor, and a second build of each, byte for byte;
#   - for each Windows target this host can run (x86: the 32-bit build in a
#     32-bit prefix; x64: the 64-bit build in a 64-bit prefix), the tiers
#     unit, win32 and e2e under Wine with the prefix set to Windows 7, then
#     the e2e tier again as Windows XP, as Windows 2000 (32-bit only) and as
#     Windows 10; two targets run at the same time, each on a display and in
#     a Wine prefix of its own, all thrown away at the end.
# PORTGAUGE_WINDOWS_TARGETS="x86", "x64" or "x86 x64" picks the targets.
# Exit code 0 only when every tier that ran passed and at least one Windows
# target ran.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/wine-session.sh
targets=$(windows_targets)

for tree in host asan fuzz win32 win64; do
  cmake --preset "$tree" >/dev/null
  cmake --build --preset "$tree"
done

ctest --preset host
ctest --preset asan
ctest --preset fuzz --parallel "$(nproc)"
bash scripts/quality.sh

# Each exe as a file (Debian's own python3 has pefile; a python3 earlier on
# PATH may not): format, resources, every import against the oldest Windows
# it is for, its processor floor; then built once more elsewhere, byte for byte.
echo "test: exe tier"
/usr/bin/python3 tests/exe/check_exe.py x86 build/win32/app/PortGauge.exe resources/portgauge.ico
/usr/bin/python3 tests/exe/check_exe.py x64 build/win64/app/PortGauge.exe resources/portgauge.ico
bash tests/exe/check_rebuild.sh win32
bash tests/exe/check_rebuild.sh win64

summary=("exe: PortGauge.exe x86 and x64 checked as files and built twice, byte-identical")
session=$(mktemp -d /tmp/portgauge-test.XXXXXX)
# shellcheck disable=SC2317 # called by the EXIT trap
report() {
  local line
  echo "test: summary"
  for line in "${summary[@]}"; do echo "test:   $line"; done
  rm -rf "$session"
}
trap report EXIT

# The version matrix: Windows 7 for every tier, then XP and 10 for e2e, and
# for the 32-bit build Windows 2000 too. A 64-bit prefix has no plain XP;
# its XP is the 64-bit edition.
windows_version() {
  "$WINE" winecfg -v "$1"
  export PORTGAUGE_WINDOWS_VERSION=$1
  echo "test: $target: Wine reports Windows as $1"
}
export PORTGAUGE_VERSION_MATRIX=1

# One target's Windows tiers, on a display and in a prefix of its own, so
# that two targets can run at once; it stops what it started.
windows_tiers() {
  target=$1
  trap stop_wine_session EXIT
  use_windows_target "$target"
  start_xvfb
  prepare_wine_prefix "$session/prefix-$target"
  echo "test: $target: the $PORTGAUGE_BITS-bit build in $WINEARCH prefix $WINEPREFIX through $WINE, on Xvfb $DISPLAY"
  local versions=(winxp win2k win10) version
  if [ "$target" = x64 ]; then versions=(winxp64 win10); fi
  windows_version win7
  ctest --preset "$PORTGAUGE_PRESET"
  for version in "${versions[@]}"; do
    windows_version "$version"
    # The run command makes prefixes of its own; once is enough.
    ctest --preset "$PORTGAUGE_PRESET" -L e2e -E '^e2e\.run_command'
  done
  echo "$target: ran unit, win32, e2e (win7$(printf ', %s' "${versions[@]}"))" >"$session/$target.done"
}

# Each target this host runs: the first with its output as it comes, any
# other at the same time into a log shown when it is done.
runnable=()
for target in $targets; do
  if target_runs_here "$target"; then
    runnable+=("$target")
  else
    summary+=("$target: not run: $PORTGAUGE_NOT_RUN_REASON")
    echo "test: ${summary[-1]}"
  fi
done
if [ ${#runnable[@]} -eq 0 ]; then
  summary+=("no Windows target ran: nothing of the Windows build was tested")
  exit 1
fi
declare -A background=()
for target in "${runnable[@]:1}"; do
  echo "test: $target: running at the same time; its log follows when it is done"
  (windows_tiers "$target") >"$session/$target.log" 2>&1 &
  background[$target]=$!
done
# Started apart and waited for: a subshell that is part of an "||" list
# would run on past a failing command.
(windows_tiers "${runnable[0]}") &
first=$!
failed=0
wait "$first" || failed=1
for target in "${!background[@]}"; do
  wait "${background[$target]}" || failed=1
  echo "test: $target: its log"
  sed "s/^/[$target] /" "$session/$target.log"
done
for target in "${runnable[@]}"; do
  if [ -f "$session/$target.done" ]; then
    summary+=("$(cat "$session/$target.done")")
  else
    summary+=("$target: FAILED (its log above)")
  fi
done
exit "$failed"
