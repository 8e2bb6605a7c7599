#!/usr/bin/env bash
# Makes the Debian packages (tavik, tavik-tools, tavik-mqtt) from an existing
# build tree and holds them to Debian's rules: lintian must report no error and
# no warning for any of them, the server and tools packages may bring in no
# display library or font, the service must keep its exposure at most 4.0 in
# systemd-analyze security, and the AppStream metadata must pass appstreamcli
# without network.
#   scripts/lint-package.sh [BUILD_DIR]      (default build/, as the test command leaves it)
# The build tree must be built; cpack only installs and packs it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"

rm -f "$build"/tavik*_*.deb
(cd "$build" && cpack -G DEB) >/dev/null
debs=("$build"/tavik*_*.deb)
[ "${#debs[@]}" -eq 3 ] || { echo "expected three packages, got: ${debs[*]}" >&2; exit 1; }

for deb in "${debs[@]}"; do
  echo "lintian $(basename "$deb"):"
  # --fail-on warning: an error or a warning fails; infos are shown, not fatal.
  lintian --fail-on error,warning --display-info "$deb"
done
echo "lintian: no error, no warning"

# The server and the tools run where no display is: nothing of one may come with them.
for deb in "$build"/tavik-mqtt_*.deb "$build"/tavik-tools_*.deb; do
  if dpkg-deb -f "$deb" Depends Recommends | grep -Eq 'libqt6(gui|widgets)|qt6-qpa-plugins|fonts-'; then
    echo "$(basename "$deb") brings in display libraries or fonts:" >&2
    dpkg-deb -f "$deb" Depends Recommends >&2
    exit 1
  fi
done
echo "tavik-mqtt, tavik-tools: no display library, no font"

echo "systemd-analyze security:"
unit="$root/packaging/mqtt/tavik-mqtt.service"
exposure="$(systemd-analyze security --offline=true --no-pager "$unit" 2>/dev/null |
  sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')"
echo "tavik-mqtt.service: exposure $exposure"
awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 4.0) }' ||
  { echo "the service's exposure must be at most 4.0" >&2; exit 1; }

echo "appstreamcli:"
appstreamcli validate --no-net "$build"/packaging/*.metainfo.xml
