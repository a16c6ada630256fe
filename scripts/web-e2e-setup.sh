#!/usr/bin/env bash
# Installs the browser tests' npm packages, exactly as the lockfile pins them, into DIR
# (build/wasm/e2e): only when the lockfile changed since the last install.
set -euo pipefail
dir=$1
src=$(dirname "$0")/../tests/web/e2e
mkdir -p "$dir"
if ! cmp -s "$src/package-lock.json" "$dir/package-lock.json" || [ ! -d "$dir/node_modules" ]; then
    cp "$src/package.json" "$src/package-lock.json" "$dir/"
    # --ignore-scripts: nothing is run at install; puppeteer-core downloads no browser anyway.
    (cd "$dir" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
fi
