#!/usr/bin/env python3
"""Peak memory of import-gtfs against the size of what it reads.

Two feeds, each written into a temporary folder and imported by velomar-cli:

  trips     trips.txt of N trips, one in a thousand with stop times: every trip is of a
            mapped type, runs in the period and has a number, so each is looked up and kept
            until stop_times.txt is read. Memory per trip is the peak over that of a feed of
            N/10 trips, divided by the trips between them (target: at most 48 bytes).
  shuffled  stop_times.txt of about SIZE bytes whose rows stand in random order, no trip's rows
            next to each other, trips of 20 calls (target: peak memory below half the file's
            size). The import must give the same files as of the rows in trip order.

    bench/import_memory.py --cli build/bench/bin/velomar-cli             # 5,000,000 trips, 256 MiB
    bench/import_memory.py --cli CLI --trips 100000 --shuffled 16M --share 1 --check   # `make test`

Peak memory comes from GNU time (/usr/bin/time); without it, or with --no-memory (a build
under AddressSanitizer, whose own memory would be counted), only the results are checked.
`make test` runs a debug build on a small file, where the program's own 4 MiB and the least
a further pass gathers weigh more: it allows the file's whole size (--share 1), which the
import before did not keep to either (2.5 times).
--out FILE writes the figures as JSON (for docs/performance.md).
"""

import argparse
import filecmp
import os
import random
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import benchlib  # noqa: E402
from huge_stop_times import parse_size  # noqa: E402

HEADER = {
    "routes.txt": "route_id,route_short_name,route_type\nM,무궁화,2\n",
    "calendar.txt": "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,"
                    "start_date,end_date\nDAILY,1,1,1,1,1,1,1,20250101,20251231\n",
}
STOPS = ["MS,문산", "UC,운천", "IJ,임진강", "DR,도라산"]


def write_files(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name, text in files.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
            f.write(text)


def clock(minute):
    return f"{minute // 60:02d}:{minute % 60:02d}:00"


def trips_feed(folder, trips):
    """N trips of about 40 bytes a row in trips.txt; one in a thousand runs 문산 - 도라산."""
    write_files(folder, {**HEADER, "stops.txt": "stop_id,stop_name\n" + "\n".join(STOPS) + "\n"})
    with open(os.path.join(folder, "trips.txt"), "w", encoding="utf-8") as t, \
            open(os.path.join(folder, "stop_times.txt"), "w", encoding="utf-8") as s:
        t.write("route_id,service_id,trip_id,trip_short_name\n")
        s.write("trip_id,arrival_time,departure_time,stop_id,stop_sequence\n")
        for i in range(trips):
            trip_id = f"K{i:09d}-20250101-WD"
            t.write(f"M,DAILY,{trip_id},{1 + i % 9000}\n")
            if i % 1000 == 0:
                minute = 300 + (i // 1000) % 1000
                s.write(f"{trip_id},{clock(minute)},{clock(minute)},MS,1\n"
                        f"{trip_id},{clock(minute + 30)},{clock(minute + 30)},DR,2\n")
    return os.path.getsize(os.path.join(folder, "trips.txt"))


def shuffled_feeds(folder, size, seed=7):
    """Two feeds with the same rows of stop_times.txt, in trip order and shuffled: trips of 20
    calls, at the four stations of 경의선 and at 16 stops the network does not have, as a
    trip of a real feed calls at many stops."""
    stops = [s.split(",")[0] for s in STOPS[:2]] + [f"X{k:02d}" for k in range(16)] + \
        [s.split(",")[0] for s in STOPS[2:]]
    row = len("T0000000,05:00:00,05:00:00,MS,1\n") + 1
    trips = max(10, size // (row * len(stops)))
    rows = []
    for i in range(trips):
        start = 300 + i % 600
        rows += [f"T{i:07d},{clock(start + k)},{clock(start + k)},{stop},{k + 1}\n"
                 for k, stop in enumerate(stops)]
    common = {**HEADER, "stops.txt": "stop_id,stop_name\n" + "\n".join(STOPS) + "\n" + "".join(
                  f"X{k:02d},정류장{k}\n" for k in range(16)),
              "trips.txt": "route_id,service_id,trip_id,trip_short_name\n" + "".join(
                  f"M,DAILY,T{i:07d},{1 + i % 600}\n" for i in range(trips))}
    header = "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
    write_files(os.path.join(folder, "ordered"), {**common, "stop_times.txt": header + "".join(rows)})
    random.Random(seed).shuffle(rows)
    write_files(os.path.join(folder, "shuffled"), {**common, "stop_times.txt": header + "".join(rows)})
    return os.path.getsize(os.path.join(folder, "shuffled", "stop_times.txt")), trips


def run(cli, feed, out, measure):
    argv = [cli, "import-gtfs", feed, "--out", out]
    done = subprocess.run(argv, capture_output=True, check=False)
    if done.returncode != 0:
        sys.exit(f"import_memory.py: {feed}: {done.stderr.decode('utf-8', 'replace')}")
    return benchlib.peak_rss_kib(argv) if measure else None


def same_files(a, b):
    names = sorted(n for n in os.listdir(os.path.join(a, "TimeData")) if n != "SOURCE.txt")
    return names == sorted(n for n in os.listdir(os.path.join(b, "TimeData"))
                           if n != "SOURCE.txt") and \
        all(filecmp.cmp(os.path.join(a, "TimeData", n), os.path.join(b, "TimeData", n),
                        shallow=False) for n in names)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True)
    parser.add_argument("--trips", type=int, default=5_000_000)
    parser.add_argument("--shuffled", default="256M", help="size of stop_times.txt (256M)")
    parser.add_argument("--dir", default=tempfile.gettempdir())
    parser.add_argument("--check", action="store_true", help="exit 1 when a target is missed")
    parser.add_argument("--no-memory", action="store_true", help="check results only")
    parser.add_argument("--share", type=float, default=0.5,
                        help="peak memory allowed for the shuffled file, times its size")
    parser.add_argument("--out")
    args = parser.parse_args()
    measure = not args.no_memory and os.path.exists("/usr/bin/time")
    result, missed = {"machine": benchlib.machine()}, []
    with tempfile.TemporaryDirectory(prefix="velomar-memory-", dir=args.dir) as tmp:
        peaks = {}
        for trips in (args.trips // 10, args.trips):
            feed = os.path.join(tmp, f"trips-{trips}")
            size = trips_feed(feed, trips)
            peaks[trips] = (run(args.cli, feed, os.path.join(tmp, "out"), measure), size)
            shutil.rmtree(feed)
        small, large = args.trips // 10, args.trips
        result["trips"] = {"trips": large, "trips_txt_bytes": peaks[large][1],
                           "peak_rss_kib": peaks[large][0], "peak_rss_kib_tenth": peaks[small][0]}
        if measure:
            per_trip = (peaks[large][0] - peaks[small][0]) * 1024 / (large - small)
            result["trips"]["bytes_per_trip"] = per_trip
            print(f"trips.txt of {large:,} trips ({peaks[large][1] / (1 << 20):.0f} MiB): peak RSS "
                  f"{peaks[large][0]:,} KiB, {peaks[small][0]:,} KiB for a tenth: "
                  f"{per_trip:.1f} bytes a trip")
            missed += ["trips"] if per_trip > 48 else []
        size, trips = shuffled_feeds(tmp, parse_size(args.shuffled))
        ordered = run(args.cli, os.path.join(tmp, "ordered"), os.path.join(tmp, "a"), measure)
        shuffled = run(args.cli, os.path.join(tmp, "shuffled"), os.path.join(tmp, "b"), measure)
        if not same_files(os.path.join(tmp, "a"), os.path.join(tmp, "b")):
            print("shuffled stop_times.txt: the files differ from those of the rows in order")
            missed.append("same files")
        result["shuffled"] = {"stop_times_bytes": size, "trips": trips,
                              "peak_rss_kib": shuffled, "peak_rss_kib_ordered": ordered}
        if measure:
            print(f"stop_times.txt of {size / (1 << 20):.0f} MiB, rows shuffled: peak RSS "
                  f"{shuffled:,} KiB ({shuffled * 1024 / size:.2f}x the file; in trip order "
                  f"{ordered:,} KiB)")
            missed += ["shuffled"] if shuffled * 1024 >= size * args.share else []
    if args.out:
        benchlib.write_json(args.out, result)
    if missed:
        print("import_memory.py: missed: " + ", ".join(missed))
    return 1 if args.check and missed else 0


if __name__ == "__main__":
    sys.exit(main())
