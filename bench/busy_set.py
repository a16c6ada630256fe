#!/usr/bin/env python3
"""Writes a timetable set with a busy route and dates, for the benchmarks.

The 64 sample files are copied, except route 16 (the busiest), whose files become 320 trains a
direction in sheets of 79 (UpData_16.txt, UpData_16.2.txt, ... UpData_16.5.txt): 280 run
every day, 20 on weekdays and 20 on weekends and holidays, so 300 run on any day of the year.
Their times follow the sample trains of the route, one after the other from 05:00. Dates.txt
covers every file and sheet for 2026 (weekday, weekend and daily patterns with the year's
holidays), as an import of a whole period writes it.

Usage: bench/busy_set.py SAMPLE_TIMEDATA OUT_DIR   (writes OUT_DIR/TimeData)
"""

import os
import shutil
import sys

BUSY_ROUTE = 16
TRAINS = 320
SHEET = 79
FIRST_DEPARTURE = 5 * 60
SPACING = 18 * 60 / TRAINS  # minutes between departures
PERIOD = ("20260101", "20261231")
# Public holidays of 2026 that fall on weekdays: the weekday trains rest, the weekend ones run.
HOLIDAYS = ["20260101", "20260216", "20260217", "20260218", "20260302", "20260505", "20260525",
            "20260817", "20260924", "20260925", "20261005", "20261009", "20261225"]
PATTERNS = [
    "pattern 1 1111100 20260101 20261231 " + " ".join("-" + d for d in HOLIDAYS),
    "pattern 2 0000011 20260101 20261231 " + " ".join("+" + d for d in HOLIDAYS),
    "pattern 3 1111111 20260101 20261231 -20260315 -20260913",
]


def read_table(path):
    """The file's lines as lists of cells (the '/' and line end dropped, up to '=')."""
    with open(path, encoding="ascii") as f:
        text = f.read().split("=")[0]
    lines = []
    for line in text.splitlines():
        if line.endswith("/"):
            line = line[:-1]
        cells = line.split("\t")
        lines.append([c for c in cells if c != ""] if line else [])
    return [l for l in lines if l]


def minutes(cell):
    hour, minute = int(cell[:2]), int(cell[2:])
    return (hour - 30 + 24 if cell[0] == "3" else hour) * 60 + minute


def cell(total):
    hour, minute = divmod(total, 60)
    return f"{hour - 24 + 30 if hour >= 24 else hour:02d}{minute:02d}"


def write_table(path, rows):
    with open(path, "w", encoding="ascii", newline="") as f:
        for row in rows:
            f.write("".join(c + "\t" for c in row) + "/\r\n")
        f.write("=")


def busy_sheets(path, direction):
    """The route direction's trains, 320 of them, as the rows of each sheet."""
    table = read_table(path)
    stations = [row[0] for row in table[2:]]
    templates = []
    for k in range(1, len(table[0])):
        times = [row[k] if k < len(row) else "9999" for row in table[2:]]
        if sum(t != "9999" for t in times) >= 2:
            templates.append((table[0][k], times))
    columns = []
    for i in range(TRAINS):
        code, times = templates[i % len(templates)]
        first = min(minutes(t) for t in times if t != "9999")
        shift = FIRST_DEPARTURE + round(i * SPACING) - first
        number = f"{5001 + 2 * i + (1 if direction == 'Up' else 0):04d}"
        # Plain type codes: the dates say which days a train runs.
        times = [t if t == "9999" else cell(minutes(t) + shift) for t in times]
        columns.append(("000" + code[3], number, times))
    sheets = []
    for start in range(0, TRAINS, SHEET):
        part = columns[start:start + SHEET]
        rows = [["TYPE"] + [c[0] for c in part], ["TRNO"] + [c[1] for c in part]]
        for s, station in enumerate(stations):
            rows.append([station] + [c[2][s] for c in part])
        sheets.append(rows)
    return sheets


def busy_pattern(i):
    return "1" if i % 16 == 0 else "2" if i % 16 == 8 else "*"


def other_pattern(i):
    return "3" if i % 7 == 3 else "1" if i % 11 == 5 else "*"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    source, out = sys.argv[1], os.path.join(sys.argv[2], "TimeData")
    os.makedirs(out, exist_ok=True)
    lines = ["velomar-dates 1", f"period {PERIOD[0]} {PERIOD[1]}"] + PATTERNS
    for direction in ("Up", "Down"):
        for route in range(32):
            name = f"{direction}Data_{route:02d}.txt"
            if route != BUSY_ROUTE:
                shutil.copyfile(os.path.join(source, name), os.path.join(out, name))
                trains = len(read_table(os.path.join(out, name))[0]) - 1
                lines.append(name + "".join(" " + other_pattern(i) for i in range(trains)))
                continue
            for s, rows in enumerate(busy_sheets(os.path.join(source, name), direction)):
                sheet = name if s == 0 else f"{direction}Data_{route:02d}.{s + 1}.txt"
                write_table(os.path.join(out, sheet), rows)
                first = s * SHEET
                lines.append(sheet + "".join(" " + busy_pattern(first + i)
                                             for i in range(len(rows[0]) - 1)))
    with open(os.path.join(out, "Dates.txt"), "w", encoding="ascii") as f:
        f.write("\n".join(lines) + "\n")
    print(f"busy_set.py: {out}: route {BUSY_ROUTE} with {TRAINS} trains a direction in "
          f"{(TRAINS + SHEET - 1) // SHEET} sheets, Dates.txt for {PERIOD[0]}-{PERIOD[1]}")


if __name__ == "__main__":
    main()
