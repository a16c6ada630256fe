#!/usr/bin/env bash
# Starts Velomar: the application when it is built and a display is there, else a CLI search.
set -euo pipefail
bin="$(dirname "$0")/../build/default/bin"
if [ -x "$bin/velomar" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec "$bin/velomar" "$@"
fi
if [ -x "$bin/velomar" ]; then
    echo "No display found: showing a command-line search instead (see README)." >&2
fi
exec "$bin/velomar-cli" routes 서울 부산
