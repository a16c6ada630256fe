#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR and runs the installed programs from there, far
# from the build folder: they must find the installed sample timetables, and a user's own
# timetables under $XDG_DATA_HOME before them. Then the installed completion is tried.
#
#   install_test.sh BUILD_DIR SOURCE_DIR WITH_APP(0|1)
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
with_app=$3

scratch=$(mktemp -d "${TMPDIR:-/tmp}/velomar-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
check_equal() {  # what, expected, actual
    [[ $2 == "$3" ]] || fail "$1: expected [$2], got [$3]"
}

DESTDIR=$scratch/root cmake --install "$build" --prefix /usr >/dev/null
prefix=$scratch/root/usr
bin=$prefix/bin

# --- the layout ---------------------------------------------------------------------------
expected=(bin/velomar-cli share/man/man1/velomar-cli.1.gz
          share/bash-completion/completions/velomar-cli
          share/doc/velomar/copyright share/doc/velomar/changelog.gz)
with_zip=0
if [[ -x $build/bin/velomar-unzip ]]; then
    with_zip=1
    expected+=(libexec/velomar/velomar-unzip)
fi
if ((with_app)); then
    expected+=(bin/velomar share/man/man1/velomar.1.gz
               share/applications/example.velomar.Velomar.desktop
               share/metainfo/example.velomar.Velomar.metainfo.xml
               share/icons/hicolor/scalable/apps/velomar.svg)
    if command -v rsvg-convert >/dev/null; then
        for size in 16 22 24 32 48 64 128 256; do
            expected+=(share/icons/hicolor/${size}x${size}/apps/velomar.png)
        done
    fi
fi
for file in "${expected[@]}"; do
    [[ -f $prefix/$file ]] || fail "not installed: /usr/$file"
done
check_equal "installed timetables" 64 "$(find "$prefix/share/velomar/TimeData" -name '*Data_*.txt' | wc -l)"
[[ ! -e $bin/TimeData ]] || fail "TimeData installed beside the executables"

# --- the installed programs, in an environment that knows nothing of the build ---------------
mkdir -p "$scratch/home" "$scratch/run" "$scratch/work"
chmod 700 "$scratch/run"
cd "$scratch/work"
installed() {  # runs a command with the installed programs first on PATH, fresh settings
    env -i PATH="$bin:/usr/bin:/bin" HOME="$scratch/home" LANG=C.UTF-8 \
        XDG_RUNTIME_DIR="$scratch/run" VELOMAR_SETTINGS="$(mktemp -u "$scratch/settings.XXXXXX")" \
        "$@"
}
built() {  # the same with the build's program, on a data folder given with --data
    local program=$1 data=$2
    shift 2
    installed "$build/bin/$program" --data "$data" "$@"
}

search=(search 서울 부산 --time 07:00)
samples=$(installed velomar-cli "${search[@]}") || fail "installed search failed"
check_equal "installed search finds the installed samples" \
    "$(built velomar-cli "$source/data" "${search[@]}")" "$samples"
[[ -n $samples ]] || fail "installed search listed nothing"
check_equal "data folder of the installed program" "folder: $prefix/share/velomar" \
    "$(installed velomar-cli data | head -1)"

# A user's own set: the samples with other train numbers, so the two cannot be mistaken.
user=$scratch/xdg/velomar
mkdir -p "$user/TimeData"
for file in "$source"/data/TimeData/*Data_*.txt; do
    sed '2s/\t[0-9]/\t9/g' "$file" >"$user/TimeData/$(basename "$file")"
done
own=$(installed env XDG_DATA_HOME="$scratch/xdg" velomar-cli "${search[@]}") ||
    fail "search on the user's timetables failed"
check_equal "installed search prefers \$XDG_DATA_HOME/velomar" \
    "$(built velomar-cli "$user" "${search[@]}")" "$own"
[[ $own != "$samples" ]] || fail "the user's timetables gave the samples' trains"
check_equal "rule with a user folder" "rule: your own timetables, \$XDG_DATA_HOME/velomar (else ~/.local/share/velomar)" \
    "$(installed env XDG_DATA_HOME="$scratch/xdg" velomar-cli data | sed -n 2p)"

# A zip feed, read by the installed zip reader: the samples exported, zipped, imported.
if ((with_zip)); then
    installed velomar-cli export-gtfs "$scratch/feed" 2>/dev/null || fail "installed export failed"
    python3 -c 'import sys, zipfile, os
with zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as z:
    for name in sorted(os.listdir(sys.argv[1])):
        z.write(os.path.join(sys.argv[1], name), name)' "$scratch/feed" "$scratch/feed.zip"
    installed velomar-cli import-gtfs "$scratch/feed.zip" --week 20100104 --out "$scratch/imported" \
        >/dev/null ||
        fail "installed import-gtfs of a zip failed"
    check_equal "search on the set imported from a zip" "$samples" \
        "$(installed velomar-cli --data "$scratch/imported" "${search[@]}")"
fi

if ((with_app)); then
    shots=0
    shot() {  # runner... ; the picture goes to $picture, and nothing may go to standard error
        picture=$scratch/shot-$((++shots)).png
        local errors
        errors=$("$@" --screenshot "$picture" --search --time 07:00 2>&1 >/dev/null) ||
            fail "screenshot failed: $*: $errors"
        [[ -z $errors ]] || fail "screenshot said: $errors"
    }
    shot installed env QT_QPA_PLATFORM=offscreen velomar
    samples_shot=$picture
    shot built velomar "$source/data"
    cmp -s "$samples_shot" "$picture" || fail "installed app does not show the samples' trains"
    shot installed env QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$scratch/xdg" velomar
    own_shot=$picture
    shot built velomar "$user"
    cmp -s "$own_shot" "$picture" || fail "installed app does not show the user's trains"
    cmp -s "$own_shot" "$samples_shot" && fail "installed app: the user's trains look like the samples'"
fi

# --- completion, from the installed script and program ------------------------------------
completions=$(
    PATH="$bin:/usr/bin:/bin" bash -c '
        source "$1"
        complete_words() {
            COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
            _velomar_cli
            local IFS=" "; echo "${COMPREPLY[*]}"
        }
        complete_words velomar-cli ""
        complete_words velomar-cli --data /nowhere s
        complete_words velomar-cli search 서울 부
        complete_words velomar-cli search 서울 부산 ""
        complete_words velomar-cli search --f
        complete_words velomar-cli search --type 무
        complete_words velomar-cli detail --format j
        complete_words velomar-cli settings d
    ' completion "$prefix/share/bash-completion/completions/velomar-cli")
# Every command the installed program's own help lists, in its order.
help_commands=$(PATH="$bin:/usr/bin:/bin" velomar-cli --help |
    sed -n '/^Commands:/,/^$/s/^  \([a-z-]*\) .*/\1/p' | paste -sd' ')
[[ " $help_commands " == *" search "* ]] || fail "velomar-cli --help lists no commands"
expected_completions="$help_commands"'
stations search settings
부강 부산 부산진 부전

--format
무궁화
json
delete'
check_equal "completion" "$expected_completions" "$completions"

if ((failures)); then
    echo "install test: $failures failed" >&2
    exit 1
fi
echo "install test: all passed"
