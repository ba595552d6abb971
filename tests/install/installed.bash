# Runs an installed linewatch the way a user would, far from the tree it was
# built in, and fails when it opens anything there.
#
#   source installed.bash
#   check_installed ROOT TREE VERSION WORK
#       ROOT/usr/bin/linewatch and linewatch-feed: --version prints
#       "linewatch VERSION", --help the usage, and one headless --demo run at
#       a fixed clock refreshes once, draws its snapshot and ends with q, all
#       with a clean environment, the current folder in WORK (a scratch
#       folder) and, where strace works, no file under TREE opened.
# Needs fail MESSAGE from the caller.

# installed LOG COMMAND...: COMMAND with a clean environment, under strace
# into LOG when strace can trace here (a sanitizer build's leak check cannot
# run under it).
installed() {
    local log=$1 trace=()
    shift
    [ -n "$tracer" ] && trace=("$tracer" -f -qq -e trace=file,process -o "$log")
    env -i PATH=/usr/bin:/bin HOME="$work_dir/home" LANG=C.UTF-8 LC_ALL=C.UTF-8 \
        LINEWATCH_HEADLESS=1 LINEWATCH_SOUND=none LINEWATCH_SPEECH=none \
        ASAN_OPTIONS=detect_leaks=0 "${trace[@]}" "$@"
}

check_installed() {
    local root=$1 tree=$2 version=$3
    work_dir=$4
    local bin=$root/usr/bin
    mkdir -p "$work_dir/home" "$work_dir/run"
    tracer=$(command -v strace || true)
    [ -n "$tracer" ] && ! "$tracer" -qq -o /dev/null true 2>/dev/null && tracer=
    cd "$work_dir/run"

    local out
    out=$(installed "$work_dir/version.trace" "$bin/linewatch" --version) ||
        fail "installed linewatch --version: status $?"
    [ "$out" = "linewatch $version" ] || fail "installed linewatch --version printed '$out', not 'linewatch $version'"
    installed "$work_dir/help.trace" "$bin/linewatch" --help | grep -q '^usage: linewatch' || fail "installed linewatch --help"
    installed "$work_dir/feed.trace" "$bin/linewatch-feed" --help | grep -q '^usage: linewatch-feed' ||
        fail "installed linewatch-feed --help"

    # One refresh: the countdown that follows the first download, then q.
    {
        for _ in $(seq 600); do
            grep -aq 'データ再取得まで' demo.out 2>/dev/null && break
            sleep 0.1
        done
        printf q
    } | installed "$work_dir/demo.trace" timeout 90 "$bin/linewatch" --demo --headless \
        --time 2026-12-09T12:00 --snapshot view.png > demo.out 2> demo.err ||
        fail "installed linewatch --demo: status $? ($(cat demo.err))"
    grep -aq 'データ再取得まで' demo.out || fail "installed linewatch --demo never refreshed: $(cat demo.err)"
    [ -s view.png ] || fail "installed linewatch --demo drew no snapshot"

    if [ -n "$tracer" ]; then
        local opened
        opened=$(grep -hF "\"$tree" "$work_dir"/*.trace | head -5 || true)
        [ -z "$opened" ] || fail "the installed program looked into the build tree: $opened"
    else
        echo "strace cannot trace here: the files opened are not checked"
    fi
    cd - > /dev/null
}
