#!/usr/bin/env bash
# Builds the Debian package: a Release build without the tests into
# build-release/, then cpack.  Prints the path of the .deb on the last line.
#   scripts/package.sh [extra cmake options, e.g. -DTAVIK_PACKAGE_MAINTAINER="Name <address>"]
# Install it with: sudo apt install ./build-release/tavik_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-release"
"$root/scripts/install-deps.sh"
BUILD_TYPE=Release "$root/scripts/build.sh" "$build" -DTAVIK_TESTS=OFF "$@"
rm -f "$build"/tavik_*.deb
(cd "$build" && cpack -G DEB) >&2
ls "$build"/tavik_*.deb
