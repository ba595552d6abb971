#!/usr/bin/env bash
# The Windows build converts every character as the Linux build does.
# Arguments: the Linux charset_table, the Windows charset_table.exe.
set -euo pipefail
dir=$(mktemp -d /tmp/linewatch-charset-XXXXXX)
trap 'rm -rf "$dir"' EXIT
"$1" "$dir/linux.txt"
"${WINE:-wine}" "$2" "$dir/windows.txt"
[ "$(wc -l < "$dir/linux.txt")" -gt 88000 ] || { echo "FAIL: the Linux table is short"; exit 1; }
if ! cmp -s "$dir/linux.txt" "$dir/windows.txt"; then
    echo "FAIL: the two builds convert differently:"
    diff "$dir/linux.txt" "$dir/windows.txt" | head -40
    exit 1
fi
echo "ok: $(wc -l < "$dir/linux.txt") conversions alike"
