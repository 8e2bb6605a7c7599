#!/usr/bin/env bash
# The hour of chaos: the motor link against tavik-motor-sim in chaos mode
# for MINUTES (default 60), with a random mix of scans, reads, setting writes
# and motor commands; prints the summary table (also in DIR/summary.txt) and
# fails if anything was wrongly confirmed, hung, sent to the wrong port or
# after its port was lost, or if the simulator died.  Not part of the tests.
#   scripts/soak.sh [MINUTES] [DIR]      (SEED=n picks the chaos)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
minutes="${1:-60}"
dir="${2:-$root/build/soak-run}"
BUILD_TARGETS="tavik-soak tavik-motor-sim" "$root/scripts/build.sh" "$root/build"
mkdir -p "$dir"
"$root/build/soak/tavik-soak" --sim "$root/build/sim/tavik-motor-sim" --dir "$dir" --minutes "$minutes" \
  ${SEED:+--seed "$SEED"}
