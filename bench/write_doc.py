#!/usr/bin/env python3
"""Rewrites the generated tables of docs/performance.md from the benchmark results.

Every table sits between "<!-- generated: NAME -->" and "<!-- end generated: NAME -->"; only
the text between a pair of markers is replaced, the prose around it stays. A result file that
is missing leaves its tables as they were.

Usage: bench/write_doc.py --results DIR [--doc docs/performance.md]
"""

import argparse
import os
import re
import sys

import benchlib

# Targets: (key, what, limit, how the measured value is found).
CLI_TIME_LIMIT = {"W1": 0.5, "T": 0.4}
APP_FRAME_LIMIT = 1.5
APP_MEMORY_LIMIT = 1.2
JOURNEYS_LIMIT = 5.0
JOURNEY_PAIRS = ("J", "T", "W2", "N")


def fmt_ms(seconds):
    return f"{seconds * 1000:.2f}"


def fmt_ratio(s):
    return f"{s['median']:.2f} ({s['q1']:.2f}–{s['q3']:.2f})"


def table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
    lines += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(lines)


def machine_text(machine, core_context):
    load = ", ".join(str(x) for x in machine["load"])
    text = (f"- CPU: {machine['cpu']}; {machine['nproc']} logical CPUs; Linux "
            f"{machine['kernel']}\n- load average when the run began (1, 5, 15 min): {load}\n"
            f"- run: {machine['date']}")
    if core_context:
        text += f"\n- Google Benchmark: {core_context}"
    return text


def whole_tables(w):
    times = []
    for p in w["pairs"]:
        label = p["label"]
        cli, sql = p["cli"]["wall"], p["sqlite3"]["wall"]
        times.append([f"{label}: {p['from']} → {p['to']}", p["rows"], fmt_ms(cli["median"]),
                      fmt_ms(sql["median"]), fmt_ratio(p["ratio"]), p["ratio"]["n"]])
    timing = table(["pair", "rows", "velomar-cli ms (median)", "sqlite3 ms (median)",
                    "ratio cli/sqlite3, median (IQR)", "runs each"], times)
    ir = []
    for p in w["pairs"]:
        if "instructions" in p:
            c, s = p["instructions"]["cli"], p["instructions"]["sqlite3"]
            ir.append([p["label"], f"{c:,}", f"{s:,}", f"{c / s:.2f}"])
    calls = table(["pair", "velomar-cli Ir", "sqlite3 Ir", "ratio"], ir)
    return timing, calls


def memory_rows(w, s):
    rows = []
    if w:
        for p in w["pairs"]:
            if p["label"] not in ("W1", "T"):
                continue
            rows.append([f"velomar-cli search ({p['label']})",
                         int(p["cli"]["max_rss_kib"]["median"])])
            rows.append([f"sqlite3 direct-train query ({p['label']})",
                         int(p["sqlite3"]["max_rss_kib"]["median"])])
    if s:
        rows.append(["velomar --first-frame-time", int(s["max_rss_kib"]["app"]["median"])])
        rows.append(["velomar-bare-qt --first-frame-time",
                     int(s["max_rss_kib"]["bare"]["median"])])
    return table(["process", "peak RSS KiB (median)"], rows)


def startup_table(s):
    rows = [["first frame (ms, median)", f"{s['first_frame_ms']['app']['median']:.2f}",
             f"{s['first_frame_ms']['bare']['median']:.2f}", fmt_ratio(s["first_frame_ratio"])],
            ["whole process (ms, median)", f"{s['wall_ms']['app']['median']:.2f}",
             f"{s['wall_ms']['bare']['median']:.2f}", fmt_ratio(s["wall_ratio"])]]
    if s.get("hyperfine"):
        app, bare = s["hyperfine"]
        rows.append(["whole process, hyperfine (ms, mean ± sd)",
                     f"{app['mean_ms']:.2f} ± {app['stddev_ms']:.2f}",
                     f"{bare['mean_ms']:.2f} ± {bare['stddev_ms']:.2f}",
                     f"{app['mean_ms'] / bare['mean_ms']:.2f} (of the means)"])
    rows.append(["peak RSS (KiB, median)", int(s["max_rss_kib"]["app"]["median"]),
                 int(s["max_rss_kib"]["bare"]["median"]), fmt_ratio(s["max_rss_ratio"])])
    return table(["measure", "velomar", "velomar-bare-qt", "ratio, median (IQR)"],
                 rows) + f"\n\n{s['runs']} runs of each, alternated in random order."


def verdict(value, limit, lower_is_better=True):
    met = value <= limit if lower_is_better else value >= limit
    if met:
        return "met"
    return f"missed by {value / limit:.3f}x"


def core_rows(core):
    """RunSearch W1 against reading its files, and heap growth between W1 and T."""
    if not core:
        return []
    by_name = {b["name"]: b for b in core.get("benchmarks", [])
               if b.get("run_type") != "aggregate" or b.get("aggregate_name") == "median"}
    rows = []
    search, read = by_name.get("RunSearch/disk/W1"), by_name.get("ReadOnly/disk/W1")
    if search and read:
        r = search["cpu_time"] / read["cpu_time"]
        rows.append(["RunSearch W1 ≤ 4× reading the same files (disk, CPU time)", f"{r:.2f}×",
                     verdict(r, 4.0)])
    w1, t = by_name.get("RunSearch/disk/W1"), by_name.get("RunSearch/disk/T")
    if w1 and t and "heap_peak_bytes" in w1 and "heap_peak_bytes" in t:
        d = abs(w1["heap_peak_bytes"] - t["heap_peak_bytes"])
        rows.append(["peak heap of a search: W1 (22 files) within 4 KiB of T (2 files)",
                     f"{int(w1['heap_peak_bytes'])} B vs {int(t['heap_peak_bytes'])} B",
                     "met" if d <= 4096 else f"missed by {d - 4096} B"])
    return rows


def targets_table(w, s, core=None, imp=None, mem=None, busy=None):
    rows = core_rows(core)
    pairs = {p["label"]: p for p in w["pairs"]} if w else {}
    for label, limit in CLI_TIME_LIMIT.items():
        if label in pairs:
            r = pairs[label]["ratio"]["median"]
            rows.append([f"velomar-cli time ≤ {limit}× sqlite3 ({label})", f"{r:.2f}×",
                         verdict(r, limit)])
    if "W1" in pairs and "instructions" in pairs["W1"]:
        i = pairs["W1"]["instructions"]
        r = i["cli"] / i["sqlite3"]
        rows.append(["velomar-cli instructions ≤ sqlite3's (W1)", f"{r:.2f}×", verdict(r, 1.0)])
    if s:
        r = s["first_frame_ratio"]["median"]
        rows.append([f"app first frame ≤ {APP_FRAME_LIMIT}× bare Qt", f"{r:.2f}×",
                     verdict(r, APP_FRAME_LIMIT)])
        r = s["max_rss_ratio"]["median"]
        rows.append([f"app peak memory ≤ {APP_MEMORY_LIMIT}× bare Qt", f"{r:.3f}×",
                     verdict(r, APP_MEMORY_LIMIT)])
    for label in ("W1", "T"):
        if label in pairs:
            c = pairs[label]["cli"]["max_rss_kib"]["median"]
            q = pairs[label]["sqlite3"]["max_rss_kib"]["median"]
            rows.append([f"velomar-cli peak memory < sqlite3's ({label})", f"{c / q:.2f}×",
                         "met" if c < q else f"missed by {c / q:.2f}x"])
    if imp:
        rows += import_targets(imp, mem)
    rows += busy_rows(busy)
    return table(["target", "measured (median)", "outcome"], rows)


IMPORT_TIME_LIMIT = 1.0
IMPORT_MEMORY_SHARE = 0.5


def fmt_kib(s):
    return f"{int(s['median']):,}"


def import_memory_table(mem):
    t, sh = mem["trips"], mem["shuffled"]
    rows = [[f"trips.txt of {t['trips']:,} trips ({t['trips_txt_bytes'] / 2**20:.0f} MiB)",
             f"{t['peak_rss_kib']:,}", f"{t['peak_rss_kib_tenth']:,} for a tenth of the trips",
             f"{t['bytes_per_trip']:.1f} bytes a trip"],
            [f"stop_times.txt of {sh['stop_times_bytes'] / 2**20:.0f} MiB, rows in random order",
             f"{sh['peak_rss_kib']:,}", f"{sh['peak_rss_kib_ordered']:,} in trip order",
             f"{sh['peak_rss_kib'] * 1024 / sh['stop_times_bytes']:.2f}× the file"]]
    return table(["feed", "peak RSS KiB", "against", "measured"], rows)


def import_table(imp, huge, mem=None):
    f = imp["feed"]
    rows = [["velomar-cli import-gtfs FOLDER --out DIR", f"{imp['cli']['wall']['median']:.2f}",
             fmt_kib(imp["cli"]["max_rss_kib"])],
            ["sqlite3 .import of the same files", f"{imp['sqlite3']['wall']['median']:.2f}",
             fmt_kib(imp["sqlite3"]["max_rss_kib"])],
            ["velomar-cli import-gtfs FEED.zip (the same files zipped)",
             f"{imp['zip']['wall']['median']:.2f}", fmt_kib(imp["zip"]["max_rss_kib"])]]
    text = (f"Feed: {f['trips']:,} trips, {f['stop_times']:,} stop times; stop_times.txt "
            f"{f['bytes']['stop_times.txt'] / 2**20:.1f} MiB, all files "
            f"{sum(f['bytes'].values()) / 2**20:.1f} MiB, zipped {f['zip_bytes'] / 2**20:.1f} MiB."
            "\n\n" + table(["run", "wall s (median)", "peak RSS KiB (median)"], rows) +
            f"\n\nRatio velomar-cli/sqlite3 per round: {fmt_ratio(imp['ratio'])}, "
            f"{imp['ratio']['n']} alternated rounds.\n\n")
    cal = [[f"{c['years']} year(s), {c['period'][0]} to {c['period'][1]}",
            f"{c['calendar_dates_rows']:,}", f"{c['bytes']['calendar_dates.txt'] / 2**20:.2f}",
            f"{c['wall']['median']:.2f}", fmt_kib(c["max_rss_kib"])] for c in imp["calendar"]]
    text += table(["calendar period (52 weeks of trips)", "calendar_dates rows",
                   "calendar_dates.txt MiB", "import s (median)", "peak RSS KiB (median)"], cal)
    if mem and "bytes_per_trip" in mem["trips"]:
        text += "\n\n" + import_memory_table(mem)
    if huge:
        h = [[f"{r['size_bytes'] / 2**30:.2f} GiB, {r['rows']:,} rows", r["status"],
              "yes" if r["message_ok"] else "no", "yes" if r["old_data_kept"] else "no",
              f"{r['seconds']:.1f}", f"{r['peak_rss_kib']:,}"] for r in huge["runs"]]
        text += "\n\n" + table(["broken stop_times.txt", "exit status", "file and line named",
                                  "old TimeData kept", "s", "peak RSS KiB"], h)
    return text


def import_targets(imp, mem=None):
    rows = []
    r = imp["ratio"]["median"]
    rows.append([f"import time ≤ {IMPORT_TIME_LIMIT}× sqlite3's .import", f"{r:.2f}×",
                 verdict(r, IMPORT_TIME_LIMIT)])
    share = imp["cli"]["max_rss_kib"]["median"] * 1024 / imp["feed"]["bytes"]["stop_times.txt"]
    rows.append([f"import peak memory < {IMPORT_MEMORY_SHARE}× the size of stop_times.txt",
                 f"{share:.2f}×", "met" if share < IMPORT_MEMORY_SHARE else
                 f"missed by {share / IMPORT_MEMORY_SHARE:.2f}x"])
    one, ten = (c["max_rss_kib"]["median"] for c in imp["calendar"])
    rows.append(["import peak memory: 10-year calendar within 1 MiB of 1-year",
                 f"{int(ten)} KiB vs {int(one)} KiB",
                 "met" if ten - one <= 1024 else f"missed by {int(ten - one - 1024)} KiB"])
    if mem and "bytes_per_trip" in mem["trips"]:
        b = mem["trips"]["bytes_per_trip"]
        rows.append(["import memory ≤ 48 bytes a trip of trips.txt", f"{b:.1f} bytes",
                     "met" if b <= 48 else f"missed by {b / 48:.2f}x"])
        sh = mem["shuffled"]
        r = sh["peak_rss_kib"] * 1024 / sh["stop_times_bytes"]
        rows.append(["import peak memory < 0.5× stop_times.txt, rows in random order",
                     f"{r:.2f}×", "met" if r < 0.5 else f"missed by {r / 0.5:.2f}x"])
    return rows


def core_table(core):
    rows = []
    for b in core.get("benchmarks", []):
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        unit = b.get("time_unit", "ns")
        counters = []
        for key, value in b.items():
            if key in ("name", "run_name", "run_type", "repetitions", "repetition_index",
                       "threads", "iterations", "real_time", "cpu_time", "time_unit",
                       "family_index", "per_family_instance_index", "aggregate_name",
                       "aggregate_unit", "label", "error_occurred", "error_message"):
                continue
            if isinstance(value, (int, float)):
                counters.append(f"{key}={value:.4g}")
        rows.append([b["name"], f"{b['real_time']:.3g} {unit}", f"{b['cpu_time']:.3g} {unit}",
                     b["iterations"], " ".join(counters)])
    text = table(["benchmark", "real time", "CPU time", "iterations", "counters"], rows)
    workloads = [v for k, v in sorted(core.get("context", {}).items())
                 if k.startswith("workload_")]
    if workloads:
        text += "\n\nWorkloads: " + "; ".join(workloads) + "."
    return text


def journeys_table(core, journeys):
    """One row per pair: the journeys query against the direct search, in process (CPU time,
    timetables read from disk on every query) and as whole processes, with the 5x target."""
    benchmarks = {b["name"]: b for b in (core or {}).get("benchmarks", [])
                  if b.get("run_type") != "aggregate" or b.get("aggregate_name") == "median"}
    whole = {p["label"]: p for p in (journeys or {}).get("pairs", [])}
    context = (core or {}).get("context", {})
    rows = []
    for label in JOURNEY_PAIRS:
        search = benchmarks.get(f"DirectSearch/disk/{label}")
        plan = benchmarks.get(f"Journeys/disk/{label}")
        alone = benchmarks.get(f"Journeys/query/{label}")
        if not (search and plan) and label not in whole:
            continue
        described = context.get(f"journeys_{label}", label)
        name = described.split(",")[0].replace(" -> ", " → ")
        files = (f"{int(search['files'])} / {int(plan['files'])}" if search and plan else "")
        verdicts = []
        cells = [name, files]
        if search and plan:
            us = lambda b: f"{b['cpu_time'] / 1000:.1f}" if b["time_unit"] == "ns" else "?"
            cells += [us(search), us(plan), us(alone) if alone else ""]
            if int(search["files"]) == 0:
                cells.append("–")
                verdicts.append("in process: no target (the search reads no file)")
            else:
                r = plan["cpu_time"] / search["cpu_time"]
                cells.append(f"{r:.1f}×")
                verdicts.append("in process: " + verdict(r, JOURNEYS_LIMIT))
        else:
            cells += ["", "", "", ""]
        if label in whole:
            w = whole[label]
            cells += [fmt_ms(w["search"]["median"]), fmt_ms(w["journeys_cli"]["median"]),
                      fmt_ratio(w["ratio"])]
            verdicts.append("whole process: " + verdict(w["ratio"]["median"], JOURNEYS_LIMIT))
        else:
            cells += ["", "", ""]
        cells.append("; ".join(verdicts))
        rows.append(cells)
    text = table(["pair", "files (search / journeys)", "search µs", "journeys µs",
                  "planning alone µs", "ratio", "search ms (process)", "journeys ms (process)",
                  "ratio, median (IQR)", f"≤ {JOURNEYS_LIMIT:g}× the search"], rows)
    if journeys:
        m = journeys["machine"]
        load = ", ".join(str(x) for x in m["load"])
        text += (f"\n\n{journeys['runs']} runs of each command, alternated in random order; "
                 f"run {m['date']}, load average {load} when it began.")
    return text


BUSY_TIME_LIMIT = 1.3
DAY_SHARE_LIMIT = 0.10


def busy_rows(busy):
    """The busy set's targets: the whole search against the samples', the day's share."""
    if not busy:
        return []
    r = busy["ratio"]["median"]
    rows = [[f"search on the busy set with dates ≤ {BUSY_TIME_LIMIT}× on the samples (whole "
             "process)", f"{r:.2f}×", verdict(r, BUSY_TIME_LIMIT)]]
    if "day_share" in busy:
        share = busy["day_share"]
        rows.append([f"the day's filter ≤ {DAY_SHARE_LIMIT:.0%} of a search (busy set, CPU "
                     "time)", f"{share:.1%}", verdict(max(share, 0.0), DAY_SHARE_LIMIT)])
    return rows


def busy_table(busy):
    r, s, b = busy["ratio"], busy["sample_ms"], busy["busy_ms"]
    rows = [["samples, no dates", f"{s['median']:.2f}", "", busy["runs"]],
            ["busy set, --date 20260304", f"{b['median']:.2f}",
             f"{r['median']:.2f} ({r['q1']:.2f}–{r['q3']:.2f})", busy["runs"]]]
    text = table(["set", "velomar-cli ms (median)", "ratio busy/samples, median (IQR)",
                  "runs each"], rows)
    if "day_share" in busy:
        text += (f"\n\nIn process (`velomar-bench`, CPU time): `RunSearch/busy/dates` "
                 f"{busy['day_cpu_ns'] / 1000:.1f} µs, `RunSearch/busy/no_dates` "
                 f"{busy['no_day_cpu_ns'] / 1000:.1f} µs: the day costs "
                 f"{100 * busy['day_share']:.1f} % of the search.")
    m = busy["machine"]
    text += (f"\n\nRun {m['date']}, load average {', '.join(str(x) for x in m['load'])} when "
             "it began.")
    return text


def replace_section(doc, name, body):
    pattern = re.compile(r"(<!-- generated: " + re.escape(name) + r" -->\n)(.*?)(<!-- end generated: "
                         + re.escape(name) + r" -->)", re.S)
    if not pattern.search(doc):
        print(f"write_doc.py: no markers for '{name}' in the document; skipped", file=sys.stderr)
        return doc
    return pattern.sub(lambda m: m.group(1) + body.rstrip("\n") + "\n" + m.group(3), doc)


def load(path):
    return benchlib.read_json(path) if os.path.exists(path) else None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--results", required=True)
    parser.add_argument("--doc", default=os.path.join(os.path.dirname(__file__), "..", "docs",
                                                      "performance.md"))
    args = parser.parse_args()

    whole = load(os.path.join(args.results, "whole_process.json"))
    startup = load(os.path.join(args.results, "startup.json"))
    core = load(os.path.join(args.results, "core.json"))
    journeys = load(os.path.join(args.results, "journeys.json"))
    imp = load(os.path.join(args.results, "import.json"))
    huge = load(os.path.join(args.results, "huge_stop_times.json"))
    mem = load(os.path.join(args.results, "import_memory.json"))
    busy = load(os.path.join(args.results, "busy.json"))

    with open(args.doc, encoding="utf-8") as f:
        doc = f.read()
    machine = (whole or startup or {}).get("machine")
    if machine:
        core_context = None
        if core:
            c = core.get("context", {})
            core_context = (f"{c.get('num_cpus', '?')} CPUs at {c.get('mhz_per_cpu', '?')} MHz, "
                            f"library build {c.get('library_build_type', '?')}")
        doc = replace_section(doc, "machine", machine_text(machine, core_context))
    if whole:
        timing, calls = whole_tables(whole)
        doc = replace_section(doc, "whole-process", timing)
        doc = replace_section(doc, "callgrind", calls)
    if startup:
        doc = replace_section(doc, "startup", startup_table(startup))
    if whole or startup:
        doc = replace_section(doc, "memory", memory_rows(whole, startup))
    if imp:
        doc = replace_section(doc, "import", import_table(imp, huge, mem))
    # The targets draw on every result; a partial run leaves them as they were.
    if whole and startup and core:
        doc = replace_section(doc, "targets", targets_table(whole, startup, core, imp, mem, busy))
    if busy:
        doc = replace_section(doc, "busy", busy_table(busy))
    if core:
        doc = replace_section(doc, "core", core_table(core))
    if core or journeys:
        doc = replace_section(doc, "journeys", journeys_table(core, journeys))
    with open(args.doc, "w", encoding="utf-8") as f:
        f.write(doc)
    print(f"write_doc.py: tables of {os.path.normpath(args.doc)} rewritten")


if __name__ == "__main__":
    main()
