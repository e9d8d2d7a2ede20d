#!/usr/bin/env bash
# Runs a command on a session bus of its own (inside with_sway.sh), with the desktop portal the test asks
# for, and stops all of it after:
#   real          xdg-desktop-portal with its wlroots backend, PipeWire, WirePlumber and the permission
#                 store, as a sway desktop has them
#   fake:CODES    fake_portal.py answering each request with the next of CODES (e.g. fake:2,0), handing
#                 out $PORTAL_LOGS/picture.png (made by the test) unless FAKE_PORTAL_PICTURE names another
#   none          nothing: no portal answers on the bus
# The bus activates nothing by itself, so only what is named here runs. Exports DBUS_SESSION_BUS_ADDRESS
# and PORTAL_LOGS, a folder with each service's log (fake.log: one line per request).
set -uo pipefail
mode=${1:?usage: with_portal.sh real|fake:CODES|none COMMAND...}
shift
here=$(cd "$(dirname "$0")" && pwd)

root=$(mktemp -d)
export PORTAL_LOGS=$root/logs XDG_CONFIG_HOME=$root/config XDG_CURRENT_DESKTOP=sway
mkdir -p "$PORTAL_LOGS" "$XDG_CONFIG_HOME/xdg-desktop-portal-wlr"
# Asked for the screen, the wlroots backend shows no output chooser.
printf '[screencast]\nchooser_type=none\noutput_name=HEADLESS-1\n' >"$XDG_CONFIG_HOME/xdg-desktop-portal-wlr/config"
cat >"$root/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$root</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
CONF

pids=()
stop() {
    local p
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
    rm -rf "$root"
}
trap stop EXIT

dbus-daemon --config-file="$root/bus.conf" --nofork --print-address=3 3>"$root/address" 2>"$PORTAL_LOGS/bus.log" &
pids+=($!)
for _ in $(seq 100); do [[ -s $root/address ]] && break; sleep 0.05; done
[[ -s $root/address ]] || { echo "with_portal.sh: the session bus did not start" >&2; exit 1; }
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$root/address")

owned() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}
wait_owned() {
    for _ in $(seq 200); do owned "$1" && return 0; sleep 0.05; done
    echo "with_portal.sh: nobody took $1 on the bus" >&2
    tail -n 20 "$PORTAL_LOGS"/*.log >&2
    exit 1
}

case $mode in
real)
    pipewire >"$PORTAL_LOGS/pipewire.log" 2>&1 &
    pids+=($!)
    for _ in $(seq 100); do [[ -e $XDG_RUNTIME_DIR/pipewire-0 ]] && break; sleep 0.05; done
    wireplumber >"$PORTAL_LOGS/wireplumber.log" 2>&1 &
    pids+=($!)
    /usr/libexec/xdg-permission-store >"$PORTAL_LOGS/permission-store.log" 2>&1 &
    pids+=($!)
    wait_owned org.freedesktop.impl.portal.PermissionStore
    /usr/libexec/xdg-desktop-portal-wlr -l DEBUG >"$PORTAL_LOGS/xdg-desktop-portal-wlr.log" 2>&1 &
    pids+=($!)
    wait_owned org.freedesktop.impl.portal.desktop.wlr
    /usr/libexec/xdg-desktop-portal --verbose >"$PORTAL_LOGS/xdg-desktop-portal.log" 2>&1 &
    pids+=($!)
    wait_owned org.freedesktop.portal.Desktop
    ;;
fake:*)
    # Debian's own Python, where python3-gi is.
    /usr/bin/python3 "$here/fake_portal.py" "${mode#fake:}" "${FAKE_PORTAL_PICTURE:-$PORTAL_LOGS/picture.png}" "$PORTAL_LOGS/fake.log" \
        2>"$PORTAL_LOGS/fake-errors.log" &
    pids+=($!)
    wait_owned org.freedesktop.portal.Desktop
    ;;
none) ;;
*)
    echo "with_portal.sh: unknown portal $mode" >&2
    exit 2
    ;;
esac

"$@"
rc=$?
exit $rc
