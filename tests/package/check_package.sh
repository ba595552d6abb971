#!/usr/bin/env bash
# The Debian packages make package built in BUILD: what each holds and
# depends on, the unpacked program run far from the tree (see
# tests/install/installed.bash) with no path into the tree compiled in, no
# run path and no symbols, a program built against the unpacked psdraw
# packages, and no lintian error (its warnings are printed).
#   bash tests/package/check_package.sh BUILD
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd -P)
tree=$(cd "$here/../.." && pwd -P)
build=$(cd "${1:?build folder}" && pwd -P)
source "$tree/tests/install/installed.bash"
work=$(mktemp -d /tmp/linewatch-package-XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
deb() { echo "$build/${1}_${version}-1_$arch.deb"; }
for p in linewatch libpsdraw1 libpsdraw-dev; do
    [ -s "$(deb "$p")" ] || fail "no package $(deb "$p")"
    dpkg-deb -c "$(deb "$p")" > "$work/$p.list"
    awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/$p.list" ||
        fail "$p: entries not owned by root"
    for f in copyright changelog.Debian.gz; do
        grep -q " \./usr/share/doc/$p/$f\$" "$work/$p.list" || fail "$p lacks /usr/share/doc/$p/$f"
    done
done

# holds LIST PATH...: every PATH (a basic regular expression) is in the
# listing; lacks LIST PATH...: none is.
holds() {
    local list=$1 f
    shift
    for f in "$@"; do
        grep -q " \./${f}\( -> .*\)\?\$" "$work/$list.list" || fail "$list lacks /$f"
    done
}
lacks() {
    local list=$1 f
    shift
    for f in "$@"; do
        grep -q " \./${f}\( -> .*\)\?\$" "$work/$list.list" && fail "$list holds /$f"
    done
    return 0
}
lib=usr/lib/$multiarch
holds linewatch usr/bin/linewatch usr/bin/linewatch-feed usr/share/man/man1/linewatch.1.gz \
    usr/share/man/man1/linewatch-feed.1.gz usr/share/doc/linewatch/README.md usr/share/doc/linewatch/LICENSE
lacks linewatch "$lib/libpsdraw.so.1" usr/include/psdraw.h
holds libpsdraw1 "$lib/libpsdraw.so.1" "$lib/libpsdraw\.so\.1\.[0-9.]*"
lacks libpsdraw1 "$lib/libpsdraw.so" "$lib/libpsdraw.a" usr/include/psdraw.h
holds libpsdraw-dev usr/include/psdraw.h "$lib/libpsdraw.so" "$lib/libpsdraw.a" "$lib/pkgconfig/psdraw.pc" \
    "$lib/cmake/psdraw/psdrawConfig.cmake" "$lib/cmake/psdraw/psdrawTargets.cmake"
lacks libpsdraw-dev "$lib/libpsdraw.so.1"

# field PACKAGE FIELD PATTERN...: each PATTERN is among the field's entries.
field() {
    local p=$1 name=$2 value pattern
    shift 2
    value=$(dpkg-deb -f "$(deb "$p")" "$name")
    for pattern in "$@"; do
        grep -qE "(^|, )$pattern( |,|$)" <<< "$value" || fail "$p $name lacks $pattern: $value"
    done
}
field linewatch Depends libc6 libcurl4 'libsdl2-2\.0-0' libasound2 'libstdc\+\+6'
field linewatch Recommends open-jtalk open-jtalk-mecab-naist-jdic hts-voice-nitech-jp-atr503-m001
field libpsdraw1 Depends 'libstdc\+\+6'
field libpsdraw-dev Depends "libpsdraw1 \(= ${version//./\\.}-1\)"
dpkg-deb -f "$(deb linewatch)" Depends | grep -q libpsdraw && fail "linewatch depends on libpsdraw1, which it does not use"
dpkg-deb -I "$(deb libpsdraw1)" shlibs | grep -q "^libpsdraw 1 libpsdraw1" || fail "libpsdraw1 has no shlibs entry"

# The program as the package installs it.
dpkg -x "$(deb linewatch)" "$work/root"
for program in "$work/root/usr/bin/"*; do
    strings -a "$program" | grep -F "$tree" && fail "$program holds a path into $tree"
    readelf -d "$program" | grep -E 'RPATH|RUNPATH' && fail "$program has a run path"
    file "$program" | grep -q ', stripped' || fail "$program is not stripped"
done
check_installed "$work/root" "$tree" "$version" "$work/check"
zcat "$work/root/usr/share/man/man1/linewatch.1.gz" | MANWIDTH=80 man -l - | grep -q 'consumer-key' ||
    fail "the packaged linewatch(1) does not render"

# A program built against the psdraw packages alone.
for p in libpsdraw1 libpsdraw-dev; do dpkg -x "$(deb "$p")" "$work/psdraw"; done
flags=$(PKG_CONFIG_PATH="$work/psdraw/$lib/pkgconfig" pkg-config --cflags --libs psdraw)
c++ -std=c++17 "$tree/psdraw/examples/waves.cpp" $flags -o "$work/waves"
(cd "$work" && LD_LIBRARY_PATH="$work/psdraw/$lib" ./waves > /dev/null && head -c 2 waves.ps | grep -q '^%!') ||
    fail "the example built against libpsdraw-dev does not run"

lintian --fail-on error --tag-display-limit 0 "$(deb linewatch)" "$(deb libpsdraw1)" "$(deb libpsdraw-dev)" ||
    fail "lintian reports errors"
echo ok
