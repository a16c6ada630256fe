#!/usr/bin/env python3
"""velomar-cli journeys against velomar-cli search for the same station pairs, whole process.

The pairs are the ones velomar-bench names in its JSON context ("journeys_J: J: 강릉 -> 부산,
..."). Before timing, every direct train the journeys list (that leaves within the search's
page) must be a row of the search's page. Then both commands run alternately, in a fresh
random order each round, and the per-round ratio journeys/search is summarised.

Usage: bench/journeys.py --bin BUILD/bin --core-json core.json --out journeys.json [--runs N]
"""

import argparse
import os
import re
import sys
import tempfile

import benchlib

TIME = "00:00"
PAGE = "14"


def pairs_from_core(path):
    context = benchlib.read_json(path).get("context", {})
    pairs = []
    for key in sorted(context):
        match = re.match(r"journeys_\w+$", key) and re.match(r"(\w+): (.+?) -> (.+?), ",
                                                               context[key])
        if match:
            pairs.append(match.groups())
    order = {"J": 0, "T": 1, "W2": 2, "N": 3}
    return sorted(pairs, key=lambda p: order.get(p[0], 9))


def rows(out):
    return [line.split("\t") for line in out.decode("utf-8").splitlines()]


def check(label, journeys, search):
    """Direct journeys leaving within the search's page are rows of that page."""
    page = {(r[0], r[1], r[2]) for r in search}
    last = search[-1][1] if search else ""
    for j in journeys:
        if j[3] == "0" and j[0] <= last and (j[4], j[0], j[1]) not in page:
            sys.exit(f"journeys.py: {label}: direct train {j[4]} {j[0]}-{j[1]} is not on the "
                     "search's page")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True)
    parser.add_argument("--core-json", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--runs", type=int, default=200)
    parser.add_argument("--warmup", type=int, default=5)
    parser.add_argument("--seed", type=int, default=3)
    args = parser.parse_args()

    pairs = pairs_from_core(args.core_json)
    if not pairs:
        sys.exit("journeys.py: velomar-bench named no journey pairs")
    cli = os.path.join(args.bin, "velomar-cli")
    env = dict(os.environ, LC_ALL="C.UTF-8")
    env.pop("VELOMAR_SETTINGS", None)
    results = []
    with tempfile.TemporaryDirectory(prefix="velomar-journeys-") as tmp:
        jobs = {}
        for label, departure, arrival in pairs:
            settings = os.path.join(tmp, f"settings-{label}.sqlite3")
            common = [cli, "--data", args.bin, "--settings", settings]
            search = common + ["search", departure, arrival, "--time", TIME, "--format", "tsv"]
            journeys = common + ["journeys", departure, arrival, "--time", TIME, "--limit", PAGE,
                                 "--format", "tsv"]
            benchlib.run_output(search, env)  # stores the pair, as a second search finds it
            search_out, _ = benchlib.run_output(search, env)
            journeys_out, status = benchlib.run_output(journeys, env)
            if status not in (0, 1):
                sys.exit(f"journeys.py: {label}: velomar-cli journeys failed ({status})")
            check(label, rows(journeys_out), rows(search_out))
            jobs[label + "/search"] = (search, env, None)
            jobs[label + "/journeys"] = (journeys, env, None)
            results.append({"label": label, "from": departure, "to": arrival,
                            "journeys": len(rows(journeys_out)),
                            "search_rows": len(rows(search_out))})
        measured = benchlib.alternate(jobs, args.runs, args.warmup, args.seed)
    for r in results:
        search = [w for w, _ in measured[r["label"] + "/search"]]
        journeys = [w for w, _ in measured[r["label"] + "/journeys"]]
        r["search"] = benchlib.summary(search)
        r["journeys_cli"] = benchlib.summary(journeys)
        r["ratio"] = benchlib.summary([j / s for j, s in zip(journeys, search)])
        print(f"{r['label']}: journeys/search median ratio {r['ratio']['median']:.2f} "
              f"(IQR {r['ratio']['q1']:.2f}-{r['ratio']['q3']:.2f})")
    benchlib.write_json(args.out, {"runs": args.runs, "time": TIME, "pairs": results,
                                   "machine": benchlib.machine()})


if __name__ == "__main__":
    main()
