# shellcheck shell=bash
# Sourced by the run command's tests: DIR and the Windows target (x86 or
# x64) from the command line, a fresh work folder with a temporary folder of
# its own, the target's Wine loader and prefix name, and fixture machines
# built from tests/fixtures/sysfs/*.tree, one folder each under DIR.
#
#   source run_command_session.sh NAME DIR TARGET MACHINE...

test_name=$1
work=$2
target=$3
shift 3
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$repo/scripts/wine-session.sh"
use_windows_target "$target"
# shellcheck disable=SC2034 # for the tests that source this
if [ "$target" = x64 ]; then prefix_name=wineprefix64; else prefix_name=wineprefix; fi
rm -rf "$work"
mkdir -p "$work/tmp"

fail() {
  echo "$test_name: $1"
  exit 1
}

# Under the run command's build lock: the tests of two targets may run at once.
(cd "$repo" && mkdir -p build && flock -w 1800 build/.portgauge-build.lock bash -ec '
  cmake --preset host >/dev/null
  cmake --build --preset host --target make-sysfs-tree >/dev/null')
for machine in "$@"; do
  "$repo/build/host/tests/linux/make-sysfs-tree" "$repo/tests/fixtures/sysfs/$machine.tree" "$work/$machine"
done
