#!/usr/bin/env bash
# The monitor with a real window (Xvfb), sound and speech on, after a refresh
# has chimed and while a disruption is being spoken: Escape in the window ends
# it with status 0 and unsaved settings, q ends it with status 0 after the
# click it asks for; both hand the terminal back with its modes and the
# countdown line ended.
set -euo pipefail

if [[ "${1:-}" != --inside ]]; then
    # Server numbers from 150 up, away from other windowed tests starting at once.
    exec xvfb-run -a -n 150 -s "-screen 0 1024x768x24 -nolisten tcp" bash "$0" --inside
fi

source "$(dirname "$0")/harness.bash"
e2e_init window
start_feed f --no-rate-limit --disrupt 2 "信号確認のため、運転を見合わせています。"

# libdbus keeps a buffer until its own shutdown, which SDL does not ask for.
printf 'leak:libdbus-1.so\n' > "$work/lsan.supp"

# start_windowed NAME: a monitor with its window, a sound device SDL can open
# without a card, and speech on.
start_windowed() {
    start_monitor "$1" LINEWATCH_HEADLESS= LINEWATCH_SOUND= LINEWATCH_SPEECH= SDL_AUDIODRIVER=dummy \
        LSAN_OPTIONS="suppressions=$work/lsan.supp"
    wait_refresh "$1" 1 60
    wait_pane "$1" "信号確認のため"
    wid=$(timeout 20 xdotool search --sync --onlyvisible --name '^qwin$' | head -n 1) || true
    [ -n "$wid" ] || fail "$1 has no window"
    timeout 10 xdotool windowfocus --sync "$wid" || fail "$1's window never took the focus"
}

# handed_back NAME: the terminal's modes as before, the last byte a line end.
handed_back() {
    cmp -s "$work/$1/before.stty" "$work/$1/after.stty" || fail "$1 changed the terminal modes"
    wait_for 5 line_ended "$1" || fail "$1 left its last line open"
}

start_windowed esc
xdotool key Escape
code=$(wait_exit esc 20)
[ "$code" = 0 ] || fail "Escape ended the monitor with status $code"
[ ! -e "$work/esc/linewatch.ini" ] || fail "Escape saved the settings"
handed_back esc

start_windowed quit
keys quit q
wait_pane quit "グラフィックウインド(qwin)をクリックすると終了します。"
# The click counts once the monitor has saved and waits for it; until then
# clicks go by, so keep clicking.
xdotool mousemove --window "$wid" 20 20
clicked_out() { xdotool click 1 2>/dev/null; sleep 0.2; [ -s "$work/quit/status" ]; }
wait_for 20 clicked_out || fail "clicks never ended the monitor"
code=$(wait_exit quit)
[ "$code" = 0 ] || fail "q and a click ended the monitor with status $code"
[ -s "$work/quit/linewatch.ini" ] || fail "q did not save the settings"
handed_back quit
echo ok
