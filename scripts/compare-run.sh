#!/usr/bin/env bash
# Compares two recordings of tavik-scripted-run (see tests/main/scripted_run.cpp):
#   scripts/compare-run.sh BEFORE_DIR AFTER_DIR
# Text files (frames.txt, messages.txt) must match exactly, pictures pixel by
# pixel; a README.txt beside a recording is not part of it.  Prints one line per file: "same", the number of differing pixels or
# lines, or what is missing.  Exits 1 if anything differs, 2 on bad usage.
set -uo pipefail
if [ $# -ne 2 ] || [ ! -d "$1" ] || [ ! -d "$2" ]; then
  echo "usage: $0 BEFORE_DIR AFTER_DIR" >&2
  exit 2
fi
before="$1" after="$2"
differ=0

names="$( (cd "$before" && ls -1 -- *.txt *.png 2>/dev/null); (cd "$after" && ls -1 -- *.txt *.png 2>/dev/null) )"
names="$(printf '%s\n' "$names" | grep -vx 'README.txt')"
if [ -z "$names" ]; then
  echo "no recordings in $before or $after" >&2
  exit 2
fi
while IFS= read -r name; do
  if [ ! -f "$before/$name" ] || [ ! -f "$after/$name" ]; then
    missing="$before"; [ -f "$before/$name" ] && missing="$after"
    echo "$name: missing in $missing"
    differ=1
    continue
  fi
  case "$name" in
    *.txt)
      if cmp -s "$before/$name" "$after/$name"; then
        echo "$name: same"
      else
        lines=$(diff "$before/$name" "$after/$name" | grep -c '^[<>]')
        echo "$name: $lines lines differ"
        differ=1
      fi ;;
    *.png)
      # compare prints the count on stderr; pictures of different sizes
      # cannot be compared pixel by pixel.
      size_a=$(identify -format '%wx%h' "$before/$name" 2>/dev/null)
      size_b=$(identify -format '%wx%h' "$after/$name" 2>/dev/null)
      if [ -z "$size_a" ] || [ -z "$size_b" ]; then
        echo "$name: not a picture"
        differ=1
      elif [ "$size_a" != "$size_b" ]; then
        echo "$name: size $size_a vs $size_b"
        differ=1
      else
        pixels=$(compare -metric AE "$before/$name" "$after/$name" null: 2>&1)
        if [ "$pixels" = "0" ]; then
          echo "$name: same"
        else
          echo "$name: $pixels pixels differ"
          differ=1
        fi
      fi ;;
  esac
done < <(printf '%s\n' "$names" | sort -u)
exit "$differ"
