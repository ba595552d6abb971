#!/usr/bin/env bash
# The manual pages: free of mandoc's and man's warnings, and naming every
# option the programs' --help lists and every variable the configuration
# reads.
set -euo pipefail
: "${LINEWATCH_BIN:?}" "${LINEWATCH_FEED_BIN:?}" "${LINEWATCH_SOURCE_DIR:?}"
man_dir=$LINEWATCH_SOURCE_DIR/man
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

for page in "$man_dir"/*.1; do
    mandoc -T lint -W warning "$page" || fail "mandoc -T lint: $page"
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 > /dev/null || true)
    [ -z "$warnings" ] || fail "man --warnings on $page: $warnings"
done

# documented PAGE WORD...: each WORD is an .Fl or .Ev argument somewhere in PAGE.
documented() {
    local page=$1 word
    shift
    for word in "$@"; do
        grep -qE "(Fl|Ev) ${word}( |$)" "$page" || fail "$(basename "$page") does not document $word"
    done
}

options() {
    "$1" --help | grep -oE '(^| |,)--?[a-zA-Z][a-z0-9-]*' | sed 's/^[ ,]*-//' | sort -u
}
mapfile -t monitor_options < <(options "$LINEWATCH_BIN")
mapfile -t feed_options < <(options "$LINEWATCH_FEED_BIN")
[ "${#monitor_options[@]}" -ge 6 ] || fail "found only ${#monitor_options[@]} options in linewatch --help"
[ "${#feed_options[@]}" -ge 10 ] || fail "found only ${#feed_options[@]} options in linewatch-feed --help"
documented "$man_dir/linewatch.1" "${monitor_options[@]}"
documented "$man_dir/linewatch-feed.1" "${feed_options[@]}"

mapfile -t variables < <(grep -ohE '"(LINEWATCH_[A-Z_]+|XDG_[A-Z_]+|HOME|APPDATA)"' \
    "$LINEWATCH_SOURCE_DIR/app/config.cpp" | tr -d '"' | sort -u)
[ "${#variables[@]}" -ge 10 ] || fail "found only ${#variables[@]} variables in app/config.cpp"
documented "$man_dir/linewatch.1" "${variables[@]}"
[ "$status" = 0 ] && echo ok
exit "$status"
