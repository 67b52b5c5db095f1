#!/usr/bin/env bash
# The code-quality gates, zero findings each: clang-format (the committed
# .clang-format), clang-tidy (the checks in .clang-tidy) and cppcheck, over
# our own sources, and shellcheck over our shell scripts (following the
# files they source). Needs the host, win32 and fuzz trees configured: each
# source is checked with the compile commands of a tree that builds it.
# Exit code 0: nothing found; 1: findings or files that could not be
# checked, shown above; 2: a tool is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

# A gate whose tool is missing finds nothing; say so instead.
missing=0
for tool in clang-format clang-tidy cppcheck shellcheck; do
  if ! command -v "$tool" >/dev/null; then
    echo "quality: $tool is not installed (not on PATH); bash scripts/install-deps.sh installs it" >&2
    missing=1
  fi
done
[ "$missing" -eq 0 ] || exit 2

mapfile -t sources < <(git ls-files '*.c' '*.cpp' '*.h')
status=0

echo "quality: clang-format"
clang-format --dry-run --Werror "${sources[@]}" || status=1

echo "quality: clang-tidy"
# Each tree lists the sources it builds (portgauge-sources.txt, written by
# CMake) and, for a cross tree, what clang-tidy must be told to stand in for
# its compiler (portgauge-tidy-arguments.txt). A source is checked once, with
# the first tree that builds it.
trees=(host win32 fuzz)
declare -A tree_of=()
for tree in "${trees[@]}"; do
  list=build/$tree/portgauge-sources.txt
  [ -f "$list" ] || { echo "quality: $list is missing; configure the $tree tree first" >&2; exit 2; }
  while read -r file; do
    file=${file#"$PWD/"}
    if [ -n "$file" ] && [ -z "${tree_of[$file]:-}" ]; then tree_of[$file]=$tree; fi
  done <"$list"
done
for file in "${sources[@]}"; do
  case "$file" in
    *.c | *.cpp) [ -n "${tree_of[$file]:-}" ] || { echo "quality: $file is built by no tree"; status=1; } ;;
  esac
done
# Findings and compile errors go to standard output; standard error says why
# a file could not be checked, among counts of warnings that were not shown.
tidy_noise='^([0-9]+ warnings? generated\.|Suppressed [0-9]+ warnings? |Use -header-filter=)'
for tree in "${trees[@]}"; do
  files=()
  for file in "${!tree_of[@]}"; do
    if [ "${tree_of[$file]}" = "$tree" ]; then files+=("$file"); fi
  done
  [ ${#files[@]} -gt 0 ] || continue
  mapfile -t arguments < <(grep -v '^$' "build/$tree/portgauge-tidy-arguments.txt" || true)
  { printf '%s\n' "${files[@]}" | xargs -P "$(nproc)" -n 2 clang-tidy --quiet -p "build/$tree" "${arguments[@]}" \
      2>&1 1>&3 3>&- | { grep -vE "$tidy_noise" || true; } >&2; } 3>&1 || status=1
done

echo "quality: cppcheck"
cppcheck --quiet --error-exitcode=1 --std=c++17 --language=c++ --inline-suppr \
  --enable=warning,performance,portability --library=googletest --library=windows \
  --suppress=missingIncludeSystem -D_WIN32 -D__GNUC__ \
  -DPORTGAUGE_EXE='""' -DPORTGAUGE_INSPECTOR='""' -DPORTGAUGE_FIXTURE_DIR='""' -DPORTGAUGE_SYSFS_FIXTURE_DIR='""' -DUSB_HOST_MIRROR_PATH='""' \
  app assessment common inventory linux report bench fuzz tests ||
  status=1

echo "quality: shellcheck"
mapfile -t scripts < <(git ls-files 'scripts/*.sh' 'tests/*.sh' 'cmake/*.sh' .ci/run)
shellcheck --external-sources --source-path=SCRIPTDIR "${scripts[@]}" || status=1

if [ "$status" -ne 0 ]; then echo "quality: findings above"; fi
exit "$status"
