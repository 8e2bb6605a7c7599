#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UBSan) and runs
# each for SECONDS (default 60), as many at a time as there are cores
# (FUZZ_JOBS changes that); FUZZ_TARGETS="a b" picks some of them.  New
# interesting inputs go to a scratch folder; the repository's corpus in
# fuzz/corpus/ only seeds the run.
#   scripts/fuzz.sh [SECONDS]
#   scripts/fuzz.sh --build-tree    builds the whole tree (the test suite too) and stops
# The fuzz targets live in build-asan/, the sanitizer suite's tree: the test
# command builds it once for both.
# A crash leaves its input in build-asan/findings/ and fails the script: make
# it a regression test (fuzz/corpus/ and a test) before fixing it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-asan"
all_targets="fuzz_link_receive fuzz_link_session fuzz_receive fuzz_frames fuzz_profile fuzz_mqtt_command fuzz_mqtt_config"
targets="${FUZZ_TARGETS:-$all_targets}"
# -O2 with the sanitizers: the fuzzers run fast and the suite's tests too.
# No benchmark or soak drivers: no test runs them.  Warnings are errors
# here too: clang warns of other things than gcc.
tree_options=(-DTAVIK_SANITIZE=ON -DTAVIK_FUZZ=ON -DTAVIK_BENCH=OFF -DTAVIK_WERROR=ON -DCMAKE_CXX_COMPILER=clang++)
if [ "${1:-}" = --build-tree ]; then
  BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$root/scripts/build.sh" "$build" "${tree_options[@]}"
  exit 0
fi
seconds="${1:-60}"
BUILD_TARGETS="$targets" BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$root/scripts/build.sh" "$build" "${tree_options[@]}"
export QT_QPA_PLATFORM=offscreen ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
mkdir -p "$build/findings"

# One target's run; what it says goes to its log, shown when all are done.
run() {
  local target="$1" seeds="$root/fuzz/corpus/${1#fuzz_}" scratch="$build/corpus-$1" limit=()
  mkdir -p "$scratch"
  # A link input of 512 bytes holds some fifty answers: long enough for any
  # state, short enough for tens of thousands of runs a second.
  [[ $target == fuzz_link_* ]] && limit=(-max_len=512)
  "$build/fuzz/$target" "$scratch" "$seeds" "${limit[@]}" -max_total_time="$seconds" -timeout=10 \
    -artifact_prefix="$build/findings/$target-" -print_final_stats=1 >"$build/fuzz-$target.log" 2>&1 || true
}

# Each target runs for its wall-clock time on a core of its own: two cores
# fuzz two targets in the time of one, with the same fuzzing per target.
jobs="${FUZZ_JOBS:-$(nproc)}"
echo "-- ${seconds}s per target, $jobs at a time"
for target in $targets; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run "$target" &
done
wait
failed=0
for target in $targets; do
  echo "-- $target"
  grep -E "stat::number_of_executed_units|Done|ERROR|SUMMARY|crash-|deadly" "$build/fuzz-$target.log" || true
  if ls "$build/findings/$target-"* >/dev/null 2>&1; then
    echo "$target found a failing input:"; ls "$build/findings/$target-"*
    failed=1
  elif ! grep -q "^Done " "$build/fuzz-$target.log"; then
    echo "$target did not run to its end:"; tail -5 "$build/fuzz-$target.log"
    failed=1
  fi
done
exit "$failed"
