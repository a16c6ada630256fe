#!/usr/bin/env python3
"""Puts the web app together as a static folder any web server can serve.

    python3 scripts/web_assemble.py --page src/web/www --core build/wasm/bin/velomar.js \\
        --data DATA --icon dist/icons/velomar.svg --out build/web

DATA is a folder holding TimeData/ (the samples: data/); every file below its TimeData/ is
shipped, in one pack the app unpacks into its own file system (src/web/timetable_pack.h).
The service worker gets the list of every file and a version that changes with any of them.
"""

import argparse
import hashlib
import json
import re
import shutil
import subprocess
import sys
from pathlib import Path

PAGE_FILES = ("index.html", "app.css", "app.js", "draw.js", "dialogs.js", "completion.js",
              "manifest.webmanifest")
PACK_HEADER = b"velomar-timetables 1\n"


def fail(message):
    print(f"web_assemble: {message}", file=sys.stderr)
    sys.exit(1)


def timetable_pack(data):
    folder = data / "TimeData"
    if not folder.is_dir():
        fail(f"{data} holds no TimeData/ folder")
    files = sorted(p for p in folder.rglob("*") if p.is_file())
    if not files:
        fail(f"{folder} is empty")
    pack = bytearray(PACK_HEADER)
    for path in files:
        name = path.relative_to(folder).as_posix()
        if "\n" in name:
            fail(f"a file name with a line break cannot be shipped: {name!r}")
        body = path.read_bytes()
        pack += name.encode("utf-8") + b"\n" + str(len(body)).encode() + b"\n" + body
    return bytes(pack), len(files)


def render_icon(svg_text, size, out):
    try:
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(out)],
                       input=svg_text.encode("utf-8"), check=True)
    except (OSError, subprocess.CalledProcessError) as error:
        fail(f"cannot draw {out.name} with rsvg-convert (Debian's librsvg2-bin): {error}")


def maskable(svg_text):
    """The icon on a full-bleed square, inside the middle 70 % a launcher may cut to."""
    inner = re.search(r"<svg[^>]*>(.*)</svg>", svg_text, re.S)
    if not inner:
        fail("the icon is not an SVG")
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
            'viewBox="0 0 256 256"><rect width="256" height="256" fill="#13285a"/>'
            f'<g transform="translate(38.4 38.4) scale(0.7)">{inner.group(1)}</g></svg>')


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("page", "core", "data", "icon", "out"):
        parser.add_argument(f"--{option}", required=True, type=Path)
    args = parser.parse_args()

    core_js = args.core
    core_wasm = core_js.with_suffix(".wasm")
    for needed in [core_js, core_wasm, args.icon] + [args.page / f for f in PAGE_FILES]:
        if not needed.is_file():
            fail(f"missing {needed}")
    pack, count = timetable_pack(args.data.resolve())

    out = args.out
    if out.exists():
        shutil.rmtree(out)
    out.mkdir(parents=True)
    for name in PAGE_FILES:
        shutil.copyfile(args.page / name, out / name)
    shutil.copyfile(core_js, out / "velomar.js")
    shutil.copyfile(core_wasm, out / "velomar.wasm")
    (out / "timetables.pack").write_bytes(pack)
    svg = args.icon.read_text(encoding="utf-8")
    render_icon(svg, 192, out / "icon-192.png")
    render_icon(svg, 512, out / "icon-512.png")
    render_icon(maskable(svg), 512, out / "icon-maskable-512.png")

    shipped = sorted(p.name for p in out.iterdir())
    digest = hashlib.sha256()
    for name in shipped:
        digest.update(name.encode() + b"\0" + (out / name).read_bytes())
    worker = (args.page / "sw.js").read_text(encoding="utf-8")
    worker = worker.replace("@VERSION@", digest.hexdigest()[:16])
    worker = worker.replace("@FILES@", json.dumps(["./"] + shipped))
    (out / "sw.js").write_text(worker, encoding="utf-8")
    print(f"web app in {out}: {count} timetable files from {args.data}")


if __name__ == "__main__":
    main()
