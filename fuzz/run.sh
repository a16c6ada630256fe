#!/usr/bin/env bash
# Runs the timetable reader fuzzer for the given seconds (default 600) and fails on any
# finding. New inputs go to a scratch corpus under build/fuzz/work; fuzz/corpus and
# fuzz/regressions are only read. FUZZ_JOBS=2 runs two workers (shared machine: default 1).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
jobs=${FUZZ_JOBS:-1}
fuzzer=build/fuzz/bin/timetable_reader_fuzz
work=build/fuzz/work
log=$work/fuzz.log

[ -x "$fuzzer" ] || { echo "error: $fuzzer is not built: run make fuzz-build" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work/corpus" "$work/artifacts"

args=(-max_len=65536 -timeout=1 -max_total_time="$seconds" -print_final_stats=1
      -dict=fuzz/timetable.dict -artifact_prefix="$work/artifacts/")
if [ "$jobs" -gt 1 ]; then
    args+=(-fork="$jobs" -ignore_crashes=0 -ignore_timeouts=0 -ignore_ooms=0)
fi

echo "fuzzing the timetable reader for ${seconds}s (load: $(cut -d' ' -f1-3 /proc/loadavg)), log in $log"
echo "+ $fuzzer ${args[*]} $work/corpus fuzz/corpus fuzz/regressions"
status=0
"$fuzzer" "${args[@]}" "$work/corpus" fuzz/corpus fuzz/regressions >"$log" 2>&1 || status=$?

# The start, the last status line and the final statistics.
grep -m1 -E 'INITED' "$log" || true
grep -E '^#[0-9]+' "$log" | tail -n 1 || true
grep -E '^(stat::|Done )' "$log" || true

findings=$(find "$work/artifacts" -type f | sort)
if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
    echo "FUZZING FAILED (exit status $status). Findings:" >&2
    [ -n "$findings" ] && echo "$findings" >&2
    grep -E -A30 'ERROR: |invariant broken|==[0-9]+==|SUMMARY' "$log" | head -80 >&2 || true
    echo "Copy each finding into fuzz/regressions/ once fixed." >&2
    exit 1
fi
echo "fuzzing: no crashes, hangs or leaks in ${seconds}s"
