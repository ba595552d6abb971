#!/usr/bin/env bash
# Every fault of linewatch-feed against a running monitor, all modes side by
# side in one tmux server, headless. Per mode: a good refresh, then a faulty
# one, then a good one again. After the faulty refresh the monitor still
# answers a key within a second, has printed a readable line about the fault
# (and never the consumer key or a raw control character), and for failed
# downloads its picture is unchanged; after the fault is switched off the
# next refresh brings the trains back.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init faults

modes=(slow hang drop 500 html badutf8 huge ctrl emoji)
declare -A root key
for m in "${modes[@]}"; do
    start_feed "$m"
    root[$m]=$feed_root
    key[$m]=$feed_key
    start_monitor "$m"
done
use_feed() { feed_root=${root[$1]}; feed_key=${key[$1]}; }

for m in "${modes[@]}"; do
    wait_refresh "$m" 1 60
    wait_for 10 test -s "$work/$m/snap.png" || true
    mv "$work/$m/snap.png" "$work/$m/good.png" || fail "$m wrote no picture"
    echo "$(train_lines "$m")" > "$work/$m/trains1"
    use_feed "$m"
    control "fault=$m"
done

for m in "${modes[@]}"; do
    wait_refresh "$m" 2
    case $m in
        slow|hang|drop) wait_pane "$m" "odpt:Train: download failed" 5 ;;
        500) wait_pane "$m" "odpt:Train: HTTP 500" 5 ;;
        html) wait_pane "$m" "odpt:Train: the answer is not JSON" 5 ;;
        badutf8) wait_pane "$m" "銀座線 現在、〓" 5 ;;
        emoji) wait_pane "$m" "銀座線 〓現在、平常どおり運転しています。" 5 ;;
        ctrl) wait_pane "$m" "しています。" 5
              python3 - "$work/$m/raw.log" <<'CHECK' || fail "ctrl: a control character of the notice reached the terminal"
import re, sys
raw = open(sys.argv[1], "rb").read()
notice = raw[raw.rindex("銀座線 ".encode(), 0, raw.index(b"owned")):]
# the terminal's own line end, and the console's erase to the end of the line
notice = notice[:notice.index(b"\n")].removesuffix(b"\r").removesuffix(b"\x1b[K")
sys.exit(1 if re.search(rb"[\x00-\x1f\x7f]", notice) else 0)
CHECK
              ;;
        huge) [ $(( $(train_lines huge) - $(cat "$work/huge/trains1") )) -ge 400 ] ||
                  fail "huge: the monitor did not show its 400 trains" ;;
    esac
    # a key is still answered at once
    keys "$m" s
    wait_pane "$m" "sound_flag :0" 1
    case $m in
        slow|hang|drop|500|html)
            wait_for 10 test -s "$work/$m/snap.png" || true
            cmp -s "$work/$m/good.png" "$work/$m/snap.png" || fail "$m: the picture changed after a failed refresh"
            [ "$(grep -ac 'odpt:Train:' "$work/$m/raw.log")" -eq 1 ] || fail "$m: not exactly one line about the trains"
            echo "$(train_lines "$m")" > "$work/$m/trains2" ;;
    esac
    use_feed "$m"
    control "fault=none"
done

for m in "${modes[@]}"; do
    wait_refresh "$m" 3
    if [ -e "$work/$m/trains2" ]; then
        [ "$(train_lines "$m")" -gt "$(cat "$work/$m/trains2")" ] || fail "$m: no trains after the fault ended"
        [ "$(grep -ac 'odpt:Train:' "$work/$m/raw.log")" -eq 1 ] || fail "$m: the fault was reported again"
    fi
    keys "$m" q
done

for m in "${modes[@]}"; do
    wait_for 10 test -s "$work/$m/status" || true
    [ "$(cat "$work/$m/status" 2>/dev/null)" = 0 ] || fail "$m: exit status $(cat "$work/$m/status" 2>/dev/null)"
    grep -qF "${key[$m]}" "$work/$m/raw.log" && fail "$m: the consumer key reached the console"
    # the feed's escapes: clear screen, colour, cursor move, bell
    LC_ALL=C grep -qaP '\x1b\[2J|\x1b\[31m|\x1b\[10;10H|\x07|\x7f' "$work/$m/raw.log" &&
        fail "$m: a raw control character reached the terminal"
done
echo ok
