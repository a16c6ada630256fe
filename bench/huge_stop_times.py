#!/usr/bin/env python3
"""import-gtfs on a feed whose stop_times.txt is huge (2 GiB by default) and broken at its end.

The import must read the file as a stream: fail with the file and line of the bad row,
exit status 1, leave the old TimeData as it was, and need no more memory for a larger
file. The feed is written into --dir (a temporary folder there, removed afterwards); when
that disk lacks the room the run is skipped with a message.

    bench/huge_stop_times.py --cli build/bench/bin/velomar-cli            # 2 GiB, one run
    bench/huge_stop_times.py --cli CLI --size 4M --size 16M --check       # as `make test` does

--check compares the runs: the same message each time, and peak memory within 8 MiB of the
smallest run's. --out FILE writes the figures as JSON (for docs/performance.md).
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile

import benchlib

TRIPS = 2000
ROW_TEMPLATE = "{trip},{time},{time},{stop},{seq},0,0\n"


def parse_size(text):
    units = {"K": 1 << 10, "M": 1 << 20, "G": 1 << 30}
    return int(float(text[:-1]) * units[text[-1].upper()]) if text[-1].upper() in units \
        else int(text)


def gtfs_time(seconds):
    return f"{seconds // 3600:02d}:{seconds // 60 % 60:02d}:{seconds % 60:02d}"


def write_feed(folder, size):
    """A small feed around a stop_times.txt of about `size` bytes. Returns (rows per trip,
    the line of the bad row)."""
    os.makedirs(folder)
    files = {
        "routes.txt": "route_id,route_short_name,route_type\nM,무궁화,2\n",
        "calendar.txt": "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,"
                        "start_date,end_date\nDAILY,1,1,1,1,1,1,1,20250101,20251231\n",
        "trips.txt": "route_id,service_id,trip_id,trip_short_name\n" + "".join(
            f"M,DAILY,T{i:07d},{1000 + i % 9000}\n" for i in range(TRIPS)),
    }
    row = len(ROW_TEMPLATE.format(trip="T0000000", time="00:00:00", stop="x0000", seq=100))
    per_trip = max(2, size // TRIPS // row)
    # Every trip calls at 문산 and 도라산 and then at stops the network does not have, a
    # second apart: long, valid trips whose rows are all read, parsed and gathered.
    stops = ["stop_id,stop_name", "MS,문산", "DR,도라산"]
    stops += [f"x{i:04d},정류장{i}" for i in range(per_trip - 2)]
    files["stops.txt"] = "\n".join(stops) + "\n"
    for name, text in files.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
            f.write(text)
    ids = ["MS", "DR"] + [f"x{i:04d}" for i in range(per_trip - 2)]
    block = "".join(ROW_TEMPLATE.format(trip="T#######", time=gtfs_time(s), stop=ids[s],
                                        seq=s + 1) for s in range(per_trip)).encode()
    with open(os.path.join(folder, "stop_times.txt"), "wb") as f:
        f.write(b"trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,"
                b"drop_off_type\n")
        for i in range(TRIPS):
            f.write(block.replace(b"T#######", f"T{i:07d}".encode()))
        f.write(b"T0000000,08:61:00,08:61:00,MS,99999,0,0\n")
    return per_trip, 1 + TRIPS * per_trip + 1


def peak_rss_kib(argv):
    """Peak memory of argv: from GNU time where it is, else from wait4 (which can also count
    the pages of this Python process that started it)."""
    if os.path.exists("/usr/bin/time"):
        return benchlib.peak_rss_kib(argv), "GNU time"
    proc = subprocess.Popen(argv, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, _, usage = os.wait4(proc.pid, 0)
    return usage.ru_maxrss, "wait4"


def run_once(cli, work, size):
    folder = os.path.join(work, "feed")
    per_trip, bad_line = write_feed(folder, size)
    file_bytes = os.path.getsize(os.path.join(folder, "stop_times.txt"))
    out = os.path.join(work, "data")
    os.makedirs(os.path.join(out, "TimeData"))
    with open(os.path.join(out, "TimeData", "SOURCE.txt"), "wb") as f:
        f.write(b"feed: old\r\n")
    argv = [cli, "import-gtfs", folder, "--out", out]
    start = benchlib.time.perf_counter()
    done = subprocess.run(argv, capture_output=True, check=False)
    seconds = benchlib.time.perf_counter() - start
    rss, how = peak_rss_kib(argv)
    with open(os.path.join(out, "TimeData", "SOURCE.txt"), "rb") as f:
        kept = f.read() == b"feed: old\r\n" and len(os.listdir(os.path.join(out, "TimeData"))) == 1
    shutil.rmtree(folder)
    shutil.rmtree(out)
    expected = (f"velomar-cli import-gtfs: stop_times.txt:{bad_line}: '08:61:00' is not a time "
                f"HH:MM:SS\nvelomar-cli import-gtfs: nothing was written\n")
    return {"size_bytes": file_bytes, "rows": TRIPS * per_trip + 1, "trips": TRIPS,
            "status": done.returncode, "message": done.stderr.decode("utf-8", "replace"),
            "message_ok": done.stderr.decode("utf-8", "replace") == expected,
            "old_data_kept": kept, "seconds": seconds, "peak_rss_kib": rss, "rss_from": how}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--size", action="append", help="size of stop_times.txt (2G, 64M)")
    parser.add_argument("--dir", default=tempfile.gettempdir(), help="where to write the feed")
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--out")
    args = parser.parse_args()
    sizes = [parse_size(s) for s in args.size or ["2G"]]
    free = shutil.disk_usage(args.dir).free
    if free < max(sizes) + (256 << 20):
        print(f"huge_stop_times.py: skipped: {args.dir} has {free >> 20} MiB free, "
              f"{(max(sizes) >> 20) + 256} MiB needed")
        return 0
    runs = []
    for size in sizes:
        with tempfile.TemporaryDirectory(prefix="velomar-huge-", dir=args.dir) as work:
            run = run_once(args.cli, work, size)
        runs.append(run)
        print(f"stop_times.txt of {run['size_bytes'] / (1 << 20):.0f} MiB ({run['rows']} rows): "
              f"exit {run['status']} after {run['seconds']:.1f} s, peak RSS "
              f"{run['peak_rss_kib']} KiB ({run['rss_from']}); message "
              f"{'as expected' if run['message_ok'] else 'WRONG: ' + run['message']}; old "
              f"TimeData {'kept' if run['old_data_kept'] else 'CHANGED'}")
    if args.out:
        benchlib.write_json(args.out, {"runs": runs, "machine": benchlib.machine()})
    bad = [r for r in runs if r["status"] != 1 or not r["message_ok"] or not r["old_data_kept"]]
    if args.check and len(runs) > 1:
        least = min(r["peak_rss_kib"] for r in runs)
        bad += [r for r in runs if r["peak_rss_kib"] > least + 8 * 1024]
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
