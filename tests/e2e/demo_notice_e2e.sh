#!/usr/bin/env bash
# The demo's "running headless" notice agrees with the window the monitor
# really opens: shown for a display nobody answers at, and not when a
# snapshot file keeps the picture. Input is at its end, so each run quits at
# the first key check.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init demo

# An X display number with no server behind it.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done

# run NAME ARGS...: the demo with no window forced, stderr in $work/NAME.err.
run() {
    local name=$1
    shift
    mkdir "$work/$name"
    (cd "$work/$name" && env -u LINEWATCH_HEADLESS -u WAYLAND_DISPLAY DISPLAY=":$n" \
        timeout 60 "$LINEWATCH_BIN" --demo --time "$e2e_clock" "$@" < /dev/null > out 2> "../$name.err") ||
        fail "$name: exit status $? ($(cat "$work/$name.err"))"
}

run silent
grep -qF "running headless" "$work/silent.err" || fail "no notice for a display that does not answer: $(cat "$work/silent.err")"
grep -qF "demo feed at http://127.0.0.1:" "$work/silent.err" || fail "no feed line: $(cat "$work/silent.err")"

run snapshot --snapshot view.png
grep -qF "running headless" "$work/snapshot.err" && fail "notice although a snapshot was asked for"
[ -s "$work/snapshot/view.png" ] || fail "no snapshot written"
# The client asks the feed the demo started, whatever API variables say:
# train lines arrive, and q ends the run once they have.
mkdir "$work/trains"
(cd "$work/trains" &&
    { for _ in $(seq 150); do grep -aq ':Local:' out 2>/dev/null && break; sleep 0.2; done; printf q; } |
    env LINEWATCH_API_ROOT=http://127.0.0.1:1 LINEWATCH_CONSUMER_KEY=wrong \
        timeout 60 "$LINEWATCH_BIN" --demo --headless --time "$e2e_clock" > out 2> ../trains.err) ||
    fail "trains: exit status $? ($(cat "$work/trains.err"))"
grep -aq ':Local:' "$work/trains/out" || fail "no trains from the demo feed: $(cat "$work/trains.err")"
echo ok
