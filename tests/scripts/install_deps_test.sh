#!/usr/bin/env bash
# install-deps.sh against package archives in each state it must survive,
# played by a stand-in apt (apt_stand_in.sh) on PATH: what it runs, what it
# says, what it leaves for the test and run commands, and its exit code.
# Each case runs a copy of the scripts, so nothing here touches this
# checkout's build folder or the machine's packages.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "install-deps test: $case: $1"
  failures=$((failures + 1))
}

# The machine's package sources: one-line lists and deb822 files, every
# suite of the archive beside the security suite, and a file apt does not read.
mkdir -p "$work/etc/sources.list.d"
cat >"$work/etc/sources.list" <<'EOF'
# security updates
deb http://deb.debian.org/debian-security bookworm-security main
deb [ arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg ] http://deb.debian.org/debian-security bookworm-security main contrib
deb-src http://deb.debian.org/debian bookworm main
EOF
cat >"$work/etc/sources.list.d/debian.sources" <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main

Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-security bookworm-backports
Components: main
EOF
echo "deb http://deb.debian.org/debian-security bookworm-security main" >"$work/etc/sources.list.d/old.list.disabled"
printf 'Dir::Etc::sourcelist "%s";\nDir::Etc::sourceparts "%s";\n' \
  "$work/etc/sources.list" "$work/etc/sources.list.d" >"$work/apt.conf"
# What the install reads with bookworm-security left out.
expected_list='# security updates
deb-src http://deb.debian.org/debian bookworm main'
expected_sources='Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main

Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main'

# run_case CASE [KERNEL_RUNS_X86]: install-deps.sh from a fresh copy of the
# scripts over the stand-in in state CASE; its output in $output, its exit
# code in $status, the apt-get and dpkg --add-architecture calls in $calls.
run_case() {
  case=$1
  case_dir=$work/$case-${2:-yes}
  mkdir -p "$case_dir/bin" "$case_dir/repo/scripts" "$case_dir/repo/build"
  cp "$repo/scripts/install-deps.sh" "$repo/scripts/wine-session.sh" "$case_dir/repo/scripts/"
  for tool in apt-get apt-cache dpkg dpkg-query sudo; do ln -s "$here/apt_stand_in.sh" "$case_dir/bin/$tool"; done
  # A marker of an earlier run that could not install 32-bit Wine.
  echo "E: an earlier failure" >"$case_dir/repo/build/wine32-not-installed"
  status=0
  output=$(env -u PORTGAUGE_WINDOWS_TARGETS PATH="$case_dir/bin:$PATH" APT_CONFIG="$work/apt.conf" STANDIN_CASE="$case" \
    STANDIN_DIR="$case_dir" PORTGAUGE_KERNEL_RUNS_X86="${2:-yes}" PORTGAUGE_APT_RETRY_SECONDS=0 \
    bash "$case_dir/repo/scripts/install-deps.sh" 2>&1) || status=$?
  calls=$(grep -E '^(apt-get|dpkg --add-architecture)' "$case_dir/calls" || true)
}
expect_status() {
  [ "$status" = "$1" ] || fail "exit code $status, expected $1; its output: $output"
}
expect_calls() {  # expect_calls LINE...: exactly these apt-get / dpkg --add-architecture calls, in order
  local expected
  expected=$(printf '%s\n' "$@")
  [ "$calls" = "$expected" ] || fail "ran:
$calls
expected:
$expected"
}
expect_line() {
  grep -qxF -- "$1" <<<"$output" || fail "no line \"$1\" in: $output"
}
expect_no_line() {  # a line starting so
  ! grep -q "^$1" <<<"$output" || fail "a line \"$1...\" in: $output"
}
# The test and run commands' view afterwards: whether the 32-bit build runs here, or why not.
x86_verdict() {
  (
    PORTGAUGE_KERNEL_RUNS_X86=yes
    # shellcheck source=scripts/wine-session.sh
    source "$case_dir/repo/scripts/wine-session.sh"
    if target_runs_here x86; then echo runs; else echo "not run: $PORTGAUGE_NOT_RUN_REASON"; fi
  )
}
expect_sources_without_security() {  # the folder an install was given
  [ "$(cat "$case_dir/install-sources-$1/sources.list")" = "$expected_list" ] ||
    fail "sources.list as given to install $1: $(cat "$case_dir/install-sources-$1/sources.list")"
  [ "$(cat "$case_dir/install-sources-$1/debian.sources")" = "$expected_sources" ] ||
    fail "debian.sources as given to install $1: $(cat "$case_dir/install-sources-$1/debian.sources")"
  [ "$(ls "$case_dir/install-sources-$1")" = "$(printf 'debian.sources\nsources.list')" ] ||
    fail "files given to install $1: $(ls "$case_dir/install-sources-$1")"
}

wanted="wine wine64 fonts-wine"
left_out="install-deps: leaving the suite bookworm-security out of this install: apt-get update could not fetch \
http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz \
(File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 203.0.113.80 80])"
held="E: Unable to correct problems, you have held broken packages."
filtered="-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts=DIR"

# A clean archive: one update, one transaction with both architectures, and
# an earlier failure forgotten.
run_case clean
expect_status 0
expect_calls "dpkg --add-architecture i386" "apt-get update -qq" \
  "apt-get install -y -qq --no-install-recommends $wanted wine32:i386"
expect_no_line "install-deps: leaving"
[ "$(x86_verdict)" = runs ] || fail "after it the 32-bit build is $(x86_verdict)"

# One suite's i386 index cannot be fetched: that suite is left out of the
# one transaction, and said so; nothing is downgraded.
run_case unfetched
expect_status 0
expect_calls "dpkg --add-architecture i386" "apt-get update -qq" "apt-get update -qq" "apt-get update -qq" \
  "apt-get $filtered install -y -qq --no-install-recommends $wanted wine32:i386"
expect_line "$left_out"
expect_sources_without_security 1
expect_no_line "install-deps: downgrading"
[ "$(x86_verdict)" = runs ] || fail "after it the 32-bit build is $(x86_verdict)"

# The same, with a library installed from the left-out suite that 32-bit
# Wine needs as an i386 twin: only that one goes back to the twin's version.
# (linux-libc-dev, also newer than the other suites have, is no twin Wine needs.)
run_case twin
expect_status 0
expect_calls "dpkg --add-architecture i386" "apt-get update -qq" "apt-get update -qq" "apt-get update -qq" \
  "apt-get $filtered install -y -qq --no-install-recommends --allow-downgrades $wanted wine32:i386 libgstreamer-plugins-base1.0-0:amd64=1.22.0-3+deb12u5"
expect_line "$left_out"
expect_line "install-deps: downgrading libgstreamer-plugins-base1.0-0:amd64 from 1.22.0-3+deb12u7 to 1.22.0-3+deb12u5: \
32-bit Wine needs its i386 twin, and the twin has only that version here"
expect_sources_without_security 1

# 32-bit Wine cannot be installed however it is asked for: the rest is
# installed from every suite, and the test and run commands learn why.
run_case unresolvable
expect_status 0
expect_calls "dpkg --add-architecture i386" "apt-get update -qq" "apt-get update -qq" "apt-get update -qq" \
  "apt-get $filtered install -y -qq --no-install-recommends $wanted wine32:i386" \
  "apt-get install -y -qq --no-install-recommends $wanted"
expect_line "install-deps: 32-bit Wine could not be installed from the package archive ($held); \
installing the rest without it: the 32-bit build will not be run"
[ "$(x86_verdict)" = "not run: 32-bit Wine could not be installed from the package archive ($held)" ] ||
  fail "after it the 32-bit build is $(x86_verdict)"

# Nothing can be installed: a failure, with apt's message.
run_case broken
expect_status 1
expect_line "E: Unable to fetch some archives, maybe run apt-get update or try with --fix-missing?"
expect_line "install-deps: could not install $wanted; apt-get's message is above."

# A kernel that cannot run 32-bit code: no i386 architecture, no wine32.
run_case clean no
expect_status 0
expect_calls "apt-get update -qq" "apt-get install -y -qq --no-install-recommends $wanted"

if [ "$failures" -ne 0 ]; then exit 1; fi
echo "install-deps test: passed"
