#!/usr/bin/env bash
# The monitor in a real terminal (tmux) against the simulated feed, headless:
# the notice that no speech engine is installed, countdown, help in readable
# UTF-8, the name switch, zoom in and out, quit.
# Afterwards the settings file is written, the exit status is 0 and the
# terminal is back in its usual mode.
set -euo pipefail
: "${LINEWATCH_BIN:?}" "${LINEWATCH_FEED_BIN:?}"

work=$(mktemp -d /tmp/linewatch-e2e-XXXXXX)
sock="linewatch-e2e-$$"
feed_pid=""
cleanup() {
    tmux -L "$sock" kill-server 2>/dev/null || true
    if [ -n "$feed_pid" ]; then kill "$feed_pid" 2>/dev/null || true; wait "$feed_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    echo "--- pane ---" >&2
    tmux -L "$sock" capture-pane -p -t e2e 2>/dev/null >&2 || true
    exit 1
}

# Polls (up to 30 s) until the pane shows $1.
wait_pane() {
    for _ in $(seq 300); do
        if tmux -L "$sock" capture-pane -p -J -S -200 -t e2e 2>/dev/null | grep -qF -- "$1"; then return 0; fi
        sleep 0.1
    done
    fail "pane never showed: $1"
}
# Every redraw writes the snapshot; waits until its content differs from $1.
wait_redraw() {
    for _ in $(seq 300); do
        if [ -s "$work/view.png" ] && [ "$(cksum < "$work/view.png")" != "$1" ]; then return 0; fi
        sleep 0.1
    done
    fail "no redraw after the last key"
}
picture() { cksum < "$work/view.png"; }
wait_file() {
    for _ in $(seq 300); do
        if [ -s "$1" ]; then return 0; fi
        sleep 0.1
    done
    fail "never written: $1"
}

# Options: usage and version exit 0; an unknown option is one line on stderr and status 2.
"$LINEWATCH_BIN" --help | grep -q -- "--snapshot" || fail "--help"
"$LINEWATCH_BIN" --version | grep -q "^linewatch [0-9]" || fail "--version"
set +e
"$LINEWATCH_BIN" --colour 2> "$work/err" > "$work/out"
code=$?
set -e
[ "$code" = 2 ] || fail "unknown option gave status $code"
[ "$(wc -l < "$work/err")" = 1 ] && [ ! -s "$work/out" ] || fail "unknown option: $(cat "$work/err")"

# Midday on the simulated clock, so trains run whatever the real hour.
"$LINEWATCH_FEED_BIN" --host 127.0.0.1 --port 0 --time 12:00 > "$work/feed.out" &
feed_pid=$!
for _ in $(seq 100); do grep -q serving "$work/feed.out" && break; sleep 0.1; done
root=$(sed -n 's/.*serving \([^ ]*\) key \([^ ]*\).*/\1/p' "$work/feed.out")
key=$(sed -n 's/.*serving \([^ ]*\) key \([^ ]*\).*/\2/p' "$work/feed.out")
[ -n "$root" ] || fail "feed did not start: $(cat "$work/feed.out")"

cat > "$work/run.sh" <<RUN
cd "$work"
stty -a > before.stty
# Speech is left on with no engine to be found, so the notice shows at start.
env -u LINEWATCH_SPEECH PATH=/nonexistent LANG=C.UTF-8 LC_ALL=C.UTF-8 LINEWATCH_HEADLESS=1 \\
LINEWATCH_SOUND=none LINEWATCH_API_ROOT="$root" LINEWATCH_CONSUMER_KEY="$key" \\
"$LINEWATCH_BIN" --snapshot view.png
echo \$? > status
stty -a > after.stty
sleep 60
RUN

tmux -u -L "$sock" new-session -d -x 160 -y 50 -s e2e "bash $work/run.sh"

wait_pane "データ再取得まで"
wait_pane "notices will not be spoken"
# Printed at start, before anything else, not first at the first disruption.
tmux -L "$sock" capture-pane -p -J -S -200 -t e2e | head -1 | grep -qF "notices will not be spoken" ||
    fail "the speech notice is not the first line"
# The first refresh writes the first picture; only one key at a time is
# carried out, so each key waits for the previous one's effect.
wait_file "$work/view.png"
tmux -L "$sock" send-keys -t e2e h
wait_pane "c : 画像のクリア,"
wait_pane "↓ → ← ↑ : 表示領域移動"
wait_pane "q : 終了,"
before=$(picture)
tmux -L "$sock" send-keys -t e2e j
wait_pane "kstr_flag :1"
wait_redraw "$before"
before=$(picture)
tmux -L "$sock" send-keys -t e2e i
wait_redraw "$before"
before=$(picture)
tmux -L "$sock" send-keys -t e2e d
wait_redraw "$before"
tmux -L "$sock" send-keys -t e2e q
wait_pane "グラフィックウインド(qwin)をクリックすると終了します。"
wait_file "$work/status"
wait_file "$work/after.stty"

[ "$(cat "$work/status")" = 0 ] || fail "exit status $(cat "$work/status")"
head -6 "$work/linewatch.ini" > "$work/six"
printf 'ixf:0\niyf:0\nratio:1.000000\niflag:511\nsound_flag:1\nkstr_flag:1\n' | cmp -s - "$work/six" ||
    fail "settings: $(cat "$work/linewatch.ini")"
# The feed's trains were seen, so their numbers follow the six settings lines.
grep -q '^(000)' "$work/linewatch.ini" || fail "no train lines in linewatch.ini"
for mode in icanon echo; do
    grep -qw -- "$mode" "$work/after.stty" || fail "terminal left without $mode"
    grep -qw -- "-$mode" "$work/after.stty" && fail "terminal left with -$mode"
done
cmp -s "$work/before.stty" "$work/after.stty" || fail "terminal modes changed"
echo "ok"
