#!/usr/bin/env bash
# Installs what building and testing PortGauge needs on Debian or Ubuntu,
# skipping whatever is already present. Needs root or sudo.
#
# Everything missing goes in one apt transaction, both architectures
# together, so that the resolver picks one consistent set. 32-bit Wine
# (wine32:i386, through i386 multiarch) is asked for only where the 32-bit
# build will run: this kernel executes 32-bit x86 code and
# PORTGAUGE_WINDOWS_TARGETS (if set) asks for x86.
#
# A package archive caught in the middle of a sync leaves an index
# unfetched now and then (seen: one suite's i386 index, for hours).
# Multiarch needs an amd64 library and its i386 twin at one version, so the
# install then leaves that suite out, and a library already installed from
# it goes back to the version the other suites have, but only where 32-bit
# Wine needs its twin. If 32-bit Wine still cannot be installed, the rest
# is installed without it, and apt's reason is kept in
# build/wine32-not-installed: the test and run commands then leave the
# 32-bit build out and say why.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

packages=(
  cmake g++ make ninja-build python3 python3-pefile
  g++-mingw-w64-i686-win32 binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
  googletest libbenchmark-dev
  clang libclang-rt-14-dev clang-tidy clang-format cppcheck valgrind shellcheck
  xvfb x11-utils imagemagick
  wine wine64 fonts-wine
)
need=()
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done
targets=$(windows_targets)
wine32=no
if [[ " $targets " == *" x86 "* ]] && kernel_runs_x86_code; then
  if have_pkg wine32:i386; then
    rm -f "$PORTGAUGE_WINE32_MISSING"
  else
    wine32=yes
  fi
fi
if [ ${#need[@]} -eq 0 ] && [ "$wine32" = no ]; then
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Brings the package lists up to date, three tries at most; then prints, one
# a line, "SUITE URL REASON" for each index apt still could not fetch.
update_package_lists() {
  local attempt
  for attempt in 1 2 3; do
    if $SUDO apt-get update -qq >"$work/update.log" 2>&1; then return 0; fi
    echo "install-deps: apt-get update failed (attempt $attempt of 3)" >&2
    if [ "$attempt" != 3 ]; then sleep $((attempt * ${PORTGAUGE_APT_RETRY_SECONDS:-5})); fi
  done
  cat "$work/update.log" >&2
  # "E: Failed to fetch http://.../dists/SUITE/main/binary-i386/Packages.xz  File has ..."
  sed -n 's,^[EW]: Failed to fetch \([^ ]*/dists/\([^/ ]*\)/[^ ]*\) *\(.*\)$,\2 \1 \3,p' "$work/update.log"
}

# Writes into the folder $1 every package source apt reads, but for the
# suites named after it: the one-line lists (sources.list, *.list) without
# their lines, the deb822 files (*.sources) with those suites taken off
# their Suites fields and a stanza left with none dropped. Fails when no
# source is left.
write_sources_without() {
  local dir=$1 list="" parts="" file
  shift
  mkdir -p "$dir"
  eval "$(apt-config shell list Dir::Etc::sourcelist/f parts Dir::Etc::sourceparts/d)"
  for file in "$list" "$parts"*.list; do
    [ -f "$file" ] || continue
    awk -v out="$*" '
      function suite_of(line,   f, n, i) {
        n = split(line, f, /[ \t]+/)
        i = (f[1] == "") ? 2 : 1
        i++  # past deb or deb-src
        if (substr(f[i], 1, 1) == "[") { while (i <= n && f[i] !~ /\]$/) i++; i++ }
        return f[i + 1]  # past the URI
      }
      BEGIN { n = split(out, o, " "); for (i = 1; i <= n; i++) drop[o[i]] = 1 }
      /^[ \t]*deb(-src)?[ \t]/ && (suite_of($0) in drop) { next }
      { print }' "$file" >"$dir/$(basename "$file" .list).list"
  done
  for file in "$parts"*.sources; do
    [ -f "$file" ] || continue
    awk -v out="$*" '
      BEGIN { RS = ""; FS = "\n"; n = split(out, o, " "); for (i = 1; i <= n; i++) drop[o[i]] = 1 }
      {
        stanza = ""; keep = 1
        for (l = 1; l <= NF; l++) {
          line = $l
          if (tolower(line) ~ /^suites:/) {
            value = line; sub(/^[^:]*:/, "", value)
            n = split(value, s, /[ \t]+/); kept = ""
            for (i = 1; i <= n; i++) if (s[i] != "" && !(s[i] in drop)) kept = kept " " s[i]
            if (kept == "") keep = 0
            line = "Suites:" kept
          }
          stanza = stanza line "\n"
        }
        if (keep) printf "%s\n", stanza
      }' "$file" >"$dir/$(basename "$file")"
  done
  grep -qsE '^[[:space:]]*(deb|deb-src)[[:space:]]|^Suites:' "$dir"/*
}

# The packages of this machine's own architecture that 32-bit Wine needs as
# an i386 twin of the same version, where the sources in use have that twin
# only at a lower version than the one installed: "NAME:ARCH=VERSION
# INSTALLED" a line, the first word to install with --allow-downgrades.
twin_downgrades() {
  local native name arch multiarch version twin candidate
  native=$(dpkg --print-architecture)
  declare -A installed=()
  while read -r name arch multiarch version; do
    if [ "$arch" = "$native" ] && [ "$multiarch" = same ]; then installed[$name]=$version; fi
  done < <(dpkg-query -W -f='${db:Status-Status} ${Package} ${Architecture} ${Multi-Arch} ${Version}\n' |
    sed -n 's/^installed //p')
  local twins=()
  while read -r name; do
    if [ -n "${installed[$name]:-}" ]; then twins+=("$name:i386"); fi
  done < <(apt-cache "${apt_sources[@]}" depends --recurse --no-recommends --no-suggests --no-conflicts \
    --no-breaks --no-replaces --no-enhances wine32:i386 2>/dev/null | sed -n 's/^\([^ <][^ ]*\):i386$/\1/p' | sort -u)
  [ ${#twins[@]} -gt 0 ] || return 0
  while read -r twin candidate; do
    name=${twin%:i386}
    if [ "$candidate" != "(none)" ] && dpkg --compare-versions "$candidate" lt "${installed[$name]}"; then
      echo "$name:$native=$candidate ${installed[$name]}"
    fi
  done < <(apt-cache "${apt_sources[@]}" policy "${twins[@]}" |
    awk '/^[^ ].*:$/ { sub(/:$/, ""); twin = $0 } /^  Candidate:/ { print twin, $2 }')
}

# apt_install PACKAGE...: one transaction over the sources in use; apt's
# output goes to $work/install.log.
apt_install() {
  $SUDO apt-get "${apt_sources[@]}" install -y -qq --no-install-recommends "$@" >"$work/install.log" 2>&1
}

echo "install-deps: installing ${need[*]}$([ "$wine32" = no ] || echo " wine32:i386")"
if [ "$wine32" = yes ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

apt_sources=()
mapfile -t unfetched < <(update_package_lists)
if [ ${#unfetched[@]} -gt 0 ]; then
  mapfile -t suites < <(printf '%s\n' "${unfetched[@]}" | cut -d' ' -f1 | sort -u)
  if write_sources_without "$work/sources" "${suites[@]}"; then
    apt_sources=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/sources")
    for line in "${unfetched[@]}"; do
      read -r suite url reason <<<"$line"
      echo "install-deps: leaving the suite $suite out of this install: apt-get update could not fetch $url ($reason)"
    done
  else
    echo "install-deps: every package source has an index apt could not fetch; going on with the package lists as they are" >&2
  fi
fi

if [ "$wine32" = yes ]; then
  downgrades=() allow=()
  while read -r package installed; do
    downgrades+=("$package") allow=(--allow-downgrades)
    echo "install-deps: downgrading ${package%%=*} from $installed to ${package#*=}:" \
      "32-bit Wine needs its i386 twin, and the twin has only that version here"
  done < <(twin_downgrades)
  if apt_install "${allow[@]}" "${need[@]}" wine32:i386 "${downgrades[@]}"; then
    rm -f "$PORTGAUGE_WINE32_MISSING"
    exit 0
  fi
  cat "$work/install.log" >&2
  reason=$(grep -m1 '^E: ' "$work/install.log" || tail -n1 "$work/install.log")
  mkdir -p "$(dirname "$PORTGAUGE_WINE32_MISSING")"
  echo "$reason" >"$PORTGAUGE_WINE32_MISSING"
  echo "install-deps: 32-bit Wine could not be installed from the package archive ($reason);" \
    "installing the rest without it: the 32-bit build will not be run" >&2
  # Without wine32:i386 nothing needs an i386 twin: every suite serves again.
  apt_sources=()
  if [ ${#need[@]} -eq 0 ]; then exit 0; fi
fi
if ! apt_install "${need[@]}"; then
  cat "$work/install.log" >&2
  echo "install-deps: could not install ${need[*]}; apt-get's message is above." >&2
  echo "install-deps: if the package archive was being updated, try again in a few minutes." >&2
  exit 1
fi
