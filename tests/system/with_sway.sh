#!/usr/bin/env bash
# Runs a command against its own headless Wayland compositor: sway 1.7 (wlroots) on the headless
# backend with the pixman renderer, one 1024x768 output, no input devices. sway refuses to run as root,
# so it runs as nobody, with a runtime folder of its own (XWayland lets the caller in by name); the command runs as the caller and reaches it
# through WAYLAND_DISPLAY and SWAYSOCK. WITH_SWAY_XWAYLAND=1 starts XWayland too (DISPLAY is exported).
set -uo pipefail
[[ $# -ge 1 ]] || { echo "usage: with_sway.sh COMMAND [ARG...]" >&2; exit 2; }

root=$(mktemp -d)
runtime=$root/run
mkdir -m 700 "$runtime"
config=$root/config
cat >"$config" <<CONFIG
output HEADLESS-1 resolution 1024x768 position 0 0 bg #336699 solid_color
default_border none
xwayland $([[ ${WITH_SWAY_XWAYLAND:-0} == 1 ]] && echo force || echo disable)
exec_always sh -c '[ -z "\$DISPLAY" ] || xhost +si:localuser:$(id -un) >/dev/null; printf %s "\$DISPLAY" >$runtime/display; touch $runtime/ready'
CONFIG
chmod 755 "$root"
chmod 644 "$config"
as_sway=()
if [[ $(id -u) -eq 0 ]]; then
    chown 65534:65534 "$runtime"
    as_sway=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
(cd / && exec env -i PATH=/usr/bin:/bin HOME="$root" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless \
    WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${as_sway[@]}" sway -c "$config" >"$root/sway.log" 2>&1) &
sway_pid=$!
for _ in $(seq 100); do
    [[ -e $runtime/ready ]] && break
    sleep 0.05
done
display=$(cd "$runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -n1)
if [[ ! -e $runtime/ready || -z $display ]]; then
    echo "with_sway.sh: sway did not start:" >&2
    tail -n 20 "$root/sway.log" >&2
    kill "$sway_pid" 2>/dev/null
    rm -rf "$root"
    exit 1
fi
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=$display XDG_SESSION_TYPE=wayland
export SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock | head -n1)
export QT_QPA_PLATFORM=wayland
unset DISPLAY
if [[ ${WITH_SWAY_XWAYLAND:-0} == 1 ]]; then
    export DISPLAY=$(cat "$runtime/display")
fi

"$@"
rc=$?
kill "$sway_pid" 2>/dev/null
wait "$sway_pid" 2>/dev/null
rm -rf "$root"
exit $rc
