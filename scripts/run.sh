#!/usr/bin/env bash
# Sets up, builds and starts Tavik.  With no adapter plugged in it starts the
# simulated motor bus first and puts its port in the port list: choose
# /tmp/tavik-motor-bus in the port box to talk to the simulated motors.
#   scripts/run.sh                 simulated bus (one motor, ID 1 on channel 1)
#   scripts/run.sh --no-sim        real adapters only
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
BUILD_TARGETS="tavik tavik-motor-sim" "$root/scripts/build.sh" "$root/build"

args=()
if [ "${1:-}" != "--no-sim" ]; then
  link=/tmp/tavik-motor-bus
  # One motor: the panel's first read goes to the whole group, and on a
  # truthful line two motors would answer it at once.
  "$root/build/sim/tavik-motor-sim" --link "$link" --motor 1:1 --baud 3 --speed 12 \
    > /tmp/tavik-motor-sim.log 2>&1 &
  sim=$!
  trap 'kill $sim 2>/dev/null || true' EXIT
  for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
  echo "Simulated motor bus on $link (frames it receives: /tmp/tavik-motor-sim.log)"
  args+=(--port "$link")
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Tavik under Xvfb (take screenshots with: import -window root shot.png)"
  exec xvfb-run -a -s "-screen 0 1280x900x24" "$root/build/app/tavik" "${args[@]}"
fi
"$root/build/app/tavik" "${args[@]}"
