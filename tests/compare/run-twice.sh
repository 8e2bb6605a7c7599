#!/usr/bin/env bash
# Records the scripted run twice and compares the two: a run that depends on
# its timing would make every before/after comparison fail.
#   run-twice.sh TAVIK_SCRIPTED_RUN COMPARE_RUN_SH
set -euo pipefail
run="$1" compare="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$run" "$work/first" 2>/dev/null
"$run" "$work/second" 2>/dev/null
for f in frames.txt messages.txt main-1-scan.png main-2-up.png main-3-slider.png \
         settings-4-read.png settings-5-write.png main-6-language.png settings-6-language.png; do
  [ -s "$work/first/$f" ] || { echo "the run wrote no $f"; exit 1; }
done
"$compare" "$work/first" "$work/second"
