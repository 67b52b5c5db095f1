# shellcheck shell=bash
# Sourced by the README's commands: which Windows builds this host can run,
# and a display and a Wine prefix of our own for one of them.
#
#   kernel_runs_x86_code     true when this kernel executes 32-bit x86 code,
#                            found out by running a tiny 32-bit program; the
#                            script ends when the program gives neither answer
#   windows_targets          the Windows targets asked for: x86 (the 32-bit
#                            build), x64 (the 64-bit one); both unless
#                            PORTGAUGE_WINDOWS_TARGETS names others
#   target_runs_here T       true when this host can run target T; when it
#                            cannot, PORTGAUGE_NOT_RUN_REASON says why
#   use_windows_target T     selects target T: exports WINE (its Wine
#                            loader), WINEARCH, PORTGAUGE_PRESET (its CMake
#                            preset, also its folder under build/) and
#                            PORTGAUGE_BITS (32 or 64)
#   start_xvfb               starts Xvfb on a free display, exports DISPLAY
#   prepare_wine_prefix DIR  creates (or reuses) the selected target's prefix
#                            DIR, exports WINEPREFIX, starts a persistent
#                            wineserver for it; a prefix whose setup was cut
#                            short is set up again
#   portgauge_data_home      where the program's own data goes, by the XDG
#                            rules: $XDG_DATA_HOME if it is an absolute path,
#                            else ~/.local/share (the account's home when
#                            HOME is unset)
#   stop_wine_prefix         stops that wineserver
#   stop_wine_session        stops everything the functions above started
#   start_throwaway_session NAME
#                            starts Xvfb and makes a temporary folder for
#                            prefixes, PORTGAUGE_SESSION_DIR; all of it is
#                            stopped and removed when the script exits
#
# Call Wine's tools through the selected loader ("$WINE" regedit, "$WINE"
# winepath): on Debian the commands on PATH always start the 32-bit loader.
# Only processes started here are stopped: Xvfb by its PID, the wineserver
# with `wineserver -k` for our own prefix.

PORTGAUGE_XVFB_PID=""
PORTGAUGE_WINESERVER_PREFIX=""
PORTGAUGE_SCRIPTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Written by install-deps.sh when 32-bit Wine could not be installed from
# the package archive: apt's first error line.
PORTGAUGE_WINE32_MISSING=$(dirname "$PORTGAUGE_SCRIPTS_DIR")/build/wine32-not-installed

export WINEDEBUG=-all
# No Mono or Gecko download prompts: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The answer is the kernel's, not the distribution's: some kernels are built
# or booted (ia32_emulation=0) without 32-bit support, and then no 32-bit
# program starts at all, Wine's included. The probe is a complete 32-bit
# ELF program of 96 bytes that exits with code 32, written byte by byte so
# that no toolchain is needed yet.
kernel_runs_x86_code() {
  if [ -z "${PORTGAUGE_KERNEL_RUNS_X86:-}" ]; then
    local dir status=0 output
    dir="$PORTGAUGE_SCRIPTS_DIR/../build/x86-probe"
    mkdir -p "$dir"
    {
      # ELF header: 32-bit, little-endian, executable, i386, entry 0x08048054,
      # program headers at 52, one of them.
      printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
      printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
      printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
      # Program header: load the whole 96-byte file at 0x08048000, readable and executable.
      printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
      printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
      # mov ebx, 32; mov eax, 1 (exit); int 0x80
      printf '\xbb\x20\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'
    } >"$dir/probe"
    chmod +x "$dir/probe"
    output=$("$dir/probe" 2>&1) || status=$?
    case "$status" in
      32) PORTGAUGE_KERNEL_RUNS_X86=yes ;;
      126) PORTGAUGE_KERNEL_RUNS_X86=no ;;  # Exec format error
      *)
        # Neither answer: taking it for "no" would skip the 32-bit build for
        # a reason that is not true. The script stops here instead.
        echo "wine-session: cannot tell whether this kernel runs 32-bit x86 code: $dir/probe ended with $status ${output}" >&2
        exit 2
        ;;
    esac
    export PORTGAUGE_KERNEL_RUNS_X86
  fi
  [ "$PORTGAUGE_KERNEL_RUNS_X86" = yes ]
}

windows_targets() {
  local asked=() target
  for target in ${PORTGAUGE_WINDOWS_TARGETS:-x86 x64}; do
    case "$target" in
      x86 | x64) asked+=("$target") ;;
      *)
        echo "wine-session: PORTGAUGE_WINDOWS_TARGETS=\"$PORTGAUGE_WINDOWS_TARGETS\": each target is x86 or x64" >&2
        return 2
        ;;
    esac
  done
  echo "${asked[*]}"
}

# The only reasons to leave a target out: the kernel cannot run its code,
# or its Wine could not be installed.
target_runs_here() {
  PORTGAUGE_NOT_RUN_REASON=""
  if [ "$1" = x86 ]; then
    if ! kernel_runs_x86_code; then
      PORTGAUGE_NOT_RUN_REASON="this kernel cannot execute 32-bit x86 code"
    elif [ -f "$PORTGAUGE_WINE32_MISSING" ]; then
      PORTGAUGE_NOT_RUN_REASON="32-bit Wine could not be installed from the package archive ($(head -n1 "$PORTGAUGE_WINE32_MISSING"))"
    fi
  fi
  [ -z "$PORTGAUGE_NOT_RUN_REASON" ]
}

# The loader of one architecture, where Debian and Ubuntu put it.
wine_loader() {
  case "$1" in
    x86) [ -x /usr/lib/wine/wine ] && echo /usr/lib/wine/wine ;;
    x64)
      if [ -x /usr/lib/wine/wine64 ]; then
        echo /usr/lib/wine/wine64
      else
        command -v wine64
      fi
      ;;
  esac
}

use_windows_target() {
  case "$1" in
    x86) PORTGAUGE_PRESET=win32 PORTGAUGE_BITS=32 WINEARCH=win32 ;;
    x64) PORTGAUGE_PRESET=win64 PORTGAUGE_BITS=64 WINEARCH=win64 ;;
    *)
      echo "wine-session: unknown Windows target \"$1\"" >&2
      return 2
      ;;
  esac
  if ! WINE=$(wine_loader "$1"); then
    echo "wine-session: no $PORTGAUGE_BITS-bit Wine loader found; run scripts/install-deps.sh" >&2
    return 1
  fi
  export WINE WINEARCH PORTGAUGE_PRESET PORTGAUGE_BITS
}

start_xvfb() {
  local displayfile
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  PORTGAUGE_XVFB_PID=$!
  for _ in $(seq 1 100); do
    if [ -s "$displayfile" ]; then break; fi
    if ! kill -0 "$PORTGAUGE_XVFB_PID" 2>/dev/null; then break; fi
    sleep 0.1
  done
  if [ ! -s "$displayfile" ]; then
    rm -f "$displayfile"
    echo "wine-session: Xvfb did not start" >&2
    return 1
  fi
  DISPLAY=":$(head -n1 "$displayfile")"
  export DISPLAY
  rm -f "$displayfile"
}

portgauge_data_home() {
  if [[ "${XDG_DATA_HOME:-}" == /* ]]; then
    echo "$XDG_DATA_HOME"
    return
  fi
  local home
  home=$(account_home) || return 1
  echo "$home/.local/share"
}

# $HOME, or the account's home folder when HOME is unset or not absolute.
account_home() {
  local home=${HOME:-}
  if [[ "$home" != /* ]]; then home=$(getent passwd "$(id -u)" | cut -d: -f6); fi
  if [[ "$home" != /* ]]; then
    echo "wine-session: HOME is not set and this account has no home folder; set XDG_DATA_HOME" >&2
    return 1
  fi
  echo "$home"
}

# For the tests of an interrupted run only: the script is killed outright at
# the point named by PORTGAUGE_TEST_KILL_AFTER, as a power cut would.
interruption_point() {
  if [ "${PORTGAUGE_TEST_KILL_AFTER:-}" = "$1" ]; then kill -KILL $$; fi
}

prepare_wine_prefix() {
  export WINEPREFIX="$1"
  # The prefix is ready only once all of its setup is done: a setup cut
  # short (the fonts not copied, the frames not set) is done again.
  local ready="$WINEPREFIX/.portgauge-ready"
  if [ ! -f "$ready" ]; then
    mkdir -p "$WINEPREFIX"
    if ! "$WINE" wineboot -i >/dev/null 2>&1; then
      echo "wine-session: $WINE could not create the Wine prefix $WINEPREFIX" >&2
      return 1
    fi
    interruption_point wineboot
    # Wine draws its own frames (caption, close box) when no window manager
    # runs, and keeps exit codes intact.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Debian's Wine does not find its own fonts; without them dialog units
    # come out at the wrong size.
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    wineserver -w
    touch "$ready"
  fi
  # A persistent server makes each later start take milliseconds, not seconds.
  # One left running by a run that was killed, or still ending, would make
  # it fail: end that one first.
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p
  PORTGAUGE_WINESERVER_PREFIX="$WINEPREFIX"
  "$WINE" cmd /c exit >/dev/null 2>&1 || true
}

stop_wine_prefix() {
  if [ -n "$PORTGAUGE_WINESERVER_PREFIX" ]; then
    WINEPREFIX="$PORTGAUGE_WINESERVER_PREFIX" wineserver -k 2>/dev/null || true
    PORTGAUGE_WINESERVER_PREFIX=""
  fi
}

stop_wine_session() {
  stop_wine_prefix
  if [ -n "$PORTGAUGE_XVFB_PID" ]; then
    kill "$PORTGAUGE_XVFB_PID" 2>/dev/null || true
    wait "$PORTGAUGE_XVFB_PID" 2>/dev/null || true
    PORTGAUGE_XVFB_PID=""
  fi
}

start_throwaway_session() {
  PORTGAUGE_SESSION_DIR=$(mktemp -d "/tmp/$1.XXXXXX")
  trap 'stop_wine_session; rm -rf "$PORTGAUGE_SESSION_DIR"' EXIT
  start_xvfb
  echo "$1: Xvfb on $DISPLAY, Wine prefixes under $PORTGAUGE_SESSION_DIR"
}
