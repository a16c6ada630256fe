#!/usr/bin/env bash
# Usage: scripts/configure.sh BUILD_DIR CMAKE_ARGUMENTS...
# Runs cmake quietly, after clearing the cache of a build folder that an older checkout
# configured with Make: the builds now use Ninja, and CMake will not switch in place.
set -euo pipefail
dir=$1
shift
if [ -f "$dir/CMakeCache.txt" ] && ! grep -qx 'CMAKE_GENERATOR:INTERNAL=Ninja' "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
fi
cmake "$@" >/dev/null
