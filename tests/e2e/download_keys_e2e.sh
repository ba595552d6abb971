#!/usr/bin/env bash
# Keys typed while the feed holds a download open and never answers: q ends
# the monitor within two seconds although the download may wait 30 s, and
# another key is not lost but carried out once the downloads have given up.
# The same holds while the day's timetables trickle in.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init keys

now_ms() { date +%s%3N; }

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
t0=$(now_ms)
keys quit q
wait_for 10 test -s "$work/quit/status" || fail "quit: still running 10 s after q"
took=$(( $(now_ms) - t0 ))
echo "q answered after $took ms"
[ "$took" -lt 2000 ] || fail "quit: q took $took ms during a hanging download"
[ "$(cat "$work/quit/status")" = 0 ] || fail "quit: exit status $(cat "$work/quit/status")"
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
t0=$(now_ms)
keys tt q
wait_for 10 test -s "$work/tt/status" || fail "tt: still running 10 s after q"
took=$(( $(now_ms) - t0 ))
echo "q answered after $took ms while the timetables trickled"
[ "$took" -lt 2000 ] || fail "tt: q took $took ms during the timetable downloads"
[ "$(cat "$work/tt/status")" = 0 ] || fail "tt: exit status $(cat "$work/tt/status")"
pane_has tt "odpt:TrainTimetable" && fail "tt: the abandoned timetables were reported"
echo ok
