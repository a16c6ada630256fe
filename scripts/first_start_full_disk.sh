#!/usr/bin/env bash
# A first start on a nearly full disk: `search 문산 도라산` on a fresh settings store on a
# 128 KiB tmpfs filled up to ROOM bytes, for ROOM = 0 to 64 KiB in 2 KiB steps; counts the
# runs that stored the pair, and those that stored it without the first-start marker (the
# next start would then take the store for new and overwrite the pair). Needs root (mount).
# Usage: scripts/first_start_full_disk.sh [VELOMAR_CLI]   (default: the release build's)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$root/build/release/bin/velomar-cli}"
disk="$(mktemp -d)"
mount -t tmpfs -o size=128k tmpfs "$disk" || { rmdir "$disk"; exit 2; }
trap 'umount "$disk"; rmdir "$disk"' EXIT
runs=0 pairs=0 torn=0
for room in $(seq 0 2048 65536); do
    rm -f "$disk"/*
    avail=$(( $(stat -f -c '%a*%S' "$disk") ))
    head -c $(( avail > room ? avail - room : 0 )) /dev/zero >"$disk/filler" 2>/dev/null
    "$cli" --settings "$disk/s.sqlite3" --data "$root/data" search 문산 도라산 >/dev/null 2>&1
    rm -f "$disk/filler"
    list="$("$cli" --settings "$disk/s.sqlite3" settings list 2>/dev/null)"
    runs=$((runs + 1))
    if grep -q '^StartStation' <<<"$list"; then
        pairs=$((pairs + 1))
        grep -q '^Velomar' <<<"$list" || torn=$((torn + 1))
    fi
done
echo "$runs first starts: the pair stored by $pairs, without the marker by $torn"
