#!/usr/bin/env bash
# Signals beyond Ctrl-C and SIGTERM, and a reader that closes the output pipe
# (linewatch | head -n 3): the monitor ends with the signal's status and hands
# the terminal back in its usual modes, with the countdown line ended so the
# shell's prompt starts on a line of its own.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init signals
start_feed f --no-rate-limit

signals=(USR1 USR2 ALRM TRAP SYS XCPU VTALRM PROF RTMIN+3)
# The window (and folder) of signal $1.
win() { echo "${1/+/plus}"; }
for s in "${signals[@]}"; do
    start_monitor "$(win "$s")"
done

# linewatch | head -n 3 on the same terminal; head leaves after the first three
# status lines and the next countdown meets the closed pipe.
mkdir -p "$work/pipe"
cat > "$work/pipe/run.sh" <<RUN
cd '$work/pipe'
stty -a > before.stty
env LANG=C.UTF-8 LC_ALL=C.UTF-8 LINEWATCH_HEADLESS=1 LINEWATCH_SOUND=none LINEWATCH_SPEECH=none \\
    LINEWATCH_API_ROOT='$feed_root' LINEWATCH_CONSUMER_KEY='$feed_key' '$LINEWATCH_BIN' --time '$e2e_clock' | head -n 3 > head.out
code=\${PIPESTATUS[0]}
stty -a > after.stty
echo \$code > status
sleep 600
RUN
tmux -L "$sock" new-window -d -n pipe "bash '$work/pipe/run.sh'"

# usual_modes NAME: the terminal after the monitor has the modes it had before.
usual_modes() {
    local after="$work/$1/after.stty"
    for mode in icanon echo; do
        grep -qw -- "$mode" "$after" && ! grep -qw -- "-$mode" "$after" ||
            fail "$1 left the terminal with -$mode"
    done
    cmp -s "$work/$1/before.stty" "$after" || fail "$1 changed the terminal modes"
}

for s in "${signals[@]}"; do
    w=$(win "$s")
    wait_refresh "$w" 1
    # The pane's shell runs the monitor as its only child.
    pid=$(pgrep -P "$(tmux -L "$sock" display -p -t "$w" '#{pane_pid}')")
    [ -n "$pid" ] || fail "no monitor process in $w"
    kill -s "$s" "$pid"
done
for s in "${signals[@]}"; do
    w=$(win "$s")
    code=$(wait_exit "$w" 20)
    [ "$code" = $((128 + $(kill -l "$s"))) ] || fail "SIG$s ended the monitor with status $code"
    usual_modes "$w"
    wait_for 5 line_ended "$w" || fail "SIG$s left the countdown line open"
done

code=$(wait_exit pipe 60)
[ "$code" = $((128 + $(kill -l PIPE))) ] || fail "a closed output pipe ended the monitor with status $code"
[ "$(wc -l < "$work/pipe/head.out")" = 3 ] || fail "head got: $(cat "$work/pipe/head.out")"
usual_modes pipe
echo ok
