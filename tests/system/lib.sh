# Shared steps of the system tests: start a program, wait for its window, take a screenshot.
# Sourced by the test scripts; AQUINE_BIN and AQUINE_ARTEFACTS come from ctest.

fail() { echo "FAIL: $*" >&2; exit 1; }

# poll SECONDS COMMAND...: retries the command every 0.1 s until it succeeds or time runs out.
poll() {
    local limit=$1
    shift
    for _ in $(seq $((limit * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# wait_window NAME [SECONDS]: prints the id of the first visible window whose title is exactly NAME.
wait_window() {
    local name=$1 limit=${2:-20} id
    for _ in $(seq $((limit * 10))); do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1)
        [[ -n $id ]] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# screenshot NAME: the whole screen as a PNG kept among the test artefacts.
screenshot() {
    mkdir -p "$AQUINE_ARTEFACTS"
    import -window root "$AQUINE_ARTEFACTS/$1.png"
}
