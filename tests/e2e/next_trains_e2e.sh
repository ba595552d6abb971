#!/usr/bin/env bash
# The next trains at a station, from the feed's timetables: linewatch --next
# downloads the day's timetables into the cache and answers once; the
# monitor's t key answers the same from that cache after bad input; --next
# answers from the cache alone when the server is gone; a station it does not
# know, and version 2, end it with their statuses.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init next_trains

e2e_clock=2026-12-09T08:00:00  # a Wednesday's rush hour
start_feed tt --no-rate-limit

next_trains() {
    env LANG=C.UTF-8 LC_ALL=C.UTF-8 XDG_CACHE_HOME="$work/cache" LINEWATCH_HTTP_TIMEOUT_MS=30000 \
        LINEWATCH_CONNECT_TIMEOUT_MS=2000 LINEWATCH_API_ROOT="$1" LINEWATCH_CONSUMER_KEY="$feed_key" \
        "$LINEWATCH_BIN" --api v4 --time "$e2e_clock" --next "${@:2}"
}

status=0
next_trains "$feed_root" 大手町 > "$work/answer" 2> "$work/answer.err" || status=$?
[ "$status" = 0 ] || fail "--next ended with $status: $(cat "$work/answer.err")"
head -n 1 "$work/answer" | grep -qxF "大手町 の発車予定 2026-12-09 08:00（平日ダイヤ）" || fail "heading: $(head -n 1 "$work/answer")"
# 丸ノ内線, 東西線, 千代田線 and 半蔵門線, both ways each, five trains each.
directions=$(grep -cE '^(丸ノ内線|東西線|千代田線|半蔵門線) .+方面' "$work/answer")
departures=$(grep -cE '^  [0-9]{2}:[0-9]{2}(→[0-9]{2}:[0-9]{2})?？? \((まもなく|[0-9]+分後|運転見合わせ)\) \S+ \S+行( 最終)?$' "$work/answer")
[ "$directions" = 8 ] && [ "$departures" = 40 ] ||
    fail "$directions directions, $departures departures: $(cat "$work/answer")"
ls "$work/cache/linewatch/"*.timetable > /dev/null || fail "no timetable kept in the cache"

# The t key in the monitor on the same cache: a number out of range, then 大手町's.
start_monitor m "XDG_CACHE_HOME=$work/cache" -- --api v4
wait_pane m "時刻表: 2026-12-09 平日 の 10/10 路線" 60
wait_refresh m 1 60
grep -aqF "時刻表を取得中" "$work/m/raw.log" && fail "the monitor downloaded timetables the cache holds"
keys m t
wait_pane m "駅の番号を入力してください"
number=$(grep -aoE '\([0-9]+\)大手町 ' "$work/m/raw.log" | head -n 1 | tr -dc 0-9)
[ -n "$number" ] || fail "大手町 is not in the station list"
keys m 999 Enter
wait_pane m "駅の番号は 0 から 179 までの数で入力してください。"
keys m "$number" Enter
wait_pane m "大手町 の発車予定 2026-12-09 08:0"
wait_pane m "hit anykey!"
for heading in $(grep -oE '^\S+ \S+方面' "$work/answer" | tr ' ' '_'); do
    pane_has m "${heading/_/ }" || fail "the key's answer lacks ${heading/_/ }"
done
keys m x
keys m q
[ "$(wait_exit m)" = 0 ] || fail "exit status $(cat "$work/m/status")"

# The server gone: the cache answers, without the lines' status.
kill "${feed_pids[@]}"
wait "${feed_pids[@]}" 2> /dev/null || true
status=0
next_trains "$feed_root" M18 > "$work/offline" 2> /dev/null || status=$?
[ "$status" = 0 ] || fail "--next without a server ended with $status"
grep -qF "運行情報を取得できなかったため、時刻表どおりの時刻を示します。" "$work/offline" || fail "offline: $(cat "$work/offline")"
grep -qxF "丸ノ内線 池袋方面" "$work/offline" || fail "offline: $(cat "$work/offline")"

status=0
next_trains "$feed_root" 新宿御苑 > /dev/null 2> "$work/bad.err" || status=$?
[ "$status" = 2 ] || fail "an unknown station ended with $status"
grep -qF "no such station: 新宿御苑" "$work/bad.err" || fail "bad station: $(cat "$work/bad.err")"
status=0
env LANG=C.UTF-8 "$LINEWATCH_BIN" --api v2 --next 0 > "$work/v2" 2>&1 || status=$?
[ "$status" = 1 ] && grep -qF "API 第4版にしかない" "$work/v2" || fail "version 2: $status $(cat "$work/v2")"
echo ok
