#!/usr/bin/env bash
# The consumer key kept in $XDG_CONFIG_HOME/linewatch/consumer-key instead of
# the environment: read (first line, CRLF) and used for the downloads, never
# shown; the variable wins over it; a file the group may read stops the
# program with status 1 and the chmod advice before anything is downloaded.
set -euo pipefail
source "$(dirname "$0")/harness.bash"
e2e_init keyfile

start_feed feed --no-rate-limit
config="$work/config"
mkdir -p "$config/linewatch"
(umask 077 && printf ' %s\r\n' "$feed_key" > "$config/linewatch/consumer-key")
no_variable=("LINEWATCH_CONSUMER_KEY=" "XDG_CONFIG_HOME=$config")

start_monitor file "${no_variable[@]}"
wait_refresh file 1 60
[ "$(train_lines file)" -gt 100 ] || fail "the key from the file did not fetch the trains"
keys file q
[ "$(wait_exit file 20)" = 0 ] || fail "the run with the key file did not end with status 0"
grep -aqF "$feed_key" "$work/file/raw.log" && fail "the key appeared in the monitor's output"

# The variable wins: a wrong one is used even though the file holds the right key.
start_monitor variable "LINEWATCH_CONSUMER_KEY=wrong" "XDG_CONFIG_HOME=$config"
wait_pane variable "HTTP 401" 60
keys variable q
wait_exit variable 20 > /dev/null
[ "$(train_lines variable)" -eq 0 ] || fail "trains fetched with the wrong key of the variable"

# Readable by the group: refused at once, with the fix in one line.
chmod 640 "$config/linewatch/consumer-key"
start_monitor shared "${no_variable[@]}"
[ "$(wait_exit shared 20)" = 1 ] || fail "a key file the group may read did not end the program with status 1"
wait_pane shared "chmod 600 $config/linewatch/consumer-key"
grep -aqE 'データ読み込み中' "$work/shared/raw.log" && fail "downloaded with a refused key file"
grep -aqF "$feed_key" "$work/shared/raw.log" && fail "the key appeared in the refusal"
echo ok
