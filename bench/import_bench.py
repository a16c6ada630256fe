#!/usr/bin/env python3
"""velomar-cli import-gtfs against the sqlite3 shell's .import of the same CSV files.

The feed is the operator-shaped synthetic one (tools/operator_feed.py) over a year's calendar,
52 weeks of services and trips, with as many trains a day as give 100,000 trips and about 2
million stop times. Both programs run alternately, in a fresh random order each round, on the
same folder: velomar-cli writes its files, sheets and dates for the whole year, sqlite3
imports every file into a table of a new database (the database removed before each run,
untimed). Peak memory comes from GNU time. Then the same check of memory against the length
of the calendar: one feed of 52 weeks spread over one year and over ten, with dense
calendar_dates.txt (of ten years, the import takes the first two).

Usage: bench/import_bench.py --bin BUILD/bin --out import.json [--runs N] [--scale S]
"""

import argparse
import os
import random
import shutil
import subprocess
import sys
import tempfile

import benchlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tools"))
import operator_feed  # noqa: E402

WEEKS = 52
SCALE = 4.4  # 1,930 trips a week: 100,360 trips, 2.0 million stop times
CALENDAR_WEEKS = 52


def make_feed(folder, weeks, years=None, dense=False, zip_path=None, scale=1.0):
    files, trips = operator_feed.build(weeks, years, dense, scale=scale)
    operator_feed.write(files, folder, zip_path)
    sizes = {name: os.path.getsize(os.path.join(folder, name)) for name in files}
    return {"trips": len(trips), "stop_times": sum(len(t.calls) for t in trips),
            "calendar_dates_rows": len(files["calendar_dates.txt"]) - 1,
            "period": [files["feed_info.txt"][1].split(",")[3],
                       files["feed_info.txt"][1].split(",")[4]],
            "bytes": sizes}


def sqlite_script(path, feed):
    with open(path, "w", encoding="utf-8") as f:
        for name in sorted(os.listdir(feed)):
            f.write(f".import --csv {os.path.join(feed, name)} {name[:-4]}\n")


def compare(cli_argv, sql_argv, script, database, rounds, seed):
    """Alternated timed runs: {"cli": [...], "sqlite3": [...]} wall seconds per round."""
    rng = random.Random(seed)
    walls = {"cli": [], "sqlite3": []}
    for _ in range(rounds):
        order = ["cli", "sqlite3"]
        rng.shuffle(order)
        for tool in order:
            if tool == "sqlite3":
                if os.path.exists(database):
                    os.unlink(database)
                wall, status = benchlib.run_measured(sql_argv, None, script)
            else:
                wall, status = benchlib.run_measured(cli_argv)
            if status != 0:
                sys.exit(f"import_bench.py: {tool} failed with status {status}")
            walls[tool].append(wall)
    return walls


def peak_rss(argv, runs, stdin_path=None, before=None):
    values = []
    for _ in range(runs):
        if before:
            before()
        values.append(benchlib.peak_rss_kib(argv, None, stdin_path))
    return benchlib.summary(values)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="folder with velomar-cli")
    parser.add_argument("--out", required=True)
    parser.add_argument("--runs", type=int, default=10)
    parser.add_argument("--rss-runs", type=int, default=3)
    parser.add_argument("--scale", type=float, default=SCALE)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    cli = os.path.join(args.bin, "velomar-cli")
    sqlite3 = shutil.which("sqlite3")
    if sqlite3 is None:
        sys.exit("import_bench.py: the sqlite3 shell is missing (Debian package sqlite3)")
    result = {"machine": benchlib.machine(), "runs": args.runs}
    with tempfile.TemporaryDirectory(prefix="velomar-import-bench-") as tmp:
        feed = os.path.join(tmp, "feed")
        zip_path = os.path.join(tmp, "feed.zip")
        result["feed"] = make_feed(feed, WEEKS, zip_path=zip_path, scale=args.scale)
        result["feed"]["zip_bytes"] = os.path.getsize(zip_path)
        database = os.path.join(tmp, "feed.sqlite3")
        script = os.path.join(tmp, "import.sql")
        sqlite_script(script, feed)
        out = os.path.join(tmp, "data")
        cli_argv = [cli, "import-gtfs", feed, "--out", out]
        sql_argv = [sqlite3, "-batch", database]
        walls = compare(cli_argv, sql_argv, script, database, args.runs, args.seed)
        drop = lambda: os.path.exists(database) and os.unlink(database)  # noqa: E731
        result["cli"] = {"wall": benchlib.summary(walls["cli"]),
                         "max_rss_kib": peak_rss(cli_argv, args.rss_runs)}
        result["sqlite3"] = {"wall": benchlib.summary(walls["sqlite3"]),
                             "max_rss_kib": peak_rss(sql_argv, args.rss_runs, script, drop)}
        result["ratio"] = benchlib.summary([c / s for c, s in zip(walls["cli"], walls["sqlite3"])])
        zip_argv = [cli, "import-gtfs", zip_path, "--out", out]
        result["zip"] = {"wall": benchlib.summary([benchlib.run_measured(zip_argv)[0]
                                                   for _ in range(3)]),
                         "max_rss_kib": peak_rss(zip_argv, args.rss_runs)}
        print(f"import: velomar-cli {result['cli']['wall']['median']:.2f} s, sqlite3 "
              f"{result['sqlite3']['wall']['median']:.2f} s, ratio "
              f"{result['ratio']['median']:.2f}; peak RSS {result['cli']['max_rss_kib']['median']}"
              f" KiB against {result['sqlite3']['max_rss_kib']['median']} KiB")
        shutil.rmtree(feed)
        result["calendar"] = []
        for years in (1, 10):
            folder = os.path.join(tmp, f"calendar-{years}")
            info = make_feed(folder, CALENDAR_WEEKS, years, dense=True)
            argv = [cli, "import-gtfs", folder, "--out", out]
            info["years"] = years
            info["wall"] = benchlib.summary([benchlib.run_measured(argv)[0] for _ in range(3)])
            info["max_rss_kib"] = peak_rss(argv, args.rss_runs)
            result["calendar"].append(info)
            print(f"calendar of {years} year(s), {info['calendar_dates_rows']} calendar_dates rows:"
                  f" peak RSS {info['max_rss_kib']['median']} KiB")
            shutil.rmtree(folder)
    benchlib.write_json(args.out, result)


if __name__ == "__main__":
    main()
