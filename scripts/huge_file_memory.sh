#!/usr/bin/env bash
# Time and peak memory of check, search and grid when one timetable file is huge: the sample,
# 100 MB of its lines over and over, 100 MB in one line, a 4 GiB sparse file. The files live
# in a scratch folder on the ordinary disk and are removed afterwards.
# Usage: scripts/huge_file_memory.sh [VELOMAR_CLI]   (default: the release build's)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cli="${1:-$root/build/release/bin/velomar-cli}"
[ -x "$cli" ] || { echo "no $cli: cmake --preset release && cmake --build build/release --target velomar-cli" >&2; exit 2; }
scratch="$(mktemp -d "${TMPDIR:-/tmp}/velomar_huge.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/TimeData"
cp "$root"/data/TimeData/* "$scratch/TimeData/"
file="$scratch/TimeData/UpData_00.txt"
cp "$file" "$scratch/sample.txt"

run() {
    /usr/bin/time -f "%e s, max RSS %M KiB" "$@" >/dev/null 2>"$scratch/err"
    local rc=$?
    echo "$(tail -n 1 "$scratch/err"), exit $rc"
}

measure() {
    echo "$1 ($(stat -c %s "$file") bytes)"
    echo "  check:  $(run "$cli" --data "$scratch" check)"
    echo "  search: $(run "$cli" --data "$scratch" search 부산 서울)"
    echo "  grid:   $(run "$cli" grid "$file")"
}

measure "the sample"
# The sample's lines without its end mark, until 100 MB.
body="$(sed 's/=.*//' "$scratch/sample.txt")"
: >"$file"
while [ "$(stat -c %s "$file")" -lt 100000000 ]; do
    for _ in $(seq 100); do printf '%s\n' "$body"; done >>"$file"
done
measure "100 MB: the sample's lines over and over"
head -c 100000000 < <(yes $'0700\t' | tr -d '\n') >"$file"
measure "100 MB: one line of 0700<TAB>"
rm "$file"
truncate -s 4G "$file"
measure "4 GiB sparse file"
