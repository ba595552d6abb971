#!/usr/bin/env bash
# The zip a Windows user downloads: unpacked into a folder of its own, it
# holds linewatch.exe, README.md and LICENSE in linewatch-VERSION-win64/, and
# that exe runs under Wine and names its version.
# Needs WINE, LINEWATCH_ZIP and LINEWATCH_VERSION.
set -euo pipefail
: "${WINE:?}" "${LINEWATCH_ZIP:?}" "${LINEWATCH_VERSION:?}"
work=$(mktemp -d /tmp/linewatch-zip-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

folder=linewatch-$LINEWATCH_VERSION-win64
(cd "$work" && cmake -E tar xf "$LINEWATCH_ZIP") || fail "cannot unpack $LINEWATCH_ZIP"
[ "$(cd "$work" && find . -type f | sort | tr '\n' ' ')" = "./$folder/LICENSE ./$folder/README.md ./$folder/linewatch.exe " ] ||
    fail "the zip holds: $(cd "$work" && find . | sort | tr '\n' ' ')"
grep -q 'MIT License' "$work/$folder/LICENSE" || fail "LICENSE is not the licence"
out=$(cd "$work/$folder" && WINEDEBUG=-all "$WINE" linewatch.exe --version | tr -d '\r') ||
    fail "linewatch.exe --version under Wine: status $?"
[ "$out" = "linewatch $LINEWATCH_VERSION" ] || fail "linewatch.exe --version printed '$out'"
echo ok
