#!/usr/bin/env bash
# Renders the handheld screens into docs/screenshots/ with the built application, off screen,
# on a fresh settings store and a fixed time so that the pictures are reproducible. The
# pictures of the real X windows (x11-*.png) come from scripts/drive_x11.py.
# Builds nothing: run `cmake --preset default && cmake --build --preset default` first.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${VELOMAR_BUILD_DIR:-$root/build/default}"
app="$build/bin/velomar"
out="$root/docs/screenshots"

if [ ! -x "$app" ]; then
    echo "screenshots.sh: $app is missing; build the default preset first" >&2
    exit 1
fi
if command -v fc-list >/dev/null && ! fc-list | grep -qi NanumGothic; then
    echo "screenshots.sh: NanumGothic not found (Debian: fonts-nanum); Korean text may not show" >&2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="$work"

# shoot NAME ARGS...: one picture, each on a first start.
shoot() {
    local name="$1"
    shift
    "$app" --settings "$work/$name.sqlite3" --time 07:00 --screenshot "$out/$name.png" "$@"
    echo "wrote docs/screenshots/$name.png"
}

shoot portrait-240x320 --screen 240x320
shoot portrait-480x800 --screen 480x800
shoot square-320x320-search --screen 320x320 --search
shoot picker-480x800 --screen 480x800 --dialog picker
shoot detail-480x800 --screen 480x800 --search --dialog detail
shoot favorites-240x320 --screen 240x320 --dialog favorites
shoot detail-320x320-square --screen 320x320 --search --dialog detail
shoot portrait-240x320-search --screen 240x320 --search
shoot picker-240x320 --screen 240x320 --dialog picker
shoot about-240x320 --screen 240x320 --dialog about
shoot options-240x320 --screen 240x320 --dialog options

# A set with dates, the samples through GTFS and back: the main screen shows the day it
# answers for.
cli="$build/bin/velomar-cli"
"$cli" --data "$root/data" export-gtfs "$work/feed" 2>/dev/null
"$cli" import-gtfs "$work/feed" --out "$work/dated" >/dev/null 2>&1
shoot portrait-240x320-date --screen 240x320 --data "$work/dated" --date 20100106 --search
