#!/usr/bin/env bash
# Checks the Debian package that `make package` made: lintian (no errors; warnings are
# listed), the desktop entry and AppStream validators and the manual pages on the packaged
# files; then installs it with dpkg, runs the programs from /usr/bin and removes it again.
#
#   scripts/check-package.sh [BUILD_DIR]     (default build/package)
set -euo pipefail
build=${1:-build/package}
debs=("$build"/velomar_*_*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
    echo "check-package: expected one velomar_*.deb in $build (run make package)" >&2
    exit 1
fi
deb=${debs[0]}
sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo=sudo
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/velomar-package.XXXXXX")
installed=0
cleanup() {
    if ((installed)); then
        $sudo dpkg -r velomar >/dev/null || echo "check-package: dpkg -r velomar failed" >&2
    fi
    rm -rf "$scratch"
}
trap cleanup EXIT
step() { echo "check-package: $*"; }

step "lintian $(basename "$deb")"
# Errors fail the check; warnings and notes are printed for the record.
status=0
lintian --fail-on error --info "$deb" >"$scratch/lintian" 2>&1 || status=$?
grep -v '^running with root privileges' "$scratch/lintian" || true
step "lintian: $(grep -c '^E:' "$scratch/lintian") errors, $(grep -c '^W:' "$scratch/lintian") warnings"
if ((status != 0)); then
    echo "check-package: lintian failed (status $status)" >&2
    exit 1
fi

dpkg-deb -x "$deb" "$scratch/root"
share=$scratch/root/usr/share
step "desktop-file-validate"
desktop-file-validate "$share"/applications/*.desktop
step "appstreamcli validate"
appstreamcli validate --no-net "$share"/metainfo/*.metainfo.xml
for page in "$share"/man/man1/*.1.gz; do
    step "man -l $(basename "$page")"
    LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" >"$scratch/page" 2>"$scratch/warnings"
    if [[ -s $scratch/warnings ]] || ! grep -q '^NAME' "$scratch/page"; then
        cat "$scratch/warnings" >&2
        echo "check-package: $(basename "$page") does not render cleanly" >&2
        exit 1
    fi
done

step "dpkg -i $(basename "$deb")"
$sudo dpkg -i "$deb" >/dev/null
installed=1
# A home of its own, so the machine's ~/.local/share/velomar cannot be chosen instead.
mkdir -p "$scratch/home"
run() { env HOME="$scratch/home" VELOMAR_SETTINGS="$scratch/settings.sqlite3" "$@"; }
help=$(run /usr/bin/velomar-cli --help)
if ! grep -qxF "Data folder in use: /usr/share/velomar" <<<"$help"; then
    echo "check-package: /usr/bin/velomar-cli --help names another data folder:" >&2
    grep -A1 "Data folder" <<<"$help" >&2
    exit 1
fi
step "/usr/bin/velomar-cli search 서울 부산 --time 07:00"
run /usr/bin/velomar-cli search 서울 부산 --time 07:00 | head -3
step "/usr/bin/velomar-cli import-gtfs of a zip (read by /usr/libexec/velomar/velomar-unzip)"
run /usr/bin/velomar-cli export-gtfs "$scratch/feed" 2>/dev/null
python3 -c 'import sys, zipfile, os
with zipfile.ZipFile(sys.argv[2], "w") as z:
    for name in sorted(os.listdir(sys.argv[1])):
        z.write(os.path.join(sys.argv[1], name), name)' "$scratch/feed" "$scratch/feed.zip"
run /usr/bin/velomar-cli import-gtfs "$scratch/feed.zip" --out "$scratch/imported" | sed -n 1,3p
step "/usr/bin/velomar --screenshot"
run env QT_QPA_PLATFORM=offscreen /usr/bin/velomar --screenshot "$scratch/shot.png" --search
[[ -s $scratch/shot.png ]]

step "dpkg -r velomar"
$sudo dpkg -r velomar >/dev/null
installed=0
if [[ -e /usr/bin/velomar-cli || -e /usr/share/velomar || -e /usr/libexec/velomar ]]; then
    echo "check-package: files left behind after dpkg -r" >&2
    exit 1
fi
step "all passed"
