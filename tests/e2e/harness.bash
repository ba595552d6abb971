# The one harness of the end-to-end runs: real monitors in tmux windows,
# headless, against linewatch-feed programs on free loopback ports.
#
# From a script:
#   source "$(dirname "$0")/harness.bash"
#   e2e_init NAME                 fresh $work dir and tmux server; both go at exit
#   start_feed NAME [ARGS...]     linewatch-feed ARGS on a free port; sets
#                                 feed_root and feed_key (the last started feed)
#   start_monitor NAME [ENV=VALUE...] [-- ARGS...]
#                                 the monitor in tmux window NAME, run in
#                                 $work/NAME against the last started feed, with
#                                 --snapshot snap.png and ARGS; leaves there
#                                 raw.log (terminal output), status (exit
#                                 status), before.stty/after.stty (terminal modes)
#   keys NAME KEY...              tmux send-keys to window NAME
#   wait_pane NAME TEXT [SECS]    until window NAME shows TEXT (default 30 s)
#   wait_refresh NAME N [SECS]    until the N-th refresh has drawn and counts
#                                 down again (default 110 s)
#   wait_exit NAME [SECS]         until the monitor has ended; prints its status
#   wait_for SECS COMMAND...      polls COMMAND every 0.1 s; false if it never succeeds
#   get TYPE [EXTRA-QUERY]        one datapoints answer of the last started feed
#   control QUERY                 switches the last started feed (fault=..., disrupt=...)
#   train_lines NAME              number of train lines the monitor has printed
#   line_ended NAME               true when the last byte the terminal got is a
#                                 line end (nothing left open for the prompt)
#   fail MESSAGE                  prints MESSAGE and every pane, exits 1
# Every feed and monitor started here runs on the Japan clock $e2e_clock
# (default 2026-12-08T12:00:00, a Tuesday's noon; set it before starting to
# change it; a --time in ARGS wins), so a run gives the same verdict on every
# day and at every hour.
# Needs LINEWATCH_BIN and LINEWATCH_FEED_BIN. The monitor's environment is
# headless, silent and speechless with 3 s download limits and its timetable
# cache in $work/NAME/cache; an ENV=VALUE
# argument overrides any of it (LINEWATCH_SPEECH= turns speech back on).
#
# From a program: LINEWATCH_E2E_WORK=DIR bash harness.bash COMMAND ARGS...
# carries out one command on the run kept in DIR (made by the caller, removed
# by "e2e_cleanup"); the API root and key then come as ENV=VALUE arguments.

e2e_clock=2026-12-08T12:00:00

e2e_attach() {
    work=$1
    sock=$(basename "$work")
    feed_pids=()
}

e2e_init() {
    : "${LINEWATCH_BIN:?}" "${LINEWATCH_FEED_BIN:?}"
    e2e_attach "$(mktemp -d "/tmp/linewatch-$1-XXXXXX")"
    trap e2e_cleanup EXIT
}

e2e_cleanup() {
    tmux -L "$sock" kill-server 2>/dev/null || true
    rm -f "${TMUX_TMPDIR:-/tmp}/tmux-$(id -u)/$sock"
    for pid in "${feed_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}

fail() {
    echo "FAIL: $*" >&2
    for w in $(tmux -L "$sock" list-windows -F '#W' 2>/dev/null); do
        echo "--- pane $w ---" >&2
        tmux -L "$sock" capture-pane -p -J -S -60 -t "$w" 2>/dev/null | grep -v '^$' >&2 || true
    done
    exit 1
}

wait_for() {
    local tries=$(( $1 * 10 ))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

start_feed() {
    local name=$1
    shift
    "$LINEWATCH_FEED_BIN" --port 0 --time "$e2e_clock" "$@" > "$work/$name.feed" 2>&1 &
    feed_pids+=($!)
    wait_for 20 grep -q serving "$work/$name.feed" || true
    feed_root=$(sed -n 's/.*serving \([^ ]*\) key \([^ ]*\).*/\1/p' "$work/$name.feed")
    feed_key=$(sed -n 's/.*serving \([^ ]*\) key \([^ ]*\).*/\2/p' "$work/$name.feed")
    [ -n "$feed_root" ] || fail "feed $name did not start: $(cat "$work/$name.feed")"
}

get() {
    curl -sf --max-time 10 "$feed_root/api/v2/datapoints?rdf:type=$1${2:-}&acl:consumerKey=$feed_key"
}

control() {
    curl -sf --max-time 5 "$feed_root/sim/control?$1&acl:consumerKey=$feed_key" > /dev/null ||
        fail "control $1"
}

start_monitor() {
    local name=$1
    shift
    local dir="$work/$name" env=() args=()
    while [ $# -gt 0 ] && [ "$1" != -- ]; do env+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    args=("$@")
    mkdir -p "$dir"
    {
        echo "cd '$dir'"
        echo "while [ ! -e go ]; do sleep 0.05; done"
        echo "stty -a > before.stty"
        echo "env LANG=C.UTF-8 LC_ALL=C.UTF-8 LINEWATCH_HEADLESS=1 LINEWATCH_SOUND=none LINEWATCH_SPEECH=none \\"
        echo "    LINEWATCH_HTTP_TIMEOUT_MS=3000 LINEWATCH_CONNECT_TIMEOUT_MS=2000 XDG_CACHE_HOME='$dir/cache' \\"
        echo "    LINEWATCH_API_ROOT='${feed_root:-}' LINEWATCH_CONSUMER_KEY='${feed_key:-}' \\"
        echo "    ${env[*]+$(printf '%q ' "${env[@]}")} \\"
        echo "    '$LINEWATCH_BIN' --snapshot '$dir/snap.png' --time '$e2e_clock' ${args[*]+$(printf '%q ' "${args[@]}")}"
        echo "code=\$?"
        echo "stty -a > after.stty"
        echo "echo \$code > status"
        echo "sleep 600"
    } > "$dir/run.sh"
    if tmux -L "$sock" has-session 2>/dev/null; then
        tmux -L "$sock" new-window -d -n "$name" "bash '$dir/run.sh'"
    else
        tmux -u -L "$sock" new-session -d -x 200 -y 50 -s e2e -n "$name" "bash '$dir/run.sh'"
    fi
    tmux -L "$sock" pipe-pane -o -t "$name" "cat >> '$dir/raw.log'"
    touch "$dir/go"
}

keys() {
    tmux -L "$sock" send-keys -t "$1" "${@:2}"
}

pane_has() {
    tmux -L "$sock" capture-pane -p -J -S -400 -t "$1" 2>/dev/null | grep -qF -- "$2"
}

wait_pane() {
    wait_for "${3:-30}" pane_has "$1" "$2" || fail "$1 never showed: $2"
}

# True once the N-th download has finished and the refresh that followed has
# drawn, snapshot included, and printed its countdown again.
refreshed() {
    grep -aoE 'データ読み込み中|データ再取得まで' "$work/$1/raw.log" 2>/dev/null |
        awk -v n="$2" '/読み込み/ { c++ } c >= n && /再取得/ { done = 1 } END { exit !done }'
}

wait_refresh() {
    wait_for "${3:-110}" refreshed "$1" "$2" || fail "$1 never finished refresh $2"
}

wait_exit() {
    wait_for "${2:-10}" test -s "$work/$1/status" || fail "$1 did not end"
    cat "$work/$1/status"
}

line_ended() {
    [ "$(tail -c 1 "$work/$1/raw.log" | od -An -tx1 | tr -d ' ')" = 0a ]
}

train_lines() {
    grep -aoE '[AB][0-9]{4}[A-Z][0-9]?:' "$work/$1/raw.log" 2>/dev/null | wc -l
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    e2e_attach "${LINEWATCH_E2E_WORK:?}"
    "$@"
fi
