#!/usr/bin/env bash
# Runs every test of PortGauge: installs what is missing, builds the trees,
# and runs
#   - the native tree: unit tests, the Linux provider's tests, the unit suite
#     once under valgrind;
#   - the unit tests again under AddressSanitizer and UBSan;
#   - a short run of every fuzz target (libFuzzer, ASan, UBSan);
#   - the code-quality gates (clang-format, clang-tidy, cppcheck);
#   - the Windows tree under Wine: unit, win32, e2e and exe tiers with the
#     prefix set to Windows 7, then the e2e tier again as Windows XP and as
#     Windows 10;
# on a display and in a Wine prefix of its own, both thrown away at the end.
# Exit code 0 only when every test passed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

for tree in host asan fuzz win32; do
  cmake --preset "$tree" >/dev/null
  cmake --build --preset "$tree"
done

ctest --preset host
ctest --preset asan
ctest --preset fuzz --parallel "$(nproc)"
bash scripts/quality.sh

source scripts/wine-session.sh
start_throwaway_session portgauge-test

windows_version() {
  wine winecfg -v "$1"
  export PORTGAUGE_WINDOWS_VERSION=$1
  echo "test: Wine reports Windows as $1"
}
windows_version win7
ctest --preset win32
for version in winxp win10; do
  windows_version "$version"
  # The run command makes a prefix of its own; once is enough.
  ctest --preset win32 -L e2e -E '^e2e\.run_command$'
done
