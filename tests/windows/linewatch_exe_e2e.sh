#!/usr/bin/env bash
# linewatch.exe under Wine against the Linux-built feed, as a Windows user
# runs it, window and all: the first refresh prints the trains and the notices
# in Shift_JIS, the picture is pixel for pixel the Linux build's, q waits for
# the window's click and exits 0, a second run saves its settings over the
# first one's, HTTPS works with a self-signed certificate named in
# LINEWATCH_CA_FILE and fails plainly without it.
# Needs WINE, LINEWATCH_BIN (linewatch.exe), LINEWATCH_LINUX_BIN,
# LINEWATCH_FEED_BIN and a display for the window (make check-windows runs
# this under xvfb-run).
set -euo pipefail
source "$(dirname "$0")/../e2e/harness.bash"
: "${WINE:?}" "${LINEWATCH_LINUX_BIN:?}" "${DISPLAY:?a display for the window}"
e2e_init windows

disruption="信号確認の影響で、運転を見合わせています。"

# start_run NAME PROGRAM [ARGS...]: PROGRAM in $work/NAME, keys from the pipe
# $work/NAME/keys, output in out.log, exit status in status. Each run is a
# process group of its own, ended with the script.
declare -A key_fd
run_groups=()
start_run() {
    local name=$1
    shift
    mkdir -p "$work/$name"
    rm -f "$work/$name/keys" "$work/$name/status"
    mkfifo "$work/$name/keys"
    exec {fd}<>"$work/$name/keys"
    key_fd[$name]=$fd
    setsid bash -c 'cd "$1" && shift && { "$@" < keys > out.log 2> err.log; echo $? > status; }' \
        run "$work/$name" "$@" &
    run_groups+=($!)
}
stop_runs() {
    for group in "${run_groups[@]}"; do
        kill -- "-$group" 2> /dev/null || true
    done
    e2e_cleanup
}
trap stop_runs EXIT
key() { printf '%s' "$2" >&"${key_fd[$1]}"; }
# The run's output as UTF-8; the Windows program writes Shift_JIS.
text() {
    case $1 in
        linux) cat "$work/$1/out.log" ;;
        *) iconv -c -f CP932 -t UTF-8 "$work/$1/out.log" ;;
    esac
}
shows() { text "$1" | grep -qF -- "$2"; }
wait_text() { wait_for "${3:-60}" shows "$1" "$2" || fail "$1 never printed \"$2\"; it printed: $(text "$1" | tail -c 2000)"; }
ended() { [ -s "$work/$1/status" ]; }
# q, then the click on the window that the program asks for.
quit_with_click() {
    key "$1" q
    wait_text "$1" "グラフィックウインド(qwin)をクリックすると終了します。" 20
    local window
    window=$(xdotool search --name '^qwin$' | head -1)
    [ -n "$window" ] || fail "$1: no window named qwin"
    wait_for 20 bash -c "xdotool mousemove --window $window 40 40 click 1; sleep 0.5; test -s '$work/$1/status'" ||
        fail "$1 did not end after the click"
    [ "$(cat "$work/$1/status")" = 0 ] || fail "$1 exited with $(cat "$work/$1/status")"
}

# One moment of the model, replayed to both programs; HTTPS needs a host
# name, since Wine's certificate check knows no IP addresses.
start_feed model --no-rate-limit --disrupt Hibiya "$disruption"
mkdir -p "$work/rec"
get odpt:Train > "$work/rec/Train.json"
get odpt:TrainInformation > "$work/rec/TrainInformation.json"
trains=$(python3 -c 'import json,sys; print(len(json.load(sys.stdin)))' < "$work/rec/Train.json")
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -addext subjectAltName=DNS:localhost \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2> /dev/null
start_feed tls --replay "$work/rec" --no-rate-limit --cert "$work/cert.pem" --key "$work/key.pem"
tls_root=${feed_root/127.0.0.1/localhost}
start_feed replay --replay "$work/rec" --no-rate-limit
api=(LINEWATCH_API_ROOT="$feed_root" LINEWATCH_CONSUMER_KEY="$feed_key" LINEWATCH_SOUND=none LINEWATCH_SPEECH=none)

# The Linux build draws the reference picture.
start_run linux env "${api[@]}" "$LINEWATCH_LINUX_BIN" --headless --snapshot snap.png --time "$e2e_clock"
wait_text linux "日比谷線 $disruption"
key linux q
wait_for 20 ended linux || fail "the Linux build did not end"

# The first Windows run, chime on, speech written into a folder (under Wine
# no Japanese voice exists, which the program says at start).
start_run win env LINEWATCH_API_ROOT="$feed_root" LINEWATCH_CONSUMER_KEY="$feed_key" \
    LINEWATCH_SPEECH_DIR="$work/speech" "$WINE" "$LINEWATCH_BIN" --snapshot snap.png --time "$e2e_clock"
wait_text win "日比谷線 $disruption" 90
wait_text win "銀座線 現在、平常どおり運転しています。"
wait_text win "speech: no Japanese SAPI voice is installed"
# The same train lines as the Linux build's, in the same order.
train_lines_of() { text "$1" | tr '\r' '\n' | grep -aoE '[AB][0-9]{4}[A-Z][0-9]?:.*'; }
[ "$(train_lines_of win | wc -l)" -eq "$trains" ] || fail "linewatch.exe printed $(train_lines_of win | wc -l) train lines for $trains trains"
[ "$(train_lines_of win)" = "$(train_lines_of linux)" ] || fail "the train lines differ from the Linux build's"
quit_with_click win
[ -s "$work/win/snap.png" ] || fail "no snapshot from linewatch.exe"
differing=$(compare -metric AE "$work/linux/snap.png" "$work/win/snap.png" null: 2>&1 || true)
[ "$differing" = 0 ] || fail "the Windows picture differs from the Linux one in $differing pixels"
grep -q '^ratio:1.000000' "$work/win/linewatch.ini" || fail "the first run saved no settings"
grep -qF "$feed_key" "$work/win/out.log" && fail "the consumer key reached the console"

# The second run, over HTTPS, zooms in once and must save over the first
# run's settings file.
cp "$work/win/linewatch.ini" "$work/win/first.ini"
rm -f "$work/win/snap.png"
start_run win env LINEWATCH_API_ROOT="$tls_root" LINEWATCH_CONSUMER_KEY="$feed_key" \
    LINEWATCH_CA_FILE="$work/cert.pem" LINEWATCH_SOUND=none LINEWATCH_SPEECH=none \
    "$WINE" "$LINEWATCH_BIN" --snapshot snap.png --time "$e2e_clock"
wait_text win "日比谷線 $disruption" 90
wait_for 20 test -s "$work/win/snap.png" || fail "no picture after the HTTPS refresh"
rm "$work/win/snap.png"
key win i
wait_for 20 test -s "$work/win/snap.png" || fail "i did not redraw"
quit_with_click win
grep -q '^ratio:2.000000' "$work/win/linewatch.ini" ||
    fail "the second run did not save over the first: $(head -3 "$work/win/linewatch.ini")"

# Without the certificate the same feed is refused, in one plain line.
start_run untrusted env LINEWATCH_API_ROOT="$tls_root" LINEWATCH_CONSUMER_KEY="$feed_key" \
    LINEWATCH_SOUND=none LINEWATCH_SPEECH=none LINEWATCH_HEADLESS=1 "$WINE" "$LINEWATCH_BIN" --time "$e2e_clock"
wait_text untrusted "odpt:Train: download failed: no TLS connection could be set up" 60
key untrusted q
wait_for 20 ended untrusted || fail "the untrusted run did not end on q"
[ "$(cat "$work/untrusted/status")" = 0 ] || fail "q after a failed download exited $(cat "$work/untrusted/status")"

echo "ok: $trains trains, the same lines and pictures as on Linux, settings saved twice, HTTPS with and without its certificate"
