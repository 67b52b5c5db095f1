#!/usr/bin/env bash
# Installs what building and testing PortGauge needs on Debian 12 / Ubuntu,
# skipping whatever is already present. Needs root or sudo.
#
# 32-bit Wine (wine32, through i386 multiarch) is installed only where the
# 32-bit build will run: this kernel executes 32-bit x86 code and
# PORTGAUGE_WINDOWS_TARGETS (if set) asks for x86.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/wine-session.sh

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

packages=(
  cmake g++ make ninja-build python3 python3-pefile
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  googletest libbenchmark-dev
  clang libclang-rt-14-dev clang-tidy clang-format cppcheck valgrind
  xvfb x11-utils imagemagick
  wine wine64 fonts-wine
)
targets=$(windows_targets)
i386=no
if [[ " $targets " == *" x86 "* ]] && kernel_runs_x86_code; then
  i386=yes
  packages+=(wine32:i386)
fi
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${need[*]}"
if [ "$i386" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
# A mirror caught in the middle of a sync fails an index now and then; try
# again, and go on with the lists we have if it keeps failing: the install
# below says clearly whether they were enough.
updated=no
for attempt in 1 2 3; do
  if $SUDO apt-get update -qq; then
    updated=yes
    break
  fi
  echo "install-deps: apt-get update failed (attempt $attempt of 3)" >&2
  sleep $((attempt * 5))
done
if [ "$updated" = no ]; then echo "install-deps: going on with the package lists as they are" >&2; fi
if ! $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null; then
  echo "install-deps: could not install ${need[*]}; see apt-get's message above." >&2
  echo "install-deps: if the package archive was being updated, try again in a few minutes." >&2
  exit 1
fi
