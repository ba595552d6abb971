#!/usr/bin/env bash
# The monitor in version-4 mode at a fixed clock against a feed that, like the
# real API, publishes no positions: it downloads the day's timetables once,
# shows the trains they place, and its console train lines agree within one
# station with the positions of the same feed's train model at that moment
# (read from a twin feed that serves them). A second start the same day
# downloads nothing.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init timetable

e2e_clock=2026-12-08T08:00:00  # a Tuesday's rush hour
start_feed ref --no-rate-limit --v4-positions
ref_root=$feed_root
ref_key=$feed_key
start_feed tt --no-rate-limit
# Answers of near 2 MB, three at a time, in a sanitizer build on a loaded
# machine take longer than the harness's 3 s limit.
slow_limit=LINEWATCH_HTTP_TIMEOUT_MS=30000

start_monitor m "XDG_CACHE_HOME=$work/cache" "$slow_limit" -- --api v4
wait_pane m "時刻表: 2026-12-08 平日 の 10/10 路線" 60
wait_refresh m 1 60
wait_pane m "列車位置: 時刻表からの推定です"
ls "$work/cache/linewatch/"*.timetable > /dev/null || fail "no cache files"
grep -rqF "$feed_key" "$work/cache" && fail "the consumer key is in the cache"

# The monitor's lines of its first refresh: number:type:railway:from->to.
grep -aoE '[AB][0-9]{4}[A-Z]:[A-Za-z]+:[A-Za-z]+:[A-Za-z]+->[A-Za-z]+' "$work/m/raw.log" | sort -u > "$work/shown"
[ "$(wc -l < "$work/shown")" -ge 100 ] || fail "only $(wc -l < "$work/shown") running trains shown"

# The model's positions now, and each railway's stops in order from its timetable.
v4get() {
    curl -sf --max-time 20 "$ref_root/api/v4/$1?$2&acl:consumerKey=$ref_key"
}
v4get odpt:Train "odpt:operator=odpt.Operator:TokyoMetro" > "$work/positions.json"
for r in Ginza Marunouchi MarunouchiBranch Hibiya Tozai Chiyoda Yurakucho Hanzomon Namboku Fukutoshin; do
    v4get odpt:TrainTimetable "odpt:railway=odpt.Railway:TokyoMetro.$r&odpt:calendar=odpt.Calendar:Weekday" > "$work/tt-$r.json"
done
python3 - "$work" <<'EOF' || fail "the shown trains differ from the model's"
import glob, json, sys
work = sys.argv[1]
last = lambda s: s.rsplit(".", 1)[-1] if s else ""
order = {}  # railway part -> station part -> place along the line
for f in glob.glob(work + "/tt-*.json"):
    for t in json.load(open(f)):
        stops = [last(s.get("odpt:departureStation") or s.get("odpt:arrivalStation")) for s in t["odpt:trainTimetableObject"]]
        line = order.setdefault(last(t["odpt:railway"]), {})
        if len(stops) > len(line):
            line.clear()
            line.update({s: i for i, s in enumerate(stops)})
model = {(last(t["odpt:railway"]), t["odpt:trainNumber"]): t for t in json.load(open(work + "/positions.json"))}
def place(line, frm, to):  # half stations: 2k at stop k, 2k+1 between k and k+1
    return order[line][frm] * 2 if not to else order[line][frm] + order[line][to]
compared = bad = 0
for row in open(work + "/shown"):
    number, _, line, stations = row.strip().split(":")
    frm, to = stations.split("->")
    t = model.get((line, number))
    if t is None or t["odpt:delay"] > 0:
        continue  # gone or late in the model meanwhile
    compared += 1
    shown = place(line, frm, to)
    now = place(line, last(t["odpt:fromStation"]), last(t.get("odpt:toStation")))
    if abs(shown - now) > 2:
        bad += 1
        print("far:", row.strip(), "model", t["odpt:fromStation"], t.get("odpt:toStation"))
print("compared", compared, "far", bad)
sys.exit(0 if compared >= 100 and bad == 0 else 1)
EOF

# The count box says the trains are the timetable's (colour 11, 255 125 125).
marked=$(convert "$work/m/snap.png" -crop 37x15+62+25 txt:- | grep -c "(255,125,125)" || true)
[ "$marked" -gt 20 ] || fail "no timetable mark in the count box ($marked pixels)"

keys m q
[ "$(wait_exit m)" = 0 ] || fail "exit status $(cat "$work/m/status")"

# Started again the same day: read from the cache, nothing downloaded.
start_monitor again "XDG_CACHE_HOME=$work/cache" "$slow_limit" -- --api v4
wait_pane again "時刻表: 2026-12-08 平日 の 10/10 路線" 20
wait_refresh again 1 30
grep -aqF "時刻表を取得中" "$work/again/raw.log" && fail "the second start downloaded timetables"
keys again q
[ "$(wait_exit again)" = 0 ] || fail "exit status $(cat "$work/again/status")"
echo ok
