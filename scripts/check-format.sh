#!/usr/bin/env bash
# Fails when a C++ file of the repository differs from what clang-format
# (with the repository's .clang-format) makes of it; lists those files.
#   scripts/check-format.sh          check
#   scripts/check-format.sh --fix    rewrite them in place
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i --style=file "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --style=file --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not formatted (scripts/check-format.sh --fix):\n'; printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "format: ${#files[@]} files as clang-format leaves them"
