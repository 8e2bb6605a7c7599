#!/usr/bin/env bash
# Resident memory of the window while it polls one motor, against the bare Qt
# window of the same size and labels (tavik-bench-reference), in turns.
#   bench/memory-ratio.sh [BUILD_DIR] [POLL_SECONDS] [RUNS]
# Each run starts a simulated motor (ID 1, channel 1), starts Tavik on its
# terminal under its own X server, lets it scan and poll for POLL_SECONDS
# and reads VmRSS from /proc; then the reference, started the same way, after
# 8 s.  Prints one line per program and run, then the medians and the ratio.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build}"
poll="${2:-60}"
runs="${3:-3}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# rss_after SECONDS PROGRAM [ARGS...]: starts the program under an X server
# of its own, waits, prints its VmRSS in KiB.
# The inner shell expands its own variables.
# shellcheck disable=SC2016
rss_after() {
  xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
    "${@:2}" >/dev/null 2>&1 &
    pid=$!
    sleep "$1"
    awk "/^VmRSS/ {print \$2}" /proc/$pid/status
    kill $pid
    wait $pid 2>/dev/null || true' rss "$@"
}

tavik=()
reference=()
for ((run = 1; run <= runs; ++run)); do
  "$build/sim/tavik-motor-sim" --motor 1:1 --link "$work/bus" >"$work/sim.log" 2>&1 &
  sim=$!
  for ((n = 0; n < 50; ++n)); do [[ -e "$work/bus" ]] && break; sleep 0.1; done
  kib="$(rss_after "$poll" "$build/app/tavik" --open "$work/bus")"
  kill "$sim"
  wait "$sim" 2>/dev/null || true
  polls="$(grep -c ' CC .*answered' "$work/sim.log" || true)"
  echo "tavik run $run: $kib KiB ($polls status polls answered)"
  tavik+=("$kib")
  kib="$(rss_after 8 "$build/bench/tavik-bench-reference")"
  echo "reference run $run: $kib KiB"
  reference+=("$kib")
done

median() { printf '%s\n' "$@" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
t="$(median "${tavik[@]}")"
r="$(median "${reference[@]}")"
awk -v t="$t" -v r="$r" 'BEGIN {printf "median: tavik %.1f MiB, reference %.1f MiB, ratio %.3f\n", t / 1024, r / 1024, t / r}'
