#!/usr/bin/env python3
"""Start-up of the Qt application against a bare Qt Widgets program of the same window size.

Both print "first frame: N.NNN ms" (main() entered to the end of the first paint) with
--first-frame-time and exit. They run alternately, in a fresh random order each round, on the
offscreen platform. Also: whole-process wall time through hyperfine, and peak memory.

Usage: bench/startup.py --bin BUILD/bin --out results.json [--runs N]
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

import benchlib

FRAME = re.compile(rb"first frame: ([0-9.]+) ms")


def first_frame(argv, env):
    out, status = benchlib.run_output(argv, env)
    match = FRAME.search(out)
    if status != 0 or not match:
        raise RuntimeError(f"{argv[0]} --first-frame-time failed (status {status}): {out!r}")
    return float(match.group(1))


def hyperfine(commands, runs, env, out_file):
    """Mean and median whole-process wall time of each command, in ms, via hyperfine."""
    if shutil.which("hyperfine") is None:
        return None
    argv = ["hyperfine", "--shell=none", "--style=none", "--warmup", "3", "--runs", str(runs),
            "--export-json", out_file] + [" ".join(c) for c in commands]
    subprocess.run(argv, env=env, stdout=subprocess.DEVNULL, check=True)
    data = benchlib.read_json(out_file)
    return [{"command": r["command"], "mean_ms": r["mean"] * 1000,
             "median_ms": r["median"] * 1000, "stddev_ms": r["stddev"] * 1000}
            for r in data["results"]]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bin", required=True, help="folder with velomar and velomar-bare-qt")
    parser.add_argument("--out", required=True)
    parser.add_argument("--runs", type=int, default=40, help="runs of each program (>= 30)")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    app = os.path.join(args.bin, "velomar")
    bare = os.path.join(args.bin, "velomar-bare-qt")
    for program in (app, bare):
        if not os.access(program, os.X_OK):
            sys.exit(f"startup.py: {program} is missing; build the bench preset first")

    with tempfile.TemporaryDirectory(prefix="velomar-startup-") as tmp:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        if "XDG_RUNTIME_DIR" not in env:
            runtime = os.path.join(tmp, "runtime")
            os.mkdir(runtime, 0o700)
            env["XDG_RUNTIME_DIR"] = runtime
        # A fresh settings store, created by an untimed first run, so that every timed run
        # opens an existing store as a user's start would.
        settings = os.path.join(tmp, "settings.sqlite3")
        app_argv = [app, "--first-frame-time", "--settings", settings, "--data", args.bin]
        bare_argv = [bare, "--first-frame-time"]
        commands = {"app": app_argv, "bare": bare_argv}
        for argv in commands.values():
            first_frame(argv, env)

        rng = random.Random(args.seed)
        frames = {"app": [], "bare": []}
        walls = {"app": [], "bare": []}
        rss = {"app": [], "bare": []}
        order = list(commands)
        for _ in range(args.runs):
            rng.shuffle(order)
            for name in order:
                frames[name].append(first_frame(commands[name], env))
            # Whole-process wall time and peak memory come from separate runs, so that
            # reading the pipe and GNU time's own start do not count.
            rng.shuffle(order)
            for name in order:
                wall, status = benchlib.run_measured(commands[name], env)
                if status != 0:
                    raise RuntimeError(f"{name} exited with {status}")
                walls[name].append(wall * 1000)
            rng.shuffle(order)
            for name in order:
                rss[name].append(benchlib.peak_rss_kib(commands[name], env))

        ratios = [a / b for a, b in zip(frames["app"], frames["bare"])]
        wall_ratios = [a / b for a, b in zip(walls["app"], walls["bare"])]
        rss_ratios = [a / b for a, b in zip(rss["app"], rss["bare"])]
        result = {
            "runs": args.runs,
            "first_frame_ms": {k: benchlib.summary(v) for k, v in frames.items()},
            "first_frame_ratio": benchlib.summary(ratios),
            "wall_ms": {k: benchlib.summary(v) for k, v in walls.items()},
            "wall_ratio": benchlib.summary(wall_ratios),
            "max_rss_kib": {k: benchlib.summary(v) for k, v in rss.items()},
            "max_rss_ratio": benchlib.summary(rss_ratios),
            "hyperfine": hyperfine([app_argv, bare_argv], args.runs, env,
                                   os.path.join(tmp, "hyperfine.json")),
            "machine": benchlib.machine(),
        }
    benchlib.write_json(args.out, result)
    print(f"start-up: app/bare first-frame median ratio {result['first_frame_ratio']['median']:.2f}"
          f", peak memory ratio {result['max_rss_ratio']['median']:.2f}")


if __name__ == "__main__":
    main()
