#!/usr/bin/env bash
# Keys typed while the feed holds a download open and never answers: q ends
# the monitor within two seconds although the download may wait 30 s, and
# another key is not lost but carried out once the downloads have given up.
# The same holds while the day's timetables trickle in.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init keys

now_ms() { date +%s%3N; }

# Types q into monitor $1 and requires it to end within 2 s with status 0;
# $2 says during what.
quit_within_two_seconds() {
    local t0 took
    t0=$(now_ms)
    keys "$1" q
    wait_for 10 test -s "$work/$1/status" || fail "$1: still running 10 s after q"
    took=$(( $(now_ms) - t0 ))
    echo "q answered after $took ms $2"
    [ "$took" -lt 2000 ] || fail "$1: q took $took ms $2"
    [ "$(cat "$work/$1/status")" = 0 ] || fail "$1: exit status $(cat "$work/$1/status")"
}

start_feed hang --fault hang --no-rate-limit
start_monitor quit LINEWATCH_HTTP_TIMEOUT_MS=30000
start_monitor other LINEWATCH_HTTP_TIMEOUT_MS=4000

# other: s typed while the first download hangs waits for the cycle.
wait_for 20 grep -aq 'データ取得中' "$work/other/raw.log" || fail "other: no refresh started"
keys other s
sleep 0.5
pane_has other "odpt:Train" && fail "other: the download ended too soon for this test"
pane_has other "sound_flag" && fail "other: s was carried out during the download"

# quit: the first refresh starts at once and hangs; q half-way through it.
wait_for 20 grep -aq 'データ取得中' "$work/quit/raw.log" || fail "quit: no refresh started"
sleep 1
keys quit x
sleep 0.3
quit_within_two_seconds quit "during a hanging download"
grep -aq 'データ読み込み中' "$work/quit/raw.log" && fail "quit: the abandoned refresh went on to parse"
pane_has quit "download failed" && fail "quit: the abandoned download was reported as failed"

# other: once both downloads have given up (2 x 4 s), s is carried out.
wait_pane other "odpt:TrainInformation: download failed" 15
wait_pane other "sound_flag :0" 3
keys other q
wait_for 5 test -s "$work/other/status" || fail "other: q not answered"

# timetables: the live answers come at once, the timetables 64 bytes every 200 ms
clock=2026-12-08T08:00:00
start_feed trickle --time "$clock" --fault trickle --no-rate-limit
start_monitor tt LINEWATCH_HTTP_TIMEOUT_MS=30000 -- --api v4 --time "$clock"
wait_for 20 grep -aq '時刻表を取得中' "$work/tt/raw.log" || fail "tt: no timetable download started"
sleep 1
quit_within_two_seconds tt "while the timetables trickled"
pane_has tt "odpt:TrainTimetable" && fail "tt: the abandoned timetables were reported"
echo ok
