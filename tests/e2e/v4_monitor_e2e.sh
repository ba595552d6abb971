#!/usr/bin/env bash
# The monitor in version-4 mode against linewatch-feed in tmux, headless: the
# licence notice once at start, the nine notices in line order from the ten
# version-4 objects, a forced disruption spoken once per refresh and no normal
# line ever, the no-positions line once, the fare query's four 2023 amounts,
# and q exits 0 without the key on the console.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init v4

disruption="信号確認の影響で、運転を見合わせています。"
start_feed v4 --no-rate-limit --multilingual --disrupt Hibiya "$disruption"
v4get() {
    curl -sf --max-time 10 "$feed_root/api/v4/$1?$2&acl:consumerKey=$feed_key"
}
fare=$(v4get odpt:RailwayFare "odpt:fromStation=odpt.Station:TokyoMetro.Chiyoda.Ayase&odpt:toStation=odpt.Station:TokyoMetro.Marunouchi.Myogadani")
read -r ticket child ic child_ic < <(python3 -c 'import json,sys; f=json.load(sys.stdin)[0]; print(f["odpt:ticketFare"], f["odpt:childTicketFare"], f["odpt:icCardFare"], f["odpt:childIcCardFare"])' <<< "$fare")
[ "$ticket" -ge 180 ] || fail "no 2023 fare from the feed: $fare"

start_monitor m "LINEWATCH_SPEECH=" "LINEWATCH_SPEECH_DIR=$work/speech" -- --api v4
wait_refresh m 1 60  # the first refresh also downloads the day's timetables
wait_pane m "公共交通オープンデータ基本ライセンス"
wait_pane m "日比谷線 $disruption"
grep -aqF "APIキーが設定されていません" "$work/m/raw.log" && fail "a key was given, yet the monitor asks for one"

# The nine notices of the first refresh, one per line, in the order of the lines.
order=$(grep -aoE '[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8} [^ ]+線' "$work/m/raw.log" | head -9 | cut -d' ' -f2 | tr '\n' ' ')
[ "$order" = "銀座線 丸ノ内線 日比谷線 東西線 千代田線 有楽町線 半蔵門線 南北線 副都心線 " ] ||
    fail "notices in the order: $order"

# Spoken: the forced notice once per refresh, a normal notice never.
# One NNNN.txt per phrase, without a line end.
times_spoken() { grep -lF "$1" "$work"/speech/*.txt 2>/dev/null | wc -l; }
spoken_at_least() { [ "$(times_spoken "$disruption")" -ge "$1" ]; }
wait_for 30 spoken_at_least 1 || fail "the disruption was not spoken"
wait_refresh m 2 110
wait_for 30 spoken_at_least 2 || fail "the disruption was not spoken again"
[ "$(times_spoken "$disruption")" -eq 2 ] || fail "the disruption was spoken $(times_spoken "$disruption") times in two refreshes"
[ "$(times_spoken "平常どおり")" -eq 0 ] || fail "a normal notice was spoken"

# The operator publishes no positions: said once, not at every refresh.
said=$(grep -aoF "リアルタイムの列車位置を公開していない" "$work/m/raw.log" | wc -l)
[ "$said" -eq 1 ] || fail "the no-positions line came $said times"

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
[ "$(wait_exit m)" = 0 ] || fail "exit status $(cat "$work/m/status")"
grep -aqF "$feed_key" "$work/m/raw.log" && fail "the consumer key reached the console"
echo ok
