#!/usr/bin/env bash
# The monitor in a real terminal (tmux) against the simulated feed, headless:
# the notice that no speech engine is installed, countdown, help in readable
# UTF-8, the name switch, zoom in and out, quit.
# Afterwards the settings file is written, the exit status is 0 and the
# terminal is back in its usual mode.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init keys

# Options: usage and version exit 0; an unknown option is one line on stderr and status 2.
"$LINEWATCH_BIN" --help | grep -q -- "--snapshot" || fail "--help"
"$LINEWATCH_BIN" --version | grep -q "^linewatch [0-9]" || fail "--version"
set +e
"$LINEWATCH_BIN" --colour 2> "$work/err" > "$work/out"
code=$?
set -e
[ "$code" = 2 ] || fail "unknown option gave status $code"
[ "$(wc -l < "$work/err")" = 1 ] && [ ! -s "$work/out" ] || fail "unknown option: $(cat "$work/err")"

# Midday on the simulated clock, so trains run whatever the real hour.
start_feed noon
# Speech is left on with no engine to be found, so the notice shows at start.
start_monitor m LINEWATCH_SPEECH= PATH=/nonexistent
snap="$work/m/snap.png"
picture() { cksum < "$snap"; }
# Every redraw writes the snapshot; true once its content differs from $1.
redrawn() { [ -s "$snap" ] && [ "$(picture)" != "$1" ]; }
wait_redraw() { wait_for 30 redrawn "$1" || fail "no redraw after the last key"; }

wait_pane m "データ再取得まで"
wait_pane m "notices will not be spoken"
# Printed at start, before anything else, not first at the first disruption.
tmux -L "$sock" capture-pane -p -J -S -200 -t m | head -1 | grep -qF "notices will not be spoken" ||
    fail "the speech notice is not the first line"
# The first refresh writes the first picture; only one key at a time is
# carried out, so each key waits for the previous one's effect.
wait_for 30 test -s "$snap" || fail "no picture after the first refresh"
keys m h
wait_pane m "c : 画像のクリア,"
wait_pane m "↓ → ← ↑ : 表示領域移動"
wait_pane m "q : 終了,"
before=$(picture)
keys m j
wait_pane m "kstr_flag :1"
wait_redraw "$before"
before=$(picture)
keys m i
wait_redraw "$before"
before=$(picture)
keys m d
wait_redraw "$before"
keys m q
[ "$(wait_exit m 30)" = 0 ] || fail "exit status $(cat "$work/m/status")"
# Headless, nothing waits for a click, so nothing asks for one.
pane_has m "クリックすると終了" && fail "the headless monitor asked for a click in a window it does not have"

head -6 "$work/m/linewatch.ini" > "$work/six"
printf 'ixf:0\niyf:0\nratio:1.000000\niflag:511\nsound_flag:1\nkstr_flag:1\n' | cmp -s - "$work/six" ||
    fail "settings: $(cat "$work/m/linewatch.ini")"
# The feed's trains were seen, so their numbers follow the six settings lines.
grep -q '^(000)' "$work/m/linewatch.ini" || fail "no train lines in linewatch.ini"
for mode in icanon echo; do
    grep -qw -- "$mode" "$work/m/after.stty" || fail "terminal left without $mode"
    grep -qw -- "-$mode" "$work/m/after.stty" && fail "terminal left with -$mode"
done
cmp -s "$work/m/before.stty" "$work/m/after.stty" || fail "terminal modes changed"
echo "ok"
