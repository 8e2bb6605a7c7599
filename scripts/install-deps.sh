#!/usr/bin/env bash
# Installs every Debian package Tavik needs to build, run, test and be looked at.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  clang libclang-rt-14-dev llvm
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev qt6-l10n-tools
  libgl-dev libxkbcommon-dev
  fonts-noto-cjk fonts-dejavu-core
  xvfb xauth imagemagick x11-utils
  socat ccache valgrind
  dpkg-dev file desktop-file-utils debootstrap
  help2man lintian appstream
  mosquitto mosquitto-clients libmosquitto-dev libyaml-cpp-dev
  clang-format
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
