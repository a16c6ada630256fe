#!/usr/bin/env python3
"""velomar-cli import-gtfs on the operator-shaped synthetic feed (tools/operator_feed.py).

The feed is made in a temporary folder and zipped; the import of the zip must account for
every trip as the feed's own shape predicts, write a set `check` finds clean (and the same
as the import of the unzipped folder), and answer searches with trains the feed has, at
the feed's times.

Usage: operator_feed_test.py --bin BUILD/bin   (CTest runs it as import.operator_feed)
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools"))
import operator_feed  # noqa: E402

BIN = None
# Train types as the search labels them: the plain label, or the prefix of a day code's.
LABELS = {"KTX": ("KTX", "(K)"), "새마을": ("새마을", "(새)"), "무궁화": ("무궁화", "(무)"),
          "누리로": ("누리로", "누")}
FAMILY = {"KTX": "KTX", "KTX-산천": "KTX", "KTX-이음": "KTX", "ITX-새마을": "새마을",
          "ITX-마음": "새마을", "새마을": "새마을", "무궁화": "무궁화", "누리로": "누리로"}
# Pairs a traveller asks for, through renamed stations (송정리 is 광주송정 in the feed, 여수
# 여수엑스포, 울산 태화강) and platforms (서울, 부산, 용산, 청량리, 부전).
SEARCHES = [("서울", "부산", "07:00", None), ("서울", "부산", "21:00", None),
            ("서울", "대전", "06:00", "KTX"), ("용산", "송정리", "08:00", None),
            ("용산", "여수", "12:00", None), ("부전", "울산", "06:00", None),
            ("청량리", "안동", "09:00", None), ("천안", "온양온천", "06:00", "누리로"),
            ("대전", "동대구", "18:00", "새마을")]


def cli(*args):
    done = subprocess.run([os.path.join(BIN, "velomar-cli"), *args], capture_output=True,
                          check=False)
    return done.returncode, done.stdout.decode("utf-8"), done.stderr.decode("utf-8")


def network_name(feed_name):
    return operator_feed.RENAMED.get(feed_name, feed_name)


def clock(minutes):
    return f"{minutes // 60 % 24:02d}:{minutes % 60:02d}"


def cell_minutes(cell):
    """A timetable cell in minutes of the service day: "3015" is 24:15."""
    hours = 24 + int(cell[1]) if cell[0] == "3" else int(cell[:2])
    return hours * 60 + int(cell[2:])


class OperatorFeed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory(prefix="velomar-operator-")
        root = cls.temp.name
        files, cls.trips = operator_feed.build()
        operator_feed.write(files, os.path.join(root, "feed"), os.path.join(root, "feed.zip"))
        cls.out = os.path.join(root, "data")
        status, text, err = cli("import-gtfs", os.path.join(root, "feed.zip"), "--out", cls.out,
                                "--format", "json")
        assert status == 0, err
        cls.report = json.loads(text)
        cls.settings = os.path.join(root, "settings.sqlite3")
        # The first week is imported; the second week's services do not run in it.
        cls.week = [t for t in cls.trips if t.service.endswith("0")]

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def test_report_accounts_for_every_trip(self):
        r = self.report
        self.assertEqual(r["weekStart"], "2025-09-29")
        self.assertEqual(r["tripsRead"], len(self.trips))
        self.assertEqual(r["tripsImported"] + sum(r["notImported"].values()), r["tripsRead"])
        unmapped = [t for t in self.week if t.route == "ITX-청춘"]
        self.assertEqual(r["notImported"], {
            "notInWeek": len(self.trips) - len(self.week), "typeNotMapped": len(unmapped),
            "numberNotWritable": 0, "fewerThanTwoCalls": 0, "timesNotRepresentable": 0,
            "fileFull": 0, "numberTaken": 0})
        self.assertEqual(r["typesNotMapped"], [{"route": "ITX-청춘", "trips": len(unmapped)}])
        # A weekday and a weekend trip of one number and times are one train every day.
        services = {}
        for t in self.week:
            services.setdefault((t.route, t.number), []).append(t.service[:-1])
        pairs = sum(1 for (route, _), s in services.items()
                    if sorted(s) == ["WD", "WE"] and route != "ITX-청춘")
        self.assertEqual(r["trains"], r["tripsImported"] - pairs)
        # The holiday on Friday leaves weekday trains Monday to Thursday, which no train code
        # shows; the weekend trains gain the Friday (Friday to Sunday is a code).
        weekday_only = sum(1 for (route, _), s in services.items()
                           if s == ["WD"] and route != "ITX-청춘")
        self.assertEqual(r["shownOnMoreDays"], weekday_only)

    def test_stations_are_matched_by_name_and_rename_only(self):
        lines = {s["stop"]: s for s in self.report["stations"]}
        unmatched = {name for name, s in lines.items() if s["station"] is None}
        self.assertEqual(unmatched, operator_feed.NEW_STATIONS)
        for now, before in operator_feed.RENAMED.items():
            self.assertEqual((lines[now]["station"], lines[now]["how"]), (before, "renamed"))
        # Platforms are folded into their station, which matches by its name.
        self.assertEqual(lines["서울"]["how"], "name")
        self.assertNotIn("서울 1번 승강장", lines)

    def test_the_set_checks_clean_and_zip_and_folder_agree(self):
        status, text, _ = cli("check", self.out)
        self.assertEqual(status, 0, text)
        self.assertIn(" 0 problems", text)
        folder_out = os.path.join(self.temp.name, "from-folder")
        status, _, err = cli("import-gtfs", os.path.join(self.temp.name, "feed"), "--out",
                             folder_out)
        self.assertEqual(status, 0, err)
        for name in sorted(os.listdir(os.path.join(self.out, "TimeData"))):
            if name == "SOURCE.txt":
                continue
            with open(os.path.join(self.out, "TimeData", name), "rb") as a, \
                    open(os.path.join(folder_out, "TimeData", name), "rb") as b:
                self.assertEqual(a.read(), b.read(), name)
        with open(os.path.join(self.out, "TimeData", "SOURCE.txt"), encoding="utf-8") as f:
            source = f.read()
        self.assertIn("licence: CC BY 4.0 https://creativecommons.org/licenses/by/4.0/", source)
        self.assertIn("attribution: Velomar synthetic rail data, CC BY 4.0", source)

    def calls_between(self, trip, departure, arrival):
        names = [network_name(name) for name, _, _ in trip.calls]
        if departure not in names or arrival not in names[names.index(departure) + 1:]:
            return None
        start = trip.calls[names.index(departure)]
        end_at = names.index(arrival, names.index(departure) + 1)
        # A cell holds the departure, the arrival only at the last call.
        end = trip.calls[end_at]
        return start[2], end[1] if end_at == len(names) - 1 else end[2]

    def test_searches_list_the_feeds_trains_at_its_times(self):
        for departure, arrival, time, kind in SEARCHES:
            args = ["--data", self.out, "--settings", self.settings, "search", departure,
                    arrival, "--time", time, "--format", "tsv"]
            status, text, err = cli(*args, *(["--type", kind] if kind else []))
            with self.subTest(pair=(departure, arrival, time, kind)):
                self.assertEqual(status, 0, err)
                rows = [line.split("\t") for line in text.splitlines()]
                self.assertTrue(rows, "no trains found")
                for number, dep, arr, label, _, cell in rows:
                    matches = []
                    for trip in self.week:
                        times = self.calls_between(trip, departure, arrival)
                        if int(trip.number) == int(number) and times and trip.route in FAMILY:
                            matches.append((clock(times[0]), clock(times[1]), trip.route))
                    self.assertEqual(clock(cell_minutes(cell)), dep)
                    self.assertTrue(any(m[:2] == (dep, arr) for m in matches),
                                    f"{number} {dep}-{arr} is no train of the feed: {matches}")
                    family = FAMILY[matches[0][2]]
                    self.assertTrue(label == LABELS[family][0] or
                                    label.startswith(LABELS[family][1]), (number, label))
                    if kind:
                        self.assertEqual(family, kind, number)
                # Trains running every day take precedence in a full file, so none can be
                # missing: the first row leaves no later than the first daily train.
                daily = []
                for trip in self.week:
                    times = self.calls_between(trip, departure, arrival)
                    if times and trip.service.startswith("DA") and trip.route in FAMILY and \
                            times[0] >= cell_minutes(time.replace(":", "")) and \
                            (not kind or FAMILY[trip.route] == kind):
                        daily.append(times[0])
                departures = [cell_minutes(r[5]) for r in rows]
                if daily:
                    self.assertLessEqual(departures[0], min(daily))
                self.assertEqual(departures, sorted(departures))


def main():
    global BIN
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="the folder with velomar-cli")
    args, rest = parser.parse_known_args()
    BIN = args.bin
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
