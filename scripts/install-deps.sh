#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any are missing.
# Extra packages for optional targets (fuzz, bench, test-windows) come as arguments.
set -euo pipefail

packages=(cmake g++ make ninja-build lld pkg-config libsqlite3-dev sqlite3 libzip-dev libgtest-dev libgmock-dev
          librsvg2-bin libxcb1-dev libical-dev
          libbenchmark-dev clang clang-format qt6-base-dev fonts-nanum xvfb xauth strace "$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing Debian packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then
        sudo="sudo"
    else
        echo "error: these packages are missing and this user cannot install them: ${missing[*]}" >&2
        echo "Ask an administrator to run: apt-get install ${missing[*]}" >&2
        exit 1
    fi
fi
if ! { $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"; }; then
    echo "error: apt-get could not install: ${missing[*]}" >&2
    exit 1
fi
