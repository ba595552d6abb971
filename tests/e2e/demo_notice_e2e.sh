#!/usr/bin/env bash
# The demo's "running headless" notice agrees with the window the monitor
# really opens: shown for a display nobody answers at, and not when a
# snapshot file keeps the picture (input is at its end, so each of these runs
# quits at the first key check). The demo speaks version 4 unless --api v2
# asks for the old one.
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
# The client asks the feed the demo started, whatever API variables say, and
# nothing goes into the user's cache folder; q ends the run once train lines
# have arrived. demo_trains NAME ARGS...
demo_trains() {
    local name=$1
    shift
    mkdir "$work/$name"
    (cd "$work/$name" &&
        { for _ in $(seq 600); do
              # trains shown and the countdown back: the first refresh is over
              grep -aq ':Local:' out 2>/dev/null && tail -c 200 out | grep -aq 'データ再取得まで' && break
              sleep 0.2
          done; printf q; } |
        env LANG=C.UTF-8 LC_ALL=C.UTF-8 LINEWATCH_API_ROOT=http://127.0.0.1:1 LINEWATCH_CONSUMER_KEY=wrong \
            LINEWATCH_API= HOME="$work/$name" XDG_CACHE_HOME= \
            timeout 150 "$LINEWATCH_BIN" --demo --headless --time "$e2e_clock" "$@" > out 2> "../$name.err") ||
        fail "$name: exit status $? ($(cat "$work/$name.err"))"
    grep -aq ':Local:' "$work/$name/out" || fail "no trains from the demo feed in $name: $(cat "$work/$name.err")"
    [ -z "$(find "$work/$name" -name '*.timetable')" ] || fail "$name kept timetables in the cache folder"
}

# Today's API by default: the licence line, trains from the timetables.
demo_trains today
grep -aqF "公共交通オープンデータ基本ライセンス" "$work/today/out" || fail "no licence line in the demo"
grep -aqF "列車位置: 時刻表からの推定です" "$work/today/out" || fail "the demo's trains are not the timetable's"
# --api v2: the old demo, with live positions and no licence line.
demo_trains old --api v2
grep -aqF "ライセンス" "$work/old/out" && fail "the version-2 demo printed the licence line"
grep -aqF "時刻表" "$work/old/out" && fail "the version-2 demo used timetables"
echo ok
