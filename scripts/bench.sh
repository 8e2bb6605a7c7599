#!/usr/bin/env bash
# Builds Tavik in release mode and measures it against its yardsticks in the
# same run: start-up and memory against a bare Qt Widgets program of the main
# window's size, with Chinese text and menus; idle load, memory growth and
# frame timing while polling a simulated motor, with the bus monitor closed
# and open; press-to-wire delay; a stream of status answers at 19200 baud;
# tavik-cli read and set against the protocol's floor; tavik-cli scan --all
# on lines of 12 and 33 motors (BENCH_INVENTORY_FULL=0 leaves out the
# 1..99 run of about 4 minutes); instructions per status-poll cycle under
# callgrind, Tavik's panel against the polling yardstick
# (BENCH_ONLY=instructions measures that row alone).  Prints a Markdown
# table with every goal.  Takes about 17 minutes; shorter runs:
#   BENCH_RUNS=5 BENCH_SOAK_MINUTES=1 BENCH_MONITOR_MINUTES=1 BENCH_PRESSES=20 \
#   BENCH_FLOOD_SECONDS=10 BENCH_CLI_RUNS=2 scripts/bench.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
targets="tavik tavik-bench tavik-bench-reference tavik-bench-floor"
# tavik-cli is measured too where this checkout has it.
[ -f "$root/cli/CMakeLists.txt" ] && targets="$targets tavik-cli tavik-motor-sim"
BUILD_TYPE=Release BUILD_TARGETS="$targets" "$root/scripts/build.sh" "$root/build-bench"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
unset QT_QPA_PLATFORM # the real X11 platform, on a virtual screen
exec xvfb-run -a -s "-screen 0 1280x900x24" "$root/build-bench/bench/tavik-bench"
