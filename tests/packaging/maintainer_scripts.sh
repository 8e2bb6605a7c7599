#!/usr/bin/env bash
# tavik-mqtt's maintainer scripts run by dpkg's rules against a root of their
# own (DPKG_ROOT, which Debian's systemd helpers honour): each row is a step
# of a package's life and the state of the service's links after it.
#   maintainer_scripts.sh SCRIPTS_DIR UNIT_FILE
set -u
scripts=$1
export DPKG_ROOT DPKG_MAINTSCRIPT_PACKAGE=tavik-mqtt
DPKG_ROOT=$(mktemp -d)
trap 'rm -rf "$DPKG_ROOT"' EXIT
mkdir -p "$DPKG_ROOT/lib/systemd/system" "$DPKG_ROOT/etc/systemd/system" "$DPKG_ROOT/var/lib/systemd"
cp "$2" "$DPKG_ROOT/lib/systemd/system/"
wants=$DPKG_ROOT/etc/systemd/system/multi-user.target.wants/tavik-mqtt.service
mask=$DPKG_ROOT/etc/systemd/system/tavik-mqtt.service
failed=0

state() {
    local s=""
    [ -L "$wants" ] && s="enabled"
    [ "$(readlink "$mask")" = /dev/null ] && s="${s:+$s }masked"
    echo "${s:-nothing}"
}
step() { # expected state, then the script and its arguments
    local expected=$1 script=$2
    shift 2
    DPKG_MAINTSCRIPT_NAME=$script sh -e "$scripts/$script" "$@" || { echo "FAIL: $script $* exited $?"; failed=1; }
    local got
    got=$(state)
    [ "$got" = "$expected" ] || { echo "FAIL: after $script $*: $got, expected $expected"; failed=1; }
}

step 'enabled' postinst configure ''                 # first install
step 'enabled' prerm upgrade 2.5                     # an upgrade keeps it
step 'enabled' postinst configure 2.5
DPKG_ROOT=$DPKG_ROOT deb-systemd-helper disable tavik-mqtt.service >/dev/null
step 'nothing' postinst configure 2.5                # the administrator's disable survives an upgrade
DPKG_ROOT=$DPKG_ROOT deb-systemd-helper enable tavik-mqtt.service >/dev/null
step 'enabled' prerm remove
step 'enabled masked' postrm remove                  # removed, not purged: masked, the link kept
step 'enabled' postinst configure 2.5                # installed again: unmasked, still enabled
step 'enabled' prerm remove
step 'enabled masked' postrm remove
step 'nothing' postrm purge                          # purged: nothing left
exit $failed
