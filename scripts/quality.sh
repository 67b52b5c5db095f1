#!/usr/bin/env bash
# The code-quality gates, zero findings each: clang-format (the committed
# .clang-format), clang-tidy (the checks in .clang-tidy) and cppcheck, over
# our own sources. Needs the host, win32 and fuzz trees configured: each
# source is checked with the compile commands of the tree that builds it.
# Exit code 0: nothing found; 1: findings or files that could not be
# checked, shown above; 2: a tool is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# A gate whose tool is missing finds nothing; say so instead.
missing=0
for tool in clang-format clang-tidy cppcheck i686-w64-mingw32-g++-posix; do
  if ! command -v "$tool" >/dev/null; then
    echo "quality: $tool is not installed (not on PATH); bash scripts/install-deps.sh installs it" >&2
    missing=1
  fi
done
[ "$missing" -eq 0 ] || exit 2

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
status=0

echo "quality: clang-format"
clang-format --dry-run --Werror "${sources[@]}" || status=1

echo "quality: clang-tidy"
# The MinGW C++ headers, for the Windows-only sources.
mapfile -t mingw_includes < <(
  echo | i686-w64-mingw32-g++-posix -E -x c++ - -v 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' | sed -n 's/^ \(\/.*\)/--extra-arg=-isystem\1/p')
in_tree() { grep -qF "\"file\": \"$PWD/$2\"" "build/$1/compile_commands.json"; }
host=() win32=() fuzz=()
for f in "${sources[@]}"; do
  case "$f" in
    *.cpp)
      if in_tree host "$f"; then host+=("$f")
      elif in_tree win32 "$f"; then win32+=("$f")
      elif in_tree fuzz "$f"; then fuzz+=("$f")
      else echo "quality: $f is built by no tree"; status=1
      fi ;;
  esac
done
tidy() {  # tidy TREE [clang-tidy options] -- FILES
  local tree=$1 options=() files=()
  shift
  while [ "$1" != -- ]; do options+=("$1"); shift; done
  shift
  files=("$@")
  [ ${#files[@]} -gt 0 ] || return 0
  # Findings and compile errors go to standard output; standard error says
  # why a file could not be checked (no compile commands, a compile error),
  # among counts of warnings that were not shown.
  { printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 2 clang-tidy --quiet -p "build/$tree" "${options[@]}" \
      2>&1 1>&3 3>&- | { grep -vE "$tidy_noise" || true; } >&2; } 3>&1
}
tidy_noise='^([0-9]+ warnings? generated\.|Suppressed [0-9]+ warnings? |Use -header-filter=)'

tidy host -- "${host[@]}" || status=1
tidy win32 --extra-arg=--target=i686-w64-mingw32 "${mingw_includes[@]}" -- "${win32[@]}" || status=1
tidy fuzz -- "${fuzz[@]}" || status=1

echo "quality: cppcheck"
cppcheck --quiet --error-exitcode=1 --std=c++17 --language=c++ --inline-suppr \
  --enable=warning,performance,portability --library=googletest --library=windows \
  --suppress=missingIncludeSystem -D_WIN32 -D__GNUC__ \
  -DPORTGAUGE_EXE='""' -DPORTGAUGE_INSPECTOR='""' -DPORTGAUGE_FIXTURE_DIR='""' -DPORTGAUGE_SYSFS_FIXTURE_DIR='""' -DUSB_HOST_MIRROR_PATH='""' \
  app assessment inventory report bench fuzz tests/e2e tests/fakes tests/linux tests/support tests/unit tests/win32 ||
  status=1

if [ "$status" -ne 0 ]; then echo "quality: findings above"; fi
exit "$status"
