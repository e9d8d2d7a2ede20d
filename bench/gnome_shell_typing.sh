#!/usr/bin/env bash
# Types pinyin through a headless GNOME Shell on Wayland into a native GTK4 entry, once with no input method
# and once per IBus engine (ibus-libpinyin, and ours when the build tree has imvara.xml), and prints what arrived.
# Usage: bench/gnome_shell_typing.sh [BUILD_DIR] [TEXT]   (default: build, "nihao ")
# SHELL_TYPING_KEEP=1 keeps the logs. As root it runs everything as the unprivileged user $SHELL_TYPING_USER (default imtest, created when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [[ ${1:-} == --as-user ]]; then
    shift
    work=$1 build=$2 text=$3
else
    build=$(cd "${1:-$root/build}" && pwd)
    text=${2:-nihao }
    needed=(gnome-shell gir1.2-gtk-4.0 python3-gi ibus ibus-libpinyin dbus)
    missing=()
    for p in "${needed[@]}"; do
        [[ $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) == "install ok installed" ]] || missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "gnome_shell_typing: install first: apt-get install --no-install-recommends ${missing[*]}" >&2
        exit 1
    fi
    work=$(mktemp -d /tmp/shell-typing.XXXXXX)
    [[ -n ${SHELL_TYPING_KEEP:-} ]] && echo "gnome_shell_typing: logs kept in $work" || trap 'rm -rf "$work"' EXIT
    if ((EUID == 0)); then
        # GNOME Shell is a desktop user's program; it is not meant to run as root.
        user=${SHELL_TYPING_USER:-imtest}
        id "$user" >/dev/null 2>&1 || useradd -m "$user"
        chown "$user" "$work"
        runuser -u "$user" -- "$0" --as-user "$work" "$build" "$text"
    else
        "$0" --as-user "$work" "$build" "$text"
    fi
    exit
fi

# From here on as the unprivileged user, in a home and runtime folder of our own.
export HOME=$work/home XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY IBUS_ADDRESS DBUS_SESSION_BUS_ADDRESS XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME
probe=$root/bench/gnome_shell_probe.py

started=()
tree() { # a process and everything below it, parents first
    local pid child
    for pid in "$@"; do
        echo "$pid"
        for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do tree "$child"; done
    done
}
stop_started() {
    local pids
    pids=$(tree "${started[@]}")
    # shellcheck disable=SC2086
    kill $pids 2>/dev/null || true
    for _ in $(seq 30); do
        # shellcheck disable=SC2086
        ps -o stat= -p $(echo $pids) 2>/dev/null | grep -qv '^Z' || break
        sleep 0.1
    done
    # shellcheck disable=SC2086
    kill -KILL $pids 2>/dev/null || true
    started=()
}
system_bus=()
trap 'stop_started; started=("${system_bus[@]}"); stop_started' EXIT

start_bus() { # start_bus SOCKET: starts a bus of our own and adds it to started; sets bus_address
    local out
    out=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 --address="unix:path=$1")
    started+=("$(sed -n 2p <<<"$out")")
    bus_address=$(sed -n 1p <<<"$out")
}

# The shell asks logind on the system bus who is logged in; with no system bus at all its start-up throws
# (Gio.IOErrorEnum: Could not connect), with an empty one it carries on without.
start_bus "$XDG_RUNTIME_DIR/system_bus"
system_bus=("${started[@]}") started=()
export DBUS_SYSTEM_BUS_ADDRESS=$bus_address

component=$(find "$build" -maxdepth 4 -name imvara.xml -printf '%h\n' -quit 2>/dev/null || true)
sources=("xkb:us" "ibus:libpinyin")
if [[ -n $component && -x $build/bin/imvara-ibus ]]; then
    sources+=("ibus:imvara")
    # A copy of the engine: it keeps user words beside itself, and a run should neither find nor leave any.
    mkdir "$work/engine"
    cp "$build/bin/imvara-ibus" "$work/engine/"
    sed "s|<exec>.*</exec>|<exec>'$work/engine/imvara-ibus' --ibus</exec>|" "$component/imvara.xml" \
        >"$work/engine/imvara.xml"
    # ibus-daemon 1.5.27 reads a second folder only with the system one listed first.
    export IBUS_COMPONENT_PATH=/usr/share/ibus/component:$work/engine
fi

engine_program() { # the program an IBus engine's component starts, from its <exec>
    local dir file
    for dir in $(tr : " " <<<"${IBUS_COMPONENT_PATH:-/usr/share/ibus/component}"); do
        file=$(grep -l "<name>$1</name>" "$dir"/*.xml 2>/dev/null | head -1)
        if [[ -n $file ]]; then
            sed -n "s:.*<exec>'\?\([^ <']*\).*:\1:p" "$file" | head -1
            return
        fi
    done
}

wait_for() { # wait_for SECONDS COMMAND...: true once COMMAND succeeds
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < end)) || return 1
        sleep 0.1
    done
}
running_below() { tree "$1" | xargs -r -I{} readlink "/proc/{}/exe" 2>/dev/null | grep -qxF "$2"; }

echo "GNOME Shell $(gnome-shell --version | awk '{print $3}'), ibus $(ibus version | awk '{print $NF}'), GTK4 entry, keys through org.gnome.Mutter.RemoteDesktop"
failed=0
for source in "${sources[@]}"; do
    kind=${source%%:*} name=${source#*:}
    log=$work/shell-$name.log out=$work/entry-$name.txt
    start_bus "$XDG_RUNTIME_DIR/bus-$name"
    export DBUS_SESSION_BUS_ADDRESS=$bus_address
    gsettings set org.gnome.desktop.input-sources sources "[('$kind', '$name')]"
    gnome-shell --headless --wayland --virtual-monitor 1280x800 >"$log" 2>&1 &
    shell=$!
    disown "$shell" # its end is ours to judge, not bash's to report
    started+=("$shell")
    display=
    wait_for 30 bash -c "[[ -S $XDG_RUNTIME_DIR/wayland-0 ]]" && display=wayland-0
    if [[ -z $display ]] || ! wait_for 30 gdbus introspect --session --dest org.gnome.Mutter.RemoteDesktop \
        --object-path /org/gnome/Mutter/RemoteDesktop >/dev/null 2>&1; then
        echo "$name: GNOME Shell did not come up; its last lines:"
        tail -5 "$log"
        failed=1
        stop_started
        continue
    fi
    if [[ $kind == ibus ]]; then
        program=$(engine_program "$name")
        if ! wait_for 30 running_below "$shell" "$program"; then
            echo "$name: the shell's ibus-daemon did not start ${program:-the engine}"
            failed=1
            stop_started
            continue
        fi
    fi
    WAYLAND_DISPLAY=$display GDK_BACKEND=wayland /usr/bin/python3 "$probe" entry "$out" >>"$log" 2>&1 &
    started+=("$!")
    # The shell starts in the overview, where a new window does not take the keyboard; Escape leaves it.
    wait_for 5 test -e "$out.ready" || /usr/bin/python3 "$probe" escape
    if ! wait_for 20 test -e "$out.ready"; then
        echo "$name: the GTK4 window never got the focus"
        failed=1
        stop_started
        continue
    fi
    /usr/bin/python3 "$probe" type "$text"
    # The entry rewrites its file on every commit; done when it has been still for a second.
    last= still=0
    for _ in $(seq 100); do
        now=$(cat "$out" 2>/dev/null || true)
        [[ $now == "$last" && -n $now ]] && still=$((still + 1)) || still=0
        last=$now
        ((still < 10)) || break
        sleep 0.1
    done
    printf '%-10s typed %-12q the entry holds %q\n' "$name:" "$text" "$last"
    if [[ $kind == ibus && ($last == "$text" || -z $last) ]]; then failed=1; fi
    stop_started
done
exit $failed
