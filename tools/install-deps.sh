#!/bin/sh
# Installs the Debian packages in tools/packages.txt that are missing.
# Does nothing when all are present, so it is cheap to run before every build.
# With the argument "windows" the packages after the "## windows" line are
# wanted too; without it only those before.
set -eu
here=$(dirname "$0")
if [ "${1:-}" = windows ]; then
    wanted=$(grep -v '^#' "$here/packages.txt")
else
    wanted=$(sed '/^## windows/q' "$here/packages.txt" | grep -v '^#')
fi
missing=""
for p in $wanted; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    case "$status" in
        "install ok installed") ;;
        *) missing="$missing $p" ;;
    esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "missing packages:$missing (run as root, or install them)" >&2
    exit 1
fi
# The Japanese voice is in contrib; enable it alongside main where it is missing.
if [ -f /etc/apt/sources.list.d/debian.sources ] &&
   ! grep -q '^Components:.*contrib' /etc/apt/sources.list.d/debian.sources; then
    sed -i 's/^Components: main$/Components: main contrib/' /etc/apt/sources.list.d/debian.sources
fi
if [ -f /etc/apt/sources.list ] && grep -q '^deb .* main$' /etc/apt/sources.list; then
    sed -i 's/^\(deb .* main\)$/\1 contrib/' /etc/apt/sources.list
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends $missing
