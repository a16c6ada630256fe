#!/usr/bin/env python3
"""velomar-cli search on a busy set with dates against the same search on the sample set.

The busy set (bench/busy_set.py: 300 trains a day each way on route 16, in five sheets a
direction, and TimeData/Dates.txt) is searched for a Wednesday of its period; the samples
have neither. Both searches are 서울 -> 부산 from 00:00 with the portrait page (14 rows) and
run alternately, in a fresh random order each round; the per-round ratio busy/sample is
summarised. In process, the share of a search that the day costs: velomar-bench's
RunSearch/busy/dates against RunSearch/busy/no_dates, CPU time, the medians of repetitions
run in random interleaving.

Usage: bench/busy_search.py --bin BUILD/bin --out busy.json [--busy DIR] [--runs N]
       [--repetitions N]
"""

import argparse
import os
import subprocess
import sys
import tempfile

import benchlib

HERE = os.path.dirname(os.path.abspath(__file__))
FROM, TO, TIME, DATE = "서울", "부산", "00:00", "20260304"


def day_share(bench, busy, repetitions, out):
    """(CPU ns with the day, without it): medians of RunSearch on the busy set."""
    subprocess.run([bench, "--benchmark_filter=RunSearch/busy/", "--benchmark_format=json",
                    f"--benchmark_repetitions={repetitions}",
                    "--benchmark_enable_random_interleaving=true",
                    "--benchmark_report_aggregates_only=true", f"--benchmark_out={out}"],
                   env=dict(os.environ, VELOMAR_BENCH_BUSY_DATA=busy), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    found = {b["name"]: b["cpu_time"] for b in benchlib.read_json(out).get("benchmarks", [])
             if b.get("aggregate_name") == "median"}
    return found["RunSearch/busy/dates_median"], found["RunSearch/busy/no_dates_median"]


def searches(cli, sample, busy, tmp, env):
    """The two commands, each run twice first (the first stores the pair, as a user's first
    search would); both must list a page of 14 trains."""
    jobs = {}
    for label, data, extra in (("sample", sample, []), ("busy", busy, ["--date", DATE])):
        argv = [cli, "--data", data, "--settings", os.path.join(tmp, f"{label}.sqlite3"),
                "search", FROM, TO, "--time", TIME, "--format", "tsv"] + extra
        benchlib.run_output(argv, env)
        out, status = benchlib.run_output(argv, env)
        rows = out.decode("utf-8").splitlines()
        if status != 0 or len(rows) != 14:
            sys.exit(f"busy_search.py: {label}: status {status}, {len(rows)} rows")
        jobs[label] = (argv, env, None)
    return jobs


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="folder with velomar-cli and TimeData/")
    parser.add_argument("--busy", help="the busy set (default: made into a temporary folder)")
    parser.add_argument("--out", required=True)
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--repetitions", type=int, default=15, help="of each in-process run")
    parser.add_argument("--warmup", type=int, default=5)
    parser.add_argument("--seed", type=int, default=3)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="velomar-busy-") as tmp:
        busy = args.busy or os.path.join(tmp, "busy")
        if not args.busy:
            subprocess.run([sys.executable, os.path.join(HERE, "busy_set.py"),
                            os.path.join(args.bin, "TimeData"), busy], check=True,
                           stdout=subprocess.DEVNULL)
        env = dict(os.environ, LC_ALL="C.UTF-8")
        env.pop("VELOMAR_SETTINGS", None)
        jobs = searches(os.path.join(args.bin, "velomar-cli"), args.bin, busy, tmp, env)
        measured = benchlib.alternate(jobs, args.runs, args.warmup, args.seed)
        ratios = [b[0] / s[0] for b, s in zip(measured["busy"], measured["sample"])]
        dates, plain = day_share(os.path.join(args.bin, "velomar-bench"), busy,
                                 args.repetitions, os.path.join(tmp, "core.json"))
        result = {
            "machine": benchlib.machine(),
            "runs": args.runs,
            "repetitions": args.repetitions,
            "pair": f"{FROM} -> {TO} from {TIME}, busy set on {DATE}",
            "sample_ms": benchlib.summary([w * 1000 for w, _ in measured["sample"]]),
            "busy_ms": benchlib.summary([w * 1000 for w, _ in measured["busy"]]),
            "ratio": benchlib.summary(ratios),
            "argv": {k: v[0] for k, v in jobs.items()},
            "day_cpu_ns": dates,
            "no_day_cpu_ns": plain,
            "day_share": (dates - plain) / dates,
        }
    benchlib.write_json(args.out, result)
    r = result["ratio"]
    print(f"busy_search.py: busy/sample {r['median']:.2f} (IQR {r['q1']:.2f}-{r['q3']:.2f}), "
          f"the day {100 * result['day_share']:.1f} % of a search")


if __name__ == "__main__":
    main()
