#!/usr/bin/env bash
# The session helpers' answers that need no Wine: which Windows targets are
# asked for and which this kernel runs, and where the program's data goes.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source=scripts/wine-session.sh
source "$repo/scripts/wine-session.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# What this checkout's install found stays out of it: the cases below say
# whether 32-bit Wine could be installed.
PORTGAUGE_WINE32_MISSING=$work/wine32-not-installed
failures=0
expect() {  # expect WHAT EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    echo "wine-session test: $1: expected \"$2\", got \"$3\""
    failures=$((failures + 1))
  fi
}

# Targets: both by default; the override picks; anything else is refused.
expect "default targets" "x86 x64" "$(unset PORTGAUGE_WINDOWS_TARGETS; windows_targets)"
expect "empty override" "x86 x64" "$(PORTGAUGE_WINDOWS_TARGETS="" windows_targets)"
for override in x86 x64 "x86 x64" "x64 x86"; do
  expect "override \"$override\"" "$override" "$(PORTGAUGE_WINDOWS_TARGETS="$override" windows_targets)"
done
for bad in x32 amd64 "x86,x64" win32; do
  status=0
  PORTGAUGE_WINDOWS_TARGETS="$bad" windows_targets >/dev/null 2>&1 || status=$?
  expect "override \"$bad\" refused" 2 "$status"
done

# The probe agrees with the kernel: a 32-bit ELF runs exactly when the
# kernel takes it. Where binutils can make one, check the probe against it.
# A probe that gives neither answer ends this test with its message.
status=0
kernel_runs_x86_code || status=$?
probed=$PORTGAUGE_KERNEL_RUNS_X86
expect "x64 always runs" 0 "$(target_runs_here x64; echo $?)"
expect "x86 runs as the probe says" "$status" "$(target_runs_here x86 && echo 0 || echo 1)"
# shellcheck disable=SC2016 # assembler text, not shell
if printf '.globl _start\n_start: movl $1, %%eax\n movl $7, %%ebx\n int $0x80\n' >"$work/p.s" &&
  as --32 -o "$work/p.o" "$work/p.s" 2>/dev/null && ld -m elf_i386 -o "$work/p" "$work/p.o" 2>/dev/null; then
  other=0
  "$work/p" 2>/dev/null || other=$?
  expect "probe agrees with a program built by binutils" "$([ "$other" = 7 ] && echo 0 || echo 1)" "$status"
fi

# The two reasons to leave the 32-bit build out, and the kernel's comes first.
# not_run KERNEL_RUNS_X86 MARKER_TEXT|-: the answer for x86 ("runs" or the reason).
not_run() {
  (
    PORTGAUGE_KERNEL_RUNS_X86=$1
    rm -f "$PORTGAUGE_WINE32_MISSING"
    if [ "$2" != - ]; then echo "$2" >"$PORTGAUGE_WINE32_MISSING"; fi
    if target_runs_here x86; then echo runs; else echo "$PORTGAUGE_NOT_RUN_REASON"; fi
  )
}
expect "x86, all there" runs "$(not_run yes -)"
expect "x86 without 32-bit Wine" "32-bit Wine could not be installed from the package archive (E: held broken packages.)" \
  "$(not_run yes "E: held broken packages.")"
expect "x86 on a kernel without 32-bit code" "this kernel cannot execute 32-bit x86 code" "$(not_run no -)"
expect "x86 on a kernel without 32-bit code, nor 32-bit Wine" "this kernel cannot execute 32-bit x86 code" \
  "$(not_run no "E: held broken packages.")"
expect "x64, even without 32-bit Wine" 0 "$(target_runs_here x64; echo $?)"

# Where the data goes: an absolute XDG_DATA_HOME, else ~/.local/share; a
# relative XDG_DATA_HOME is ignored; no HOME means the account's home.
account=$(getent passwd "$(id -u)" | cut -d: -f6)
expect "absolute XDG_DATA_HOME" /x/data "$(HOME=/h XDG_DATA_HOME=/x/data portgauge_data_home)"
expect "no XDG_DATA_HOME" /h/.local/share "$(unset XDG_DATA_HOME; HOME=/h portgauge_data_home)"
expect "empty XDG_DATA_HOME" /h/.local/share "$(HOME=/h XDG_DATA_HOME="" portgauge_data_home)"
expect "relative XDG_DATA_HOME" /h/.local/share "$(HOME=/h XDG_DATA_HOME=data portgauge_data_home)"
expect "no HOME" "$account/.local/share" "$(unset HOME XDG_DATA_HOME; portgauge_data_home)"
expect "relative HOME" "$account/.local/share" "$(unset XDG_DATA_HOME; HOME=home portgauge_data_home)"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "wine-session test: passed (this kernel runs 32-bit x86 code: $probed)"
