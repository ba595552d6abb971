#!/bin/bash
# The qwin window on a real X server (Xvfb): the window shows the bitmap pixel
# for pixel, repaints when uncovered and on F5, keeps its size, ends drawing
# with status 0 on Escape, lets qwin_close finish on a click, and goes away on
# its close request while drawing into the bitmap goes on; a display that
# answers but cannot be used ends the program with status 1.
# Needs QWIN_DEMO and QWIN_PROBE (paths of the two helper programs).
set -euo pipefail

if [[ "${1:-}" != --inside ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" --inside
fi

work=$(mktemp -d)
demo_pid=
cleanup() {
    [[ -n "$demo_pid" ]] && kill "$demo_pid" 2>/dev/null || true
    if [[ -s "$work/stderr" ]]; then
        echo "demo stderr:"
        cat "$work/stderr"
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*"; exit 1; }

# Starts the demo with a pipe for commands and one for answers.
start_demo() {
    rm -f "$work/in" "$work/out"
    mkfifo "$work/in" "$work/out"
    "$QWIN_DEMO" <"$work/in" >"$work/out" 2>"$work/stderr" &
    demo_pid=$!
    exec 3>"$work/in" 4<"$work/out"
    expect_answer open
    wid=$(xdotool search --sync --onlyvisible --name '^qwin$' | head -n 1)
    [[ -n "$wid" ]] || fail "no window named qwin"
    # Keys and clicks go through the XTEST extension, as from a real keyboard.
    xdotool windowfocus --sync "$wid"
}

say() { echo "$1" >&3; }

expect_answer() {
    local got
    read -r -t 20 got <&4 || fail "no answer, expected '$1'"
    [[ "$got" == "$1" ]] || fail "answer '$got', expected '$1'"
}

# Waits (up to about 3 s) until the window shows exactly the snapshot $1.
window_matches() {
    for _ in $(seq 30); do
        "$QWIN_PROBE" compare "$wid" "$1" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    "$QWIN_PROBE" compare "$wid" "$1" || true
    return 1
}

# Waits (up to about 10 s) for the demo to end; sets status to its exit status.
wait_demo() {
    for _ in $(seq 100); do
        kill -0 "$demo_pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "$demo_pid" 2>/dev/null && fail "the demo did not end"
    status=0
    wait "$demo_pid" || status=$?
    demo_pid=
}

echo "== window equals bitmap; repaints; size"
start_demo
say picture; expect_answer drawn
say "snapshot $work/picture.png"; expect_answer ok
window_matches "$work/picture.png" || fail "window differs from the bitmap"

"$QWIN_PROBE" scribble "$wid"
if "$QWIN_PROBE" compare "$wid" "$work/picture.png" >/dev/null 2>&1; then
    fail "scribbling on the window changed nothing; the repaint checks would prove nothing"
fi
"$QWIN_PROBE" cover "$wid"
window_matches "$work/picture.png" || fail "uncovering did not repaint the window"

"$QWIN_PROBE" scribble "$wid"
sleep 0.3
"$QWIN_PROBE" compare "$wid" "$work/picture.png" >/dev/null 2>&1 && fail "window repainted by itself"
xdotool key F5
window_matches "$work/picture.png" || fail "F5 did not repaint the window"

# Held down, F5 repaints on the press only; Xvfb auto-repeats after ~0.7 s.
xdotool keydown F5
window_matches "$work/picture.png" || fail "F5 held down did not repaint the window"
"$QWIN_PROBE" scribble "$wid"
sleep 1.5
held=0
"$QWIN_PROBE" compare "$wid" "$work/picture.png" >/dev/null 2>&1 || held=1
xdotool keyup F5
[[ $held == 1 ]] || fail "an auto-repeated F5 repainted the window"
xdotool key F5
window_matches "$work/picture.png" || fail "F5 after releasing it did not repaint the window"

xdotool windowsize "$wid" 800 600
sleep 0.5
[[ "$("$QWIN_PROBE" size "$wid")" == "640 400" ]] || fail "window size changed to $("$QWIN_PROBE" size "$wid")"
window_matches "$work/picture.png" || fail "window differs from the bitmap after the resize attempt"

echo "== Escape during a long drawing run ends with status 0"
say long; expect_answer drawing
sleep 0.3
xdotool key Escape
wait_demo
[[ "$status" == 0 ]] || fail "Escape ended the drawing with status $status"

echo "== qwin_close waits for a click"
start_demo
xdotool mousemove --sync --window "$wid" 20 20
sleep 0.3
say close
sleep 1
kill -0 "$demo_pid" 2>/dev/null || fail "qwin_close returned before any event reached the window"
xdotool click 1
expect_answer closed
wait_demo
[[ "$status" == 0 ]] || fail "the program ended with status $status after qwin_close"

echo "== the close request destroys the window; drawing into the bitmap goes on"
start_demo
"$QWIN_PROBE" delete "$wid"
for _ in $(seq 50); do
    xdotool search --onlyvisible --name '^qwin$' >/dev/null 2>&1 || break
    sleep 0.1
done
xdotool search --onlyvisible --name '^qwin$' >/dev/null 2>&1 && fail "window still there after its close request"
say picture; expect_answer drawn
say "snapshot $work/after.png"; expect_answer ok
cmp -s "$work/picture.png" "$work/after.png" || fail "bitmap drawn after the window closed differs"
say close; expect_answer closed
wait_demo
[[ "$status" == 0 ]] || fail "status $status after closing a closed window"

echo "== a display that answers but cannot be used ends the program with status 1"
status=0
SDL_VIDEODRIVER=no-such-driver "$QWIN_DEMO" </dev/null >"$work/out.txt" 2>"$work/err.txt" || status=$?
[[ "$status" == 1 ]] || fail "an unusable display gave status $status"
# Only the first line: a sanitizer build may add its own report below.
[[ "$(head -n 1 "$work/err.txt")" == "Can't register class." ]] || fail "message '$(cat "$work/err.txt")'"
[[ ! -s "$work/out.txt" ]] || fail "the demo went on after the window failed"

echo "PASS"
