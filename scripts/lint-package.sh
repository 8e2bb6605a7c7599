#!/usr/bin/env bash
# Makes the Debian package from an existing build tree and holds it to
# Debian's rules: lintian must report no error and no warning (the overrides
# in packaging/debian/lintian-overrides say why each is there), and the
# AppStream metadata must pass appstreamcli without network.
#   scripts/lint-package.sh [BUILD_DIR]      (default build/, as the test command leaves it)
# The build tree must be built; cpack only installs and packs it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"

rm -f "$build"/tavik_*.deb
(cd "$build" && cpack -G DEB) >/dev/null
deb="$(ls "$build"/tavik_*.deb)"
echo "package: $deb"

echo "lintian:"
# --fail-on warning: an error or a warning fails; infos are shown, not fatal.
lintian --fail-on error,warning --display-info "$deb"
echo "lintian: no error, no warning"

echo "appstreamcli:"
appstreamcli validate --no-net "$build"/packaging/*.metainfo.xml
