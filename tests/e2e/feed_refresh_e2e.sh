#!/usr/bin/env bash
# The monitor against linewatch-feed in tmux, headless: the first refresh
# prints one line per running train and the notices, a forced disruption is
# printed and spoken into LINEWATCH_SPEECH_DIR, r redraws, the fare query
# prints the feed's fare for the pair, and q saves the settings and exits 0.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init refresh

disruption="信号確認の影響で、運転を見合わせています。"

# Record one moment of the model so that the monitor's answer can be checked exactly.
start_feed model --no-rate-limit --disrupt Hibiya "$disruption"
mkdir -p "$work/rec"
get odpt:Train > "$work/rec/Train.json"
get odpt:TrainInformation > "$work/rec/TrainInformation.json"
trains=$(python3 -c 'import json,sys; print(len(json.load(sys.stdin)))' < "$work/rec/Train.json")
[ "$trains" -gt 100 ] || fail "the model runs only $trains trains at noon"

# Replay it; fares still come from the model.
start_feed replay --replay "$work/rec" --no-rate-limit
fare=$(get odpt:RailwayFare "&odpt:fromStation=odpt.Station:TokyoMetro.Chiyoda.Ayase&odpt:toStation=odpt.Station:TokyoMetro.Marunouchi.Myogadani")
read -r ticket child ic child_ic < <(python3 -c 'import json,sys; f=json.load(sys.stdin)[0]; print(f["odpt:ticketFare"], f["odpt:childTicketFare"], f["odpt:icCardFare"], f["odpt:childIcCardFare"])' <<< "$fare")

start_monitor m "LINEWATCH_SPEECH=" "LINEWATCH_SPEECH_DIR=$work/speech"
wait_refresh m 1 30
wait_pane m "日比谷線 $disruption"
wait_pane m "銀座線 現在、平常どおり運転しています。"
[ "$(train_lines m)" -eq "$trains" ] || fail "printed $(train_lines m) train lines for $trains trains"

# The disruption is spoken: the line name, then the text.
spoken() { [ "$(ls "$work/speech" 2>/dev/null | grep -c '\.wav$')" -ge 2 ]; }
wait_for 30 spoken || fail "nothing spoken into $work/speech"

# r redraws the map and the held trains and writes the picture again.
rm -f "$work/m/snap.png"
keys m r
wait_for 10 test -s "$work/m/snap.png" || fail "r did not redraw"

# The fare query: sorted index 0 is 綾瀬 (千代田線), 179 is 茗荷谷 (丸ノ内線).
keys m f
wait_pane m "料金を調べます。"
keys m "0 179" Enter
wait_pane m "でよろしいですか？"
keys m "1" Enter
wait_pane m "普通切符料金 $ticket 円(子供料金 $child 円）"
wait_pane m "ICカード料金 $ic 円（子供料金 $child_ic 円）"
wait_pane m "hit anykey!"
keys m x

keys m q
wait_for 10 test -s "$work/m/status" || true
[ "$(cat "$work/m/status" 2>/dev/null)" = 0 ] || fail "exit status $(cat "$work/m/status" 2>/dev/null)"
seen=$(grep -c '^([0-9]*)' "$work/m/linewatch.ini" || true)
[ "$seen" -eq "$trains" ] || fail "linewatch.ini lists $seen trains, the feed ran $trains"
grep -qF "$feed_key" "$work/m/raw.log" && fail "the consumer key reached the console"
echo ok
