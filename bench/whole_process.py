#!/usr/bin/env python3
"""velomar-cli search against the sqlite3 shell answering the same question from a GTFS export.

For each station pair: the two outputs are first checked to be the same (after the
normalisation in `normalise_*` below), then both programs run alternately, in a fresh random
order each round, and the per-round ratio cli/sqlite3 is summarised (median, quartiles).
Peak memory comes from separate alternated runs under GNU time; instruction counts from one
run of each under callgrind.

Usage: bench/whole_process.py --bin BUILD/bin --out results.json
       [--core-json core.json | --pair LABEL FROM TO ...] [--runs N]
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

import benchlib

HERE = os.path.dirname(os.path.abspath(__file__))
GTFS = os.path.join(HERE, "gtfs")
# The departure time of every search: the first hour of the timetables, so that the page
# holds the day's first trains.
SEARCH_TIME = "00:00"
CALLGRIND_PAIRS = ("W1", "T")
# The portrait layout's page with a fresh settings store: 14 rows.
PAGE_SIZE = 14


def pairs_from_core(path):
    """The pairs velomar-bench chose, from its JSON context: "W1: 영등포 -> 영등포, ..."."""
    context = benchlib.read_json(path).get("context", {})
    pairs = []
    for key in sorted(context):
        if not key.startswith("workload_"):
            continue
        match = re.match(r"(\w+): (.+?) -> (.+?), ", context[key])
        if match:
            pairs.append(match.groups())
    order = {"W1": 0, "T": 1, "W2": 2, "N": 3}
    return sorted(pairs, key=lambda p: order.get(p[0], 9))


def sql_literal(text):
    return "'" + text.replace("'", "''") + "'"


def query_script(path, departure, arrival):
    """The sqlite3 shell's input: the search's form bound as parameters, then the query."""
    with open(path, "w", encoding="utf-8") as f:
        f.write(".mode tabs\n.headers off\n.parameter init\n")
        f.write(f".parameter set :from {sql_literal(departure)}\n")
        f.write(f".parameter set :to {sql_literal(arrival)}\n")
        f.write(f".parameter set :time {sql_literal(SEARCH_TIME)}\n")
        f.write(".parameter set :type \"''\"\n")
        f.write(f".parameter set :page_size {PAGE_SIZE}\n")
        f.write(f".read {os.path.join(GTFS, 'direct_trains.sql')}\n")


# Both print the same tab-separated rows; only line ends could differ.
def normalise_cli(out):
    return out.decode("utf-8").splitlines()


def normalise_sql(out):
    return out.decode("utf-8").splitlines()


def load_database(cli, data, feed, database):
    """Exports the timetables as GTFS and loads them, with the indexes, into one database."""
    subprocess.run([cli, "--data", data, "export-gtfs", feed], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for script in ("schema.sql", "import.sql"):  # import.sql reads the feed folder
        with open(os.path.join(GTFS, script), "rb") as f:
            subprocess.run(["sqlite3", "-batch", database], stdin=f, cwd=feed, check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="folder with velomar-cli and TimeData/")
    parser.add_argument("--out", required=True)
    parser.add_argument("--core-json", help="velomar-bench JSON output naming the pairs")
    parser.add_argument("--pair", nargs=3, action="append", metavar=("LABEL", "FROM", "TO"))
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--warmup", type=int, default=5)
    parser.add_argument("--rss-runs", type=int, default=15, help="runs each for peak memory")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--no-callgrind", action="store_true")
    args = parser.parse_args()

    pairs = [tuple(p) for p in args.pair or []]
    if not pairs and args.core_json:
        pairs = pairs_from_core(args.core_json)
    if not pairs:
        sys.exit("whole_process.py: no pairs; give --core-json or --pair")
    cli = os.path.join(args.bin, "velomar-cli")
    sqlite3 = shutil.which("sqlite3")
    if sqlite3 is None:
        sys.exit("whole_process.py: the sqlite3 shell is missing (Debian package sqlite3)")

    with tempfile.TemporaryDirectory(prefix="velomar-whole-") as tmp:
        database = os.path.join(tmp, "feed.sqlite3")
        load_database(cli, args.bin, os.path.join(tmp, "feed"), database)
        env = dict(os.environ, LC_ALL="C.UTF-8")
        env.pop("VELOMAR_SETTINGS", None)

        jobs = {}
        results = []
        for label, departure, arrival in pairs:
            script = os.path.join(tmp, f"query-{label}.sql")
            # One store per pair: alternating pairs on one store would make every run store
            # changed stations (and wait for the disk), which repeating a search never does.
            settings = os.path.join(tmp, f"settings-{label}.sqlite3")
            query_script(script, departure, arrival)
            cli_argv = [cli, "--data", args.bin, "--settings", settings, "search", departure,
                        arrival, "--time", SEARCH_TIME, "--format", "tsv"]
            sql_argv = [sqlite3, "-batch", "-readonly", database]
            # Twice: the first run stores the stations, as a user's first search would; every
            # timed run then finds them stored already.
            benchlib.run_output(cli_argv, env)
            cli_out, cli_status = benchlib.run_output(cli_argv, env)
            sql_out, sql_status = benchlib.run_output(sql_argv, env, script)
            cli_rows, sql_rows = normalise_cli(cli_out), normalise_sql(sql_out)
            if sql_status != 0 or cli_rows != sql_rows:
                print(f"whole_process.py: {label} ({departure} -> {arrival}): the outputs "
                      f"differ (velomar-cli status {cli_status}, sqlite3 status {sql_status})",
                      file=sys.stderr)
                for name, rows in (("velomar-cli", cli_rows), ("sqlite3", sql_rows)):
                    print(f"--- {name}\n" + "\n".join(rows[:20]), file=sys.stderr)
                sys.exit(1)
            jobs[label + "/cli"] = (cli_argv, env, None)
            jobs[label + "/sqlite3"] = (sql_argv, env, script)
            results.append({"label": label, "from": departure, "to": arrival,
                            "rows": len(cli_rows), "cli_argv": cli_argv, "sqlite3_argv": sql_argv,
                            "script": script})

        measured = benchlib.alternate(jobs, args.runs, args.warmup, args.seed)
        rss = benchlib.alternate(jobs, args.rss_runs, 0, args.seed + 1, benchlib.peak_rss_kib)
        for r in results:
            label = r["label"]
            entry = {}
            for tool in ("cli", "sqlite3"):
                runs = measured[f"{label}/{tool}"]
                bad = [s for _, s in runs if s not in (0, 1)]
                if bad:
                    sys.exit(f"whole_process.py: {label}/{tool} failed with status {bad[0]}")
                entry[tool] = {"wall": benchlib.summary([w for w, _ in runs]),
                               "max_rss_kib": benchlib.summary(rss[f"{label}/{tool}"])}
            cli_walls = [w for w, _ in measured[f"{label}/cli"]]
            sql_walls = [w for w, _ in measured[f"{label}/sqlite3"]]
            r.update(entry)
            r["ratio"] = benchlib.summary([c / s for c, s in zip(cli_walls, sql_walls)])
            if label in CALLGRIND_PAIRS and not args.no_callgrind and shutil.which("valgrind"):
                r["instructions"] = {
                    "cli": benchlib.callgrind_instructions(
                        r["cli_argv"], os.path.join(tmp, f"cg-{label}-cli.out"), env),
                    "sqlite3": benchlib.callgrind_instructions(
                        r["sqlite3_argv"], os.path.join(tmp, f"cg-{label}-sqlite3.out"), env,
                        r["script"]),
                }
            for key in ("cli_argv", "sqlite3_argv", "script"):
                r.pop(key)
            print(f"{label}: cli/sqlite3 median ratio {r['ratio']['median']:.2f} "
                  f"(IQR {r['ratio']['q1']:.2f}-{r['ratio']['q3']:.2f})")

    benchlib.write_json(args.out, {"runs": args.runs, "search_time": SEARCH_TIME,
                                   "pairs": results, "machine": benchlib.machine()})


if __name__ == "__main__":
    main()
