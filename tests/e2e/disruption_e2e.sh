#!/usr/bin/env bash
# The monitor in version-4 mode against a feed whose 丸ノ内線 notice suspends
# 池袋～新宿: the console says so once, no estimated 丸ノ内線 train runs
# between two stations of the section, every 丸ノ内線 train line carries the
# word that its place is uncertain, no train of a line in normal service
# does, and the other lines keep their trains.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init disruption

e2e_clock=2026-12-08T08:00:00  # a Tuesday's rush hour
start_feed tt --no-rate-limit --disrupt Marunouchi "信号故障のため、池袋駅～新宿駅間で運転を見合わせています。"
# The day's ten timetables come at once; from a sanitizer-built feed on a
# loaded machine they take longer than the harness's 3 s limit.
start_monitor m LINEWATCH_HTTP_TIMEOUT_MS=30000 -- --api v4
wait_refresh m 1 60
wait_pane m "列車位置: 時刻表からの推定です"
said=$(grep -aoF "丸ノ内線: 池袋～新宿間の運転見合わせのため、区間内の推定列車を表示しません" "$work/m/raw.log" | wc -l)
[ "$said" -eq 1 ] || fail "the section's suspension was said $said times"

python3 - "$work/m/raw.log" <<'EOF' || fail "the train lines do not follow the notices"
import re, sys
raw = open(sys.argv[1], "rb").read().decode("utf-8", "replace")
section = {"Ikebukuro", "ShinOtsuka", "Myogadani", "Korakuen", "HongoSanchome", "Ochanomizu", "Awajicho",
           "Otemachi", "Tokyo", "Ginza", "Kasumigaseki", "KokkaiGijidomae", "AkasakaMitsuke", "Yotsuya",
           "YotsuyaSanchome", "ShinjukuGyoemmae", "ShinjukuSanchome", "Shinjuku"}
names = {"銀座線": "Ginza", "丸ノ内線": "Marunouchi", "日比谷線": "Hibiya", "東西線": "Tozai",
         "千代田線": "Chiyoda", "有楽町線": "Yurakucho", "半蔵門線": "Hanzomon", "南北線": "Namboku",
         "副都心線": "Fukutoshin"}
normal = {names[n] for n in re.findall(r"\d\d:\d\d:\d\d (\S+線) [^\n]*平常どおり", raw)}
trains = re.findall(r"([A-Z]?[0-9]{3,4}[A-Z0-9]*):[A-Za-z]+:([A-Za-z]+)(?::([A-Za-z]+)->([A-Za-z]+))?(（推定[^）]*）)?", raw)
marunouchi = [t for t in trains if t[1] == "Marunouchi"]
if len(marunouchi) < 5 or len(trains) < 100:
    sys.exit(f"{len(marunouchi)} 丸ノ内線 trains of {len(trains)}")
for number, railway, frm, to, word in trains:
    if railway == "Marunouchi":
        if frm in section and to in section:
            sys.exit(f"{number} runs {frm}->{to} inside the section")
        if word != "（推定・一部運転見合わせ）":
            sys.exit(f"{number} of 丸ノ内線 without the word: {word!r}")
    elif railway in normal and word:
        sys.exit(f"{number} of {railway}, in normal service, says {word}")
if len(normal) < 7:
    sys.exit(f"only {sorted(normal)} reported normal")
EOF

keys m q
[ "$(wait_exit m)" = 0 ] || fail "exit status $(cat "$work/m/status")"
echo ok
