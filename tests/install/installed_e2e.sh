#!/usr/bin/env bash
# cmake --install of this build into a scratch DESTDIR, copied elsewhere, then
# the installed programs run from there (see installed.bash); the install
# holds the manual pages, README and licence where a system looks for them.
set -euo pipefail
: "${LINEWATCH_BUILD_DIR:?}" "${LINEWATCH_SOURCE_DIR:?}" "${LINEWATCH_VERSION:?}" "${CMAKE:?}"
source "$(dirname "$0")/installed.bash"
work=$(mktemp -d /tmp/linewatch-installed-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

DESTDIR="$work/stage" "$CMAKE" --install "$LINEWATCH_BUILD_DIR" --prefix /usr > "$work/install.log" ||
    fail "cmake --install: $(cat "$work/install.log")"
for f in usr/bin/linewatch usr/bin/linewatch-feed usr/share/man/man1/linewatch.1.gz \
    usr/share/man/man1/linewatch-feed.1.gz usr/share/doc/linewatch/README.md usr/share/doc/linewatch/LICENSE; do
    [ -s "$work/stage/$f" ] || fail "not installed: /$f"
done
# the Debian files come with the packages only
[ -e "$work/stage/usr/share/doc/linewatch/copyright" ] && fail "a plain install carries the Debian copyright file"
zcat "$work/stage/usr/share/man/man1/linewatch.1.gz" | grep -q '^\.Nm linewatch' || fail "linewatch.1.gz is no manual page"

# Moved out of the way of the build: a copy elsewhere is what runs.
cp -a "$work/stage" "$work/root"
rm -rf "$work/stage"
check_installed "$work/root" "$(cd "$LINEWATCH_SOURCE_DIR" && pwd -P)" "$LINEWATCH_VERSION" "$work/check"
echo ok
