#!/usr/bin/env bash
# Builds the Debian packages: a Release build without the tests into
# build-release/, then cpack.  Prints the paths of the three .deb files, one a
# line: tavik (the window), tavik-tools (tavik-cli, tavik-motor-sim) and
# tavik-mqtt (the Home Assistant bridge).
#   scripts/package.sh [extra cmake options, e.g. -DTAVIK_PACKAGE_MAINTAINER="Name <address>"]
# Install with e.g.: sudo apt install ./build-release/tavik-mqtt_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-release"
"$root/scripts/install-deps.sh"
BUILD_TYPE=Release "$root/scripts/build.sh" "$build" -DTAVIK_TESTS=OFF "$@"
rm -f "$build"/tavik*_*.deb
(cd "$build" && cpack -G DEB) >&2
ls "$build"/tavik_*.deb "$build"/tavik-tools_*.deb "$build"/tavik-mqtt_*.deb
