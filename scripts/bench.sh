#!/usr/bin/env bash
# Builds Tavik in release mode and measures it against a reference in the
# same run: start-up and memory against a minimal Qt Widgets program with as
# many widgets, then idle load, memory growth and frame timing while polling a
# simulated motor, press-to-wire delay, and a status flood at 19200 baud.
# Prints a Markdown table.  Takes about 14 minutes; shorter runs:
#   BENCH_RUNS=5 BENCH_SOAK_MINUTES=1 BENCH_PRESSES=20 BENCH_FLOOD_SECONDS=10 scripts/bench.sh
# BENCH_MONITOR=1 keeps the bus monitor open (recording every frame) throughout.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
BUILD_TYPE=Release BUILD_TARGETS="tavik tavik-bench tavik-bench-reference" "$root/scripts/build.sh" "$root/build-bench"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
unset QT_QPA_PLATFORM # the real X11 platform, on a virtual screen
exec xvfb-run -a -s "-screen 0 1280x900x24" "$root/build-bench/bench/tavik-bench"
