#!/usr/bin/env bash
# Sets up, builds and runs every test headless: the format check, the normal
# build with warnings as errors, the Debian packages made from it and checked
# by lintian, systemd-analyze and appstreamcli, the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer, and a short run of each fuzz
# target.  Fails when anything fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen

echo "== format"
"$root/scripts/check-format.sh"

echo "== build (warnings are errors)"
"$root/scripts/build.sh" "$root/build" -DTAVIK_WERROR=ON

# The clang tree for the sanitizer run and the fuzz targets (the sources
# compile once for both) builds while the first suite runs: the tests mostly
# wait for the line's ticks, the compiler wants the cores.  Its own process
# group, so that a failure here stops it too.
asan_log="$root/build/sanitizer-tree.log"
setsid "$root/scripts/fuzz.sh" --build-tree >"$asan_log" 2>&1 &
asan_build=$!
trap 'kill -- -$asan_build 2>/dev/null || true' EXIT

echo "== test, eight at a time, while the sanitizer tree builds"
# Eight at a time: a test uses 1 to 3 % of a core while it waits for the line.
tests_at_once="${TEST_JOBS:-8}"
ctest --test-dir "$root/build" --output-on-failure -j"$tests_at_once"

echo "== the Debian packages of that build: lintian, systemd-analyze security and appstreamcli"
"$root/scripts/lint-package.sh" "$root/build"

echo "== the same tests under AddressSanitizer and UndefinedBehaviorSanitizer"
if ! wait "$asan_build"; then
  tail -40 "$asan_log"
  echo "the sanitizer tree did not build (all of it: $asan_log)" >&2
  exit 1
fi
trap - EXIT
# The tests in tests/sanitizer-skip.txt run no product line the others do not:
# that tree does not build them, and they are left out here.
skip="$(grep -E '^[a-z]' "$root/tests/sanitizer-skip.txt" | paste -sd'|' || true)"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j"$tests_at_once" ${skip:+-E "^($skip)\$"}

echo "== fuzzing (${FUZZ_SECONDS:-60} s per target, two at a time)"
"$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-60}"
echo "== all tests passed"
