#!/usr/bin/env bash
# Boots the tavik-mqtt package under systemd in a container and shows that the
# confined service works: installed with mosquitto and tavik-tools into a copy
# of the Debian 12 base scripts/check-deb.sh makes, it reads its password as a
# credential (LoadCredential= drop-in), opens the simulated bus's device made
# root:dialout 0660 like an adapter's (a drop-in allows pseudo-terminals), a
# cover reaches 30 % on command, and the service stops cleanly.
#   scripts/check-service.sh [DIR_WITH_DEBS]     (default build/, after scripts/lint-package.sh)
# Needs root, systemd-nspawn (systemd-container) and network for apt. The
# container has its own network; its broker listens on its own loopback.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
debs="$(cd "${1:-$root/build}" && pwd)"
work="${CHECK_DIR:-/tmp/tavik-deb-check}"
box="$work/service"
[ -e "$work/base/.complete" ] || { echo "no Debian base: run scripts/check-deb.sh --server first" >&2; exit 1; }
command -v systemd-nspawn >/dev/null || apt-get install -y -q systemd-container >/dev/null

rm -rf --one-file-system "$box"
cp -a "$work/base" "$box"
cp "$debs"/tavik-mqtt_*.deb "$debs"/tavik-tools_*.deb "$box/tmp/"
cp /etc/resolv.conf "$box/etc/resolv.conf"
printf '#!/bin/sh\nexit 101\n' > "$box/usr/sbin/policy-rc.d" # nothing starts while installing
chmod +x "$box/usr/sbin/policy-rc.d"
mount -t proc proc "$box/proc"
mount --bind /dev "$box/dev"
trap 'umount "$box/dev" "$box/proc" 2>/dev/null || true' EXIT
chroot "$box" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive sh -c \
  'apt-get update -qq && apt-get install -y -q --no-install-recommends systemd systemd-sysv dbus mosquitto \
     mosquitto-clients /tmp/tavik-mqtt_*.deb /tmp/tavik-tools_*.deb' | tail -n 1
umount "$box/dev" "$box/proc"
rm "$box/usr/sbin/policy-rc.d"

mkdir -p "$box/etc/tavik" "$box/etc/systemd/system/tavik-mqtt.service.d"
printf 'listener 18831 127.0.0.1\nallow_anonymous false\npassword_file /etc/mosquitto/passwd\n' \
  > "$box/etc/mosquitto/conf.d/tavik.conf"
cat > "$box/etc/systemd/system/motor-sim.service" <<'UNIT'
[Unit]
Description=simulated motor bus standing in for a USB adapter
Before=tavik-mqtt.service
[Service]
ExecStart=/usr/bin/tavik-motor-sim --link /run/motor-bus --motor 12:3 --baud 3
ExecStartPost=/bin/sh -c 'while [ ! -e /run/motor-bus ]; do sleep 0.2; done; d=$(readlink -f /run/motor-bus); chgrp dialout "$d"; chmod 660 "$d"'
[Install]
WantedBy=multi-user.target
UNIT
cat > "$box/etc/tavik/mqtt.yaml" <<'YAML'
mqtt: { host: 127.0.0.1, port: 18831, username: tavik, password_file: /run/credentials/tavik-mqtt.service/mqtt-password }
buses:
  - { name: bus1, port: /run/motor-bus, baud: 9600, covers: [ { id: 12, channel: 3 } ] }
YAML
install -m 600 /dev/null "$box/etc/tavik/mqtt-password"
echo secret > "$box/etc/tavik/mqtt-password"
printf '[Service]\nLoadCredential=mqtt-password:/etc/tavik/mqtt-password\n' \
  > "$box/etc/systemd/system/tavik-mqtt.service.d/password.conf"
printf '[Service]\nDeviceAllow=char-pts rw\n' > "$box/etc/systemd/system/tavik-mqtt.service.d/simulator.conf"
cat > "$box/usr/local/bin/check.sh" <<'CHECK'
#!/bin/bash
exec > /root/check.txt 2>&1
sub() { mosquitto_sub -h 127.0.0.1 -p 18831 -u tavik -P secret "$@"; }
wait_for() {
  for _ in $(seq 60); do [ "$(sub -C 1 -W 3 -t "$1" 2>/dev/null)" = "$2" ] && { echo "$1: $2"; return 0; }; sleep 1; done
  echo "FAILED: $1 never became $2"; exit 1
}
wait_for tavik/bridge/state online
wait_for tavik/bus1/m12/c3/availability online
mosquitto_pub -h 127.0.0.1 -p 18831 -u tavik -P secret -t tavik/bus1/m12/c3/set_position -m 30
wait_for tavik/bus1/m12/c3/position 30
ls -l "$(readlink -f /run/motor-bus)"
systemd-analyze security --no-pager tavik-mqtt | tail -n 1
start=$(date +%s%N); systemctl stop tavik-mqtt; echo "stopped in $(( ($(date +%s%N) - start) / 1000000 )) ms"
systemctl show -p Result -p ExecMainStatus tavik-mqtt
journalctl --no-pager -b -u tavik-mqtt
echo PASSED
CHECK
chmod +x "$box/usr/local/bin/check.sh"
printf '[Unit]\nAfter=tavik-mqtt.service mosquitto.service motor-sim.service\n[Service]\nType=oneshot\nExecStart=/usr/local/bin/check.sh\nExecStopPost=/bin/systemctl poweroff\n[Install]\nWantedBy=multi-user.target\n' \
  > "$box/etc/systemd/system/check.service"
chroot "$box" sh -c 'mosquitto_passwd -c -b /etc/mosquitto/passwd tavik secret && chown mosquitto /etc/mosquitto/passwd &&
  systemctl enable motor-sim.service check.service >/dev/null 2>&1'

echo "== booting the container (its console: $work/service-boot.log)"
timeout 300 systemd-nspawn -D "$box" --private-network --register=no --keep-unit -b > "$work/service-boot.log" 2>&1 || true
cat "$box/root/check.txt"
grep -qx PASSED "$box/root/check.txt"
