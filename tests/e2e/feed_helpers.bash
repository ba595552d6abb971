# Helpers for the end-to-end runs of the monitor against linewatch-feed.
# A script sources this file, then calls e2e_init NAME once.

e2e_init() {
    : "${LINEWATCH_BIN:?}" "${LINEWATCH_FEED_BIN:?}"
    work=$(mktemp -d "/tmp/linewatch-$1-XXXXXX")
    sock="linewatch-$1-$$"
    feed_pids=()
    trap e2e_cleanup EXIT
}

e2e_cleanup() {
    tmux -L "$sock" kill-server 2>/dev/null || true
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

# start_feed NAME ARGS...: runs linewatch-feed on a free port and sets
# feed_root and feed_key from the line it prints.
start_feed() {
    local name=$1
    shift
    "$LINEWATCH_FEED_BIN" --port 0 "$@" > "$work/$name.feed" 2>&1 &
    feed_pids+=($!)
    wait_for 20 grep -q serving "$work/$name.feed" || true
    feed_root=$(sed -n 's/.*serving \([^ ]*\) key \([^ ]*\).*/\1/p' "$work/$name.feed")
    feed_key=$(sed -n 's/.*serving \([^ ]*\) key \([^ ]*\).*/\2/p' "$work/$name.feed")
    [ -n "$feed_root" ] || fail "feed $name did not start: $(cat "$work/$name.feed")"
}

# get TYPE [EXTRA-QUERY]: one datapoints answer of the last started feed.
get() {
    curl -sf --max-time 10 "$feed_root/api/v2/datapoints?rdf:type=$1${2:-}&acl:consumerKey=$feed_key"
}

# control QUERY: switches the last started feed (fault=..., disrupt=...&text=...).
control() {
    curl -sf --max-time 5 "$feed_root/sim/control?$1&acl:consumerKey=$feed_key" > /dev/null ||
        fail "control $1"
}

# start_monitor NAME [ENV=VALUE...]: runs the monitor in tmux window NAME
# against the last started feed, in $work/NAME, headless, its raw terminal
# output recorded in $work/NAME/raw.log and its picture in $work/NAME/snap.png.
start_monitor() {
    local name=$1
    shift
    local dir="$work/$name"
    mkdir -p "$dir"
    {
        echo "cd '$dir'"
        echo "while [ ! -e go ]; do sleep 0.05; done"
        echo "env LANG=C.UTF-8 LC_ALL=C.UTF-8 LINEWATCH_HEADLESS=1 LINEWATCH_SOUND=none LINEWATCH_SPEECH=none \\"
        echo "    LINEWATCH_HTTP_TIMEOUT_MS=3000 LINEWATCH_CONNECT_TIMEOUT_MS=2000 \\"
        echo "    LINEWATCH_API_ROOT='$feed_root' LINEWATCH_CONSUMER_KEY='$feed_key' $* \\"
        echo "    '$LINEWATCH_BIN' --snapshot '$dir/snap.png'"
        echo "echo \$? > status"
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

# wait_pane NAME TEXT [SECONDS]: polls until TEXT shows in window NAME.
wait_pane() {
    wait_for "${3:-30}" pane_has "$1" "$2" || fail "$1 never showed: $2"
}

# refreshed NAME N: true once the N-th download is finished and the refresh
# that followed has drawn, snapshot included, and printed its countdown again.
refreshed() {
    grep -aoE 'データ読み込み中|データ再取得まで' "$work/$1/raw.log" 2>/dev/null |
        awk -v n="$2" '/読み込み/ { c++ } c >= n && /再取得/ { done = 1 } END { exit !done }'
}

# wait_refresh NAME N [SECONDS]: polls until refresh N is complete.
wait_refresh() {
    wait_for "${3:-110}" refreshed "$1" "$2" || fail "$1 never finished refresh $2"
}

# wait_for SECONDS COMMAND...: polls until COMMAND succeeds; false when it never does.
wait_for() {
    local tries=$(( $1 * 10 ))
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# train_lines NAME: train numbers the monitor has printed on its console.
train_lines() {
    grep -aoE '[AB][0-9]{4}[A-Z][0-9]:' "$work/$1/raw.log" 2>/dev/null | wc -l
}
