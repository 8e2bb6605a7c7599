#!/usr/bin/env bash
# Checks the Debian packages on a fresh, minimal Debian 12, each run in a fresh
# copy of a debootstrapped root:
#   desktop (default): installs tavik and tavik-tools with apt, checks that
#     every library the programs and the X platform plugin need is there,
#     starts Tavik from its desktop entry's Exec line under Xvfb and takes a
#     screenshot, and runs tavik-motor-sim --help.
#   --server: installs tavik-mqtt alone, shows that it brings in no Qt GUI
#     library and no font, that its libraries are there, that installing
#     enables the service, removing masks it and purging forgets it.
#   scripts/check-deb.sh [--server] [PATH/TO/*.deb...]   (default: scripts/package.sh builds them)
# Needs root (debootstrap, chroot, mounts).  The Debian base is made once in
# $CHECK_DIR/base (CHECK_DIR defaults to /tmp/tavik-deb-check; MIRROR picks a
# Debian mirror other than debootstrap's default) and copied afresh for each
# run into $CHECK_DIR/root.  The screenshot is left at $CHECK_DIR/screenshot.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="${CHECK_DIR:-/tmp/tavik-deb-check}"
base="$work/base"
chroot_dir="$work/root"

mode=desktop
if [ "${1:-}" = --server ]; then
  mode=server
  shift
fi
debs=("$@")
[ "${#debs[@]}" -gt 0 ] || mapfile -t debs < <("$root/scripts/package.sh" | tail -n 3)
wanted=(tavik tavik-tools)
[ "$mode" = server ] && wanted=(tavik-mqtt)
pkgs=()
for name in "${wanted[@]}"; do
  deb=""
  for d in "${debs[@]}"; do
    case "$(basename "$d")" in "${name}"_*.deb) deb="$(readlink -f "$d")" ;; esac
  done
  [ -f "$deb" ] || { echo "no ${name}_*.deb among: ${debs[*]}" >&2; exit 1; }
  pkgs+=("$deb")
done
command -v debootstrap >/dev/null || "$root/scripts/install-deps.sh"
mkdir -p "$work"

step() { echo; echo "== $*"; }

if [ ! -e "$base/.complete" ]; then
  step "debootstrap a minimal Debian 12 into $base (once)"
  rm -rf --one-file-system "$base.partial"
  debootstrap --variant=minbase bookworm "$base.partial" ${MIRROR:+"$MIRROR"}
  touch "$base.partial/.complete"
  mv "$base.partial" "$base"
fi

mounts=(proc dev dev/pts)
unmount_all() {
  local i try
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    # The X server may still be on its way out: give it a few seconds.
    for try in 1 2 3 4 5 6 7 8 9 10; do
      mountpoint -q "$chroot_dir/${mounts[i]}" || break
      umount "$chroot_dir/${mounts[i]}" 2>/dev/null || sleep 1
    done
  done
  return 0
}
unmount_all
for m in "${mounts[@]}"; do
  if mountpoint -q "$chroot_dir/$m"; then echo "$chroot_dir/$m is still mounted" >&2; exit 1; fi
done
rm -rf --one-file-system "$chroot_dir"
cp -a "$base" "$chroot_dir"
trap unmount_all EXIT
mount -t proc proc "$chroot_dir/proc"
mount --bind /dev "$chroot_dir/dev"
mount --bind /dev/pts "$chroot_dir/dev/pts"
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
printf '#!/bin/sh\nexit 101\n' > "$chroot_dir/usr/sbin/policy-rc.d" # start no services
chmod +x "$chroot_dir/usr/sbin/policy-rc.d"
installed=()
for deb in "${pkgs[@]}"; do
  cp "$deb" "$chroot_dir/tmp/"
  installed+=("/tmp/$(basename "$deb")")
done

# A clean environment: nothing of this machine's display or Qt settings.
in_root() {
  chroot "$chroot_dir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@"
}

step "apt-get install ${installed[*]} (their dependencies only, no recommended packages)"
in_root apt-get update -qq
in_root apt-get install -y -q --no-install-recommends "${installed[@]}" | tail -n 3
for name in "${wanted[@]}"; do
  in_root dpkg-query -W -f='${Package} ${Version}\nDepends: ${Depends}\n' "$name"
  in_root sh -c "dpkg -L $name | while read -r f; do [ -f \"\$f\" ] && echo \"\$f\"; done"
done

if [ "$mode" = server ]; then
  step "no display library, no font"
  gui="$(in_root dpkg-query -W -f='${Package}\n' | grep -E '^(libqt6(gui|widgets|svg)|qt6-qpa-plugins|fonts-|libx11-|libxcb|libgl1|libegl|libopengl|libwayland)' || true)"
  [ -z "$gui" ] || { echo "the server package brought in:"; echo "$gui"; exit 1; }
  echo "none installed; the whole system is $(in_root du -sm --exclude=/proc --exclude=/dev / | cut -f1) MB"
  missing="$(in_root sh -c 'ldd /usr/bin/tavik-mqtt | grep "not found" || true')"
  [ -z "$missing" ] || { echo "missing libraries:"; echo "$missing"; exit 1; }
  in_root tavik-mqtt --version
  step "the maintainer scripts"
  wants=/etc/systemd/system/multi-user.target.wants/tavik-mqtt.service
  [ -L "$chroot_dir$wants" ] || { echo "installing did not enable the service" >&2; exit 1; }
  echo "installed: enabled ($wants)"
  in_root apt-get remove -y -q tavik-mqtt | tail -n 1
  [ "$(readlink "$chroot_dir/etc/systemd/system/tavik-mqtt.service")" = /dev/null ] ||
    { echo "removing did not mask the service" >&2; exit 1; }
  echo "removed: masked, its enabled state kept for a reinstall"
  in_root apt-get purge -y -q tavik-mqtt | tail -n 1
  if [ -e "$chroot_dir$wants" ] || [ -L "$chroot_dir/etc/systemd/system/tavik-mqtt.service" ]; then
    echo "purging left the service's links" >&2; exit 1
  fi
  echo "purged: no link left"
  step "done: the server package installs alone, without display libraries or fonts"
  exit 0
fi

step "libraries (before the check's own tools come in)"
missing="$(in_root sh -c 'ldd /usr/bin/tavik /usr/bin/tavik-motor-sim \
  /usr/lib/*/qt6/plugins/platforms/libqxcb.so | grep "not found" || true')"
[ -z "$missing" ] || { echo "missing libraries:"; echo "$missing"; exit 1; }
echo "every library is there"
in_root fc-list :lang=zh family | grep -q 'Noto Sans CJK' || { echo "no CJK font"; exit 1; }
echo "a CJK font is there"

step "tavik-motor-sim --help"
in_root tavik-motor-sim --help
if in_root tavik-motor-sim --no-such-option >/dev/null 2>&1; then
  echo "an unknown option did not fail" >&2; exit 1
fi
echo "(an unknown option fails, as it should)"

step "start Tavik from the desktop entry under Xvfb"
in_root apt-get install -y -q --no-install-recommends xvfb xauth x11-utils imagemagick desktop-file-utils | tail -n 1
desktop=/usr/share/applications/tavik.desktop
in_root desktop-file-validate "$desktop" && echo "$desktop is valid"
exec_line="$(sed -n 's/^Exec=//p' "$chroot_dir$desktop")"
echo "Exec=$exec_line"
cat > "$chroot_dir/tmp/start.sh" <<EOF
$exec_line &
app=\$!
window=""
for _ in \$(seq 100); do
  window="\$(xwininfo -root -tree | awk '/"Tavik"\)/ && \$0 !~ /1x1\+/ { print \$1; exit }')"
  [ -n "\$window" ] && break
  sleep 0.2
done
[ -n "\$window" ] || { echo "no Tavik window appeared"; kill \$app; exit 1; }
sleep 3 # let it paint
xprop -id "\$window" WM_CLASS _NET_WM_NAME
xprop -id "\$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' '; echo
import -window root /tmp/screenshot.png
kill \$app
wait \$app 2>/dev/null || true
EOF
# A display number free here and in the chroot (the abstract X sockets are shared).
display=150
while [ -e "/tmp/.X$display-lock" ] || grep -q "@/tmp/.X11-unix/X$display\$" /proc/net/unix; do
  display=$((display + 1))
done
in_root xvfb-run -n "$display" -s "-screen 0 1280x900x24" sh /tmp/start.sh
cp "$chroot_dir/tmp/screenshot.png" "$work/screenshot.png"

step "done: the package installs and starts; screenshot at $work/screenshot.png"
