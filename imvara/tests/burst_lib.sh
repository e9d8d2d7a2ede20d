# Bursts of typing into an xterm through the input method, and the count of what went wrong.
# Sourced after tests/system/lib.sh and imvara/tests/ime_lib.sh; needs AQUINE_BIN.
burst_py="$(dirname "${BASH_SOURCE[0]}")/burst.py"

# start_xterm_target: an xterm that writes every byte typed into it to $xterm_out, focused.
start_xterm_target() {
    xterm_out=$(mktemp)
    LANG=C.UTF-8 LC_ALL=C.UTF-8 xterm -u8 -title "burst target" -geometry 60x10+10+10 \
        -e sh -c 'stty -icanon -echo; exec cat > "$1"' sh "$xterm_out" &
    target_pid=$!
    target=$(wait_window "burst target") || fail "no xterm"
    xdotool windowfocus --sync "$target"
    sleep 0.3
}

# busy_loops N: N processes that only spin, in $busy_pids.
busy_pids=()
busy_loops() {
    for _ in $(seq "$1"); do
        sh -c 'while :; do :; done' &
        busy_pids+=($!)
    done
}
stop_busy_loops() {
    ((${#busy_pids[@]})) && kill "${busy_pids[@]}" 2>/dev/null
    busy_pids=()
}

# type_keys DELAY_MS KEYS: types the keys; a test on another display system defines its own.
type_keys() { xdotool type --delay "$1" -- "$2"; }

# burst SEED KEYS DELAY_MS: types one burst and prints "lost L wrong W reordered R"; waits for the
# text to be complete, or for nothing more to arrive within 5 s. What arrived is read from the end of
# $burst_out (default: the xterm's output).
burst() {
    local seed=$1 count=$2 delay=$3 keys want got offset last=-1 quiet=0 size
    local xterm_out=${burst_out:-$xterm_out}
    want=$(mktemp) got=$(mktemp)
    offset=$(stat -c %s "$xterm_out")
    keys=$("$burst_py" make "$seed" "$count" "$AQUINE_BIN/imvara-lookup" "$want")
    type_keys "$delay" "$keys"
    while :; do
        tail -c +$((offset + 1)) "$xterm_out" >"$got"
        cmp -s "$want" "$got" && break
        size=$(stat -c %s "$got")
        if ((size == last)); then
            ((++quiet >= 50)) && break
        else
            quiet=0 last=$size
        fi
        sleep 0.1
    done
    "$burst_py" compare "$want" "$got"
    rm -f "$want" "$got"
}

# expect_burst SEED KEYS DELAY_MS WHAT: one burst, which must arrive exact (WHAT names it in a failure).
expect_burst() {
    local result
    result=$(burst "$1" "$2" "$3")
    [[ $result == "lost 0 wrong 0 reordered 0" ]] || fail "burst $1, $4: $result"
}
