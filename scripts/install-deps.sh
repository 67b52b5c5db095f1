#!/usr/bin/env bash
# Installs what building and testing PortGauge needs on Debian 12 / Ubuntu,
# skipping whatever is already present. Needs root or sudo.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

packages=(
  cmake g++ make ninja-build python3
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  googletest libbenchmark-dev
  clang libclang-rt-14-dev clang-tidy clang-format cppcheck valgrind
  xvfb x11-utils imagemagick
  wine wine32 wine64 fonts-wine
)
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
