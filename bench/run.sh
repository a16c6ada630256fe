#!/usr/bin/env bash
# Everything `make bench` measures, then the tables of docs/performance.md rewritten.
# BENCH_RUNS=N runs each whole-process comparison N times (default 200; start-up uses
# max(30, N/5), the import max(3, N/20)); BENCH_RUNS=20 gives a quick trial whose figures
# are not worth publishing. BENCH_HUGE_DIR: where the 2 GiB feed is written (default TMPDIR).
# BENCH_BUILD names the optimised build folder (default build/bench).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BENCH_BUILD:-$root/build/bench}
bin=$build/bin
runs=${BENCH_RUNS:-200}
startup_runs=$((runs / 5 < 30 ? 30 : runs / 5))
import_runs=$((runs / 20 < 3 ? 3 : runs / 20))
results=$build/bench-results
mkdir -p "$results"

for program in velomar-cli velomar-unzip velomar-bench velomar velomar-bare-qt; do
    if [ ! -x "$bin/$program" ]; then
        echo "bench: $bin/$program is missing; build the bench preset first" >&2
        exit 1
    fi
done

echo "== a set with 300 trains a day each way on route 16, in sheets, with dates"
rm -rf "$results/busy"
python3 "$root/bench/busy_set.py" "$bin/TimeData" "$results/busy"

echo "== in-process benchmarks (velomar-bench)"
VELOMAR_BENCH_BUSY_DATA="$results/busy" "$bin/velomar-bench" --benchmark_format=json --benchmark_out_format=json \
    --benchmark_out="$results/core.json" --benchmark_min_time="${BENCH_MIN_TIME:-0.2}" \
    >/dev/null

echo "== velomar-cli search against sqlite3 on the GTFS export ($runs runs each)"
python3 "$root/bench/whole_process.py" --bin "$bin" --core-json "$results/core.json" \
    --runs "$runs" --out "$results/whole_process.json"

echo "== velomar-cli journeys against velomar-cli search ($runs runs each)"
python3 "$root/bench/journeys.py" --bin "$bin" --core-json "$results/core.json" \
    --runs "$runs" --out "$results/journeys.json"

echo "== velomar-cli search on the busy set with dates against the samples ($runs runs each)"
python3 "$root/bench/busy_search.py" --bin "$bin" --busy "$results/busy" --runs "$runs" \
    --out "$results/busy.json"

echo "== application start-up against a bare Qt window ($startup_runs runs each)"
python3 "$root/bench/startup.py" --bin "$bin" --runs "$startup_runs" \
    --out "$results/startup.json"

echo "== import-gtfs against sqlite3's .import, and its memory against the calendar"
python3 "$root/bench/import_bench.py" --bin "$bin" --runs "$import_runs" --out "$results/import.json"

echo "== import-gtfs memory: 5,000,000 trips, and a stop_times.txt in random order"
python3 "$root/bench/import_memory.py" --cli "$bin/velomar-cli" --dir "${BENCH_HUGE_DIR:-${TMPDIR:-/tmp}}" \
    --out "$results/import_memory.json"

echo "== import-gtfs of a broken 2 GiB stop_times.txt (in ${BENCH_HUGE_DIR:-${TMPDIR:-/tmp}})"
python3 "$root/bench/huge_stop_times.py" --cli "$bin/velomar-cli" --size 2G \
    --dir "${BENCH_HUGE_DIR:-${TMPDIR:-/tmp}}" --out "$results/huge_stop_times.json"

python3 "$root/bench/write_doc.py" --results "$results" --doc "$root/docs/performance.md"
echo "bench: results in $results"
