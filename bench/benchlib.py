"""Shared helpers of the whole-process benchmarks: timing a process, its peak memory, statistics.

Standard library only: the machine has python3 but no extra packages.
"""

import json
import os
import platform
import random
import statistics
import subprocess
import tempfile
import time


def run_measured(argv, env=None, stdin_path=None):
    """Runs argv once with output discarded.

    Returns (wall seconds, exit status). Start-up through exit is timed around the spawn and
    the wait, so the dynamic loader and process teardown count.
    """
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    try:
        start = time.perf_counter()
        proc = subprocess.Popen(argv, stdin=stdin, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, env=env, close_fds=True)
        _, status = os.waitpid(proc.pid, 0)
        wall = time.perf_counter() - start
        proc.returncode = os.waitstatus_to_exitcode(status)
    finally:
        if stdin_path:
            stdin.close()
    return wall, proc.returncode


def peak_rss_kib(argv, env=None, stdin_path=None):
    """Peak resident set size of argv in KiB, through GNU time.

    Not from our own wait4: a child forked from this Python process starts with Python's
    resident pages, and Linux keeps that high-water mark across exec. GNU time is small.
    """
    fd, report = tempfile.mkstemp(prefix="velomar-rss-")
    os.close(fd)
    try:
        stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
        try:
            subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + argv, stdin=stdin,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env,
                           check=False)
        finally:
            if stdin_path:
                stdin.close()
        with open(report, encoding="utf-8") as f:
            return int(f.read().split()[-1])
    finally:
        os.unlink(report)


def run_output(argv, env=None, stdin_path=None):
    """Runs argv and returns (stdout bytes, exit status); messages on stderr are dropped
    (an empty search says so there)."""
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    try:
        done = subprocess.run(argv, stdin=stdin, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, env=env, check=False)
    finally:
        if stdin_path:
            stdin.close()
    return done.stdout, done.returncode


def quartiles(values):
    """(first quartile, median, third quartile), inclusive method."""
    values = sorted(values)
    if len(values) == 1:
        return values[0], values[0], values[0]
    q1, q2, q3 = statistics.quantiles(values, n=4, method="inclusive")
    return q1, q2, q3


def summary(values):
    q1, med, q3 = quartiles(values)
    return {"n": len(values), "median": med, "q1": q1, "q3": q3,
            "min": min(values), "max": max(values)}


def alternate(jobs, rounds, warmup, seed, measure=None):
    """Runs every job once per round, in a fresh random order each round.

    jobs: {name: (argv, env, stdin_path)}. Returns {name: [(wall, status), ...]} for the
    timed rounds, in round order, so that ratios can be taken round by round.
    """
    rng = random.Random(seed)
    names = list(jobs)
    results = {name: [] for name in names}
    for round_no in range(warmup + rounds):
        rng.shuffle(names)
        for name in names:
            argv, env, stdin_path = jobs[name]
            measured = (measure or run_measured)(argv, env, stdin_path)
            if round_no >= warmup:
                results[name].append(measured)
    return results


def callgrind_instructions(argv, out_file, env=None, stdin_path=None):
    """Total instructions executed (Ir) of the whole process under callgrind."""
    command = ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out_file] + argv
    stdin = open(stdin_path, "rb") if stdin_path else subprocess.DEVNULL
    try:
        subprocess.run(command, stdin=stdin, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, env=env, check=False)
    finally:
        if stdin_path:
            stdin.close()
    with open(out_file, encoding="utf-8", errors="replace") as f:
        for line in f:
            if line.startswith("summary:") or line.startswith("totals:"):
                return int(line.split()[1])
    raise RuntimeError("no instruction total in " + out_file)


def machine():
    """What the figures were taken on."""
    cpu = platform.processor() or "unknown"
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    load = os.getloadavg()
    return {"cpu": cpu, "nproc": os.cpu_count(), "load": [round(x, 2) for x in load],
            "kernel": platform.release(), "date": time.strftime("%Y-%m-%d %H:%M %Z")}


def write_json(path, data):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        json.dump(data, f, ensure_ascii=False, indent=2)
        f.write("\n")


def read_json(path):
    with open(path, encoding="utf-8") as f:
        return json.load(f)
