# Shared steps of the IBus system tests: a session bus and an ibus-daemon of the test's own, the engine
# from a copy of the build tree found through IBUS_COMPONENT_PATH, and the targets to type into.
# Sourced after tests/system/lib.sh and ime_lib.sh, under with_x.sh. Everything is stopped by process id.

ibus_root=$(mktemp -d)
export HOME=$ibus_root/home XDG_CONFIG_HOME=$ibus_root/home/.config XDG_CACHE_HOME=$ibus_root/home/.cache
export XDG_DATA_HOME=$ibus_root/home/.local/share XDG_RUNTIME_DIR=$ibus_root/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset IBUS_ADDRESS QT_IM_MODULE GTK_IM_MODULE XMODIFIERS
# A copy of the programs, so the words the tests save stay out of the build tree.
ibus_bin=$ibus_root/bin
mkdir -p "$ibus_bin" "$ibus_root/component"
cp "$AQUINE_BIN/imvara-ibus" "$ibus_bin/"
sed "s|<exec>.*</exec>|<exec>'$ibus_bin/imvara-ibus' --ibus</exec>|" "$IBUS_COMPONENT_DIR/imvara.xml" \
    >"$ibus_root/component/imvara.xml"
# ibus-daemon 1.5.27 reads a folder of ours only after the system one.
export IBUS_COMPONENT_PATH=/usr/share/ibus/component:$ibus_root/component
dbus_pid= ibus_pid=
words_file=$ibus_bin/word.bin

stop_ibus() {
    kill "${gtk_pid:-}" "${qt_pid:-}" 2>/dev/null || true
    pkill -KILL -f "$ibus_bin/imvara-ibus" 2>/dev/null || true
    kill "${ibus_pid:-}" 2>/dev/null || true
    kill "${dbus_pid:-}" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$ibus_root"
}

# start_bus: the session bus every IBus process of the test talks over.
start_bus() {
    local info
    info=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || fail "no session bus"
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$info")
    dbus_pid=$(sed -n 2p <<<"$info")
    export DBUS_SESSION_BUS_ADDRESS
}

# start_ibus [ENGINE]: the daemon without panel or config, and ENGINE (default imvara) as the engine.
start_ibus() {
    local engine=${1:-imvara}
    ibus-daemon --panel="${IBUS_PANEL:-disable}" --config=disable --emoji-extension=disable --cache=none \
        --replace >"$ibus_root/daemon.log" 2>&1 &
    ibus_pid=$!
    poll 20 ibus_ready "$engine" || fail "ibus-daemon does not list the engine $engine"
    # A panel chooses an engine of its own as it starts. Let it finish first: ibus-ui-gtk3 1.5.27 dies
    # (a Pango assertion, then SIGSEGV) when another client's choice cancels its own.
    if [[ ${IBUS_PANEL:-disable} != disable ]]; then
        poll 20 panel_ready || fail "the IBus panel did not start"
        poll 5 any_engine || true
    fi
    # A panel starting beside it may cancel the first choice of an engine: choose until it holds.
    poll 20 engine_is "$engine" || fail "ibus-daemon would not take the engine $engine"
}
engine_is() { ibus engine "$1" 2>/dev/null && [[ $(ibus engine 2>/dev/null) == "$1" ]]; }
ibus_ready() { ibus list-engine --name-only 2>/dev/null | grep -qx "$1"; }
any_engine() { ibus engine >/dev/null 2>&1; }
panel_ready() {
    gdbus call --address "$(ibus address)" --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner org.freedesktop.IBus.Panel 2>/dev/null | grep -q true
}

# engine_pid: the engine process ibus-daemon started (empty when none).
engine_pid() { pgrep -f "$ibus_bin/imvara-ibus --ibus" | head -n1; }

# start_gtk: the GTK 3 entry, typing through IBus, focused; its text lands in $typed.
start_gtk() {
    typed=$(mktemp -p "$ibus_root")
    GTK_IM_MODULE=ibus /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/gtk_entry.py" "$typed" &
    gtk_pid=$!
    target=$(wait_window "gtk entry") || fail "no GTK entry"
    xdotool windowfocus --sync "$target"
    settle 0.5
}
