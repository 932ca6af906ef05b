#!/usr/bin/env bash
# Fails when a C or C++ source of the repository differs from what clang-format makes of it
# (the rules are in .clang-format), printing the offending places. ./dev test runs it first.
set -euo pipefail
cd "$(dirname "$0")/.."

# Hand-laid data tables, kept in their own layout on purpose.
EXCLUDED=(
  searchlib/foldtable.c
  searchlib/foldtable_utf8.c
)

if ! command -v clang-format >/dev/null; then
  echo "check_format: clang-format is not installed" >&2
  exit 1
fi

# Every source git knows or would take (tracked, or new and not ignored), else every source
# outside the build folders.
mapfile -t files < <(
  if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files --cached --others --exclude-standard -- '*.c' '*.cc' '*.cpp' '*.h' '*.hpp' |
      while IFS= read -r f; do [ -f "$f" ] && printf '%s\n' "$f"; done
  else
    find . -path ./build -prune -o -type f \( -name '*.c' -o -name '*.cc' -o -name '*.cpp' \
      -o -name '*.h' -o -name '*.hpp' \) -print | sed 's#^\./##'
  fi | grep -v -x -F -f <(printf '%s\n' "${EXCLUDED[@]}") | sort -u
)

if ! clang-format --dry-run -Werror "${files[@]}"; then
  echo "check_format: run clang-format -i on the files above" >&2
  exit 1
fi
echo "check_format: ${#files[@]} files formatted"
