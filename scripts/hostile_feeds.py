#!/usr/bin/env python3
"""import-gtfs on feeds with one fault each: what it says, its exit status, time and memory.

The feeds are made from the operator-shaped synthetic one (tools/operator_feed.py) in a
scratch folder on the ordinary disk (build/hostile-feeds, removed afterwards): a zip whose
stop_times.txt is one row of commas (512 MiB by default, about 600 KB packed), damaged
deflate data that only the checksum reveals, an LZMA entry, a file twice, a named pipe and
/dev/zero as the feed, CR-only line ends, a byte order mark in the middle of stops.txt, and
the whole feed as a zip for comparison.

Usage: scripts/hostile_feeds.py [--cli build/release/bin/velomar-cli] [--commas MIB]
"""

import argparse
import os
import shutil
import subprocess
import sys
import warnings
import zipfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import operator_feed  # noqa: E402


def write_zip(path, entries, method=zipfile.ZIP_DEFLATED):
    warnings.simplefilter("ignore")  # a name twice is the point of one of them
    with zipfile.ZipFile(path, "w", method) as z:
        for name, data in entries:
            z.writestr(name, data)


def comma_row_zip(path, files, mib):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for name, data in files.items():
            if name != "stop_times.txt":
                z.writestr(name, data)
        with z.open("stop_times.txt", "w", force_zip64=True) as f:
            f.write(files["stop_times.txt"].split(b"\r\n")[0] + b"\r\n")
            block = b"," * (1 << 20)
            for _ in range(mib):
                f.write(block)
            f.write(b"\n")


def damage(path):
    """Flips one bit of stop_times.txt's data where it still inflates, to other text."""
    raw = bytearray(open(path, "rb").read())
    with zipfile.ZipFile(path) as z:
        info = z.getinfo("stop_times.txt")
    start = info.header_offset + 30 + len(info.filename.encode()) + len(info.extra)
    for at in range(start + info.compress_size // 2, start + info.compress_size):
        raw[at] ^= 0x01
        try:
            out = zlib.decompressobj(-15).decompress(bytes(raw[start:start + info.compress_size]))
            if len(out) == info.file_size and zlib.crc32(out) != info.CRC:
                open(path, "wb").write(raw)
                return
        except zlib.error:
            pass
        raw[at] ^= 0x01
    sys.exit("hostile_feeds.py: no bit found that damages the data quietly")


def folder_with(scratch, name, files, changed, change):
    folder = os.path.join(scratch, name)
    os.makedirs(folder)
    for file, data in files.items():
        open(os.path.join(folder, file), "wb").write(change(data) if file == changed else data)
    return folder


def make_feeds(scratch, mib):
    built, _ = operator_feed.build(2, None, False)
    files = {name: ("\r\n".join(lines) + "\r\n").encode() for name, lines in built.items()}
    feeds = []
    path = os.path.join(scratch, "feed.zip")
    write_zip(path, files.items())
    feeds.append(("the whole feed, zipped", path))
    path = os.path.join(scratch, "commas.zip")
    comma_row_zip(path, files, mib)
    feeds.append((f"stop_times.txt one row of {mib} MiB of commas, "
                  f"{os.path.getsize(path) // 1024} KiB packed", path))
    path = os.path.join(scratch, "damaged.zip")
    write_zip(path, files.items())
    damage(path)
    feeds.append(("damaged deflate data in stop_times.txt", path))
    path = os.path.join(scratch, "lzma.zip")
    write_zip(path, files.items(), zipfile.ZIP_LZMA)
    feeds.append(("LZMA entries", path))
    path = os.path.join(scratch, "twice.zip")
    write_zip(path, list(files.items()) + [("stops.txt", files["stops.txt"])])
    feeds.append(("stops.txt twice", path))
    path = os.path.join(scratch, "fifo")
    os.mkfifo(path)
    feeds.append(("a named pipe as the feed", path))
    feeds.append(("/dev/zero as the feed", "/dev/zero"))
    feeds.append(("CR-only line ends in stop_times.txt",
                  folder_with(scratch, "cr", files, "stop_times.txt",
                              lambda d: d.replace(b"\r\n", b"\r"))))
    feeds.append(("a byte order mark on line 6 of stops.txt",
                  folder_with(scratch, "bom", files, "stops.txt",
                              lambda d: b"\r\n".join(b"\xef\xbb\xbf" + line if i == 5 else line
                                                     for i, line in enumerate(d.split(b"\r\n"))))))
    return feeds


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", default=os.path.join(ROOT, "build/release/bin/velomar-cli"))
    parser.add_argument("--commas", type=int, default=512, help="MiB of commas in the row")
    args = parser.parse_args()
    scratch = os.path.join(ROOT, "build", "hostile-feeds")
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    try:
        print("| feed | exit | s | max RSS KiB | first message |\n|---|---|---|---|---|")
        for what, feed in make_feeds(scratch, args.commas):
            out = os.path.join(scratch, "out")
            run = subprocess.run(["/usr/bin/time", "-f", "%e %M", args.cli, "import-gtfs", feed,
                                  "--out", out], capture_output=True, text=True, timeout=600)
            lines = run.stderr.splitlines()
            seconds, rss = lines[-1].split()
            message = lines[0].replace(scratch + "/", "") if len(lines) > 1 else ""
            print(f"| {what} | {run.returncode} | {seconds} | {int(rss):,} | {message} |")
            shutil.rmtree(out, ignore_errors=True)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


if __name__ == "__main__":
    main()
