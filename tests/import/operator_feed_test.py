#!/usr/bin/env python3
"""velomar-cli import-gtfs on the operator-shaped synthetic feed (tools/operator_feed.py).

The feed is made in a temporary folder and zipped; the import of the zip must account for
every trip as the feed's own shape predicts, write a set `check` finds clean (and the same
as the import of the unzipped folder), and answer searches with trains the feed has, at
the feed's times. At three times the feed's trains a day, every pair of every train's calls
must be served by a sheet route selection names, on exactly the train's dates
(operator_feed_check, built beside the tests, reads the set as the readers do).

Usage: operator_feed_test.py --bin BUILD/bin --check PROGRAM   (CTest: import.operator_feed)
"""

import argparse
import datetime
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
CHECK = None
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


def service_days(files):
    """Each service's dates, from the feed's own calendar.txt and calendar_dates.txt."""
    days = {}
    for line in files["calendar.txt"][1:]:
        service, *flags, start, end = line.split(",")
        day = datetime.datetime.strptime(start, "%Y%m%d").date()
        last = datetime.datetime.strptime(end, "%Y%m%d").date()
        days[service] = set()
        while day <= last:
            if flags[day.weekday()] == "1":
                days[service].add(day)
            day += datetime.timedelta(days=1)
    for line in files["calendar_dates.txt"][1:]:
        service, date, kind = line.split(",")
        day = datetime.datetime.strptime(date, "%Y%m%d").date()
        (days.setdefault(service, set()).add if kind == "1" else days[service].discard)(day)
    return days


def trains_of(files, trips):
    """The trains the feed holds: trips of a mapped type with one number and the same calls,
    as {(route, number, calls): set of dates}."""
    days = service_days(files)
    trains = {}
    for trip in trips:
        if trip.route in FAMILY:
            key = (trip.route, trip.number, tuple(trip.calls))
            trains.setdefault(key, set()).update(days[trip.service])
    return trains


# The weekdays (Monday 0) a train code's day letters stand for, by type; a train running on
# other weekdays is shown on more days than it runs.
EXACT_DAYS = [set(range(7)), {4}, {5}, {6}, {0}, {5, 6}, {4, 5, 6}, {4, 6}]


def cell_minutes(cell):
    """A timetable cell in minutes of the service day: "3015" is 24:15."""
    hours = 24 + int(cell[1]) if cell[0] == "3" else int(cell[:2])
    return hours * 60 + int(cell[2:])


class OperatorFeed(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory(prefix="velomar-operator-")
        root = cls.temp.name
        cls.files, cls.trips = operator_feed.build()
        operator_feed.write(cls.files, os.path.join(root, "feed"), os.path.join(root, "feed.zip"))
        cls.out = os.path.join(root, "data")
        status, text, err = cli("import-gtfs", os.path.join(root, "feed.zip"), "--out", cls.out,
                                "--format", "json")
        assert status == 0, err
        cls.report = json.loads(text)
        cls.settings = os.path.join(root, "settings.sqlite3")
        # The feed's whole period is imported: both weeks.
        cls.week = cls.trips

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def test_report_accounts_for_every_trip(self):
        r = self.report
        self.assertEqual(r["period"], {"first": "2025-09-29", "last": "2025-10-12",
                                       "from": "feed", "cut": False})
        self.assertEqual(r["tripsRead"], len(self.trips))
        self.assertEqual(r["tripsImported"] + sum(r["notImported"].values()), r["tripsRead"])
        unmapped = [t for t in self.week if t.route == "ITX-청춘"]
        self.assertEqual(r["notImported"], {
            "notInPeriod": 0, "typeNotMapped": len(unmapped), "numberNotWritable": 0,
            "fewerThanTwoCalls": 0, "timesNotRepresentable": 0, "noRoom": 0})
        self.assertEqual(r["typesNotMapped"], [{"route": "ITX-청춘", "trips": len(unmapped)}])
        # Trips of one number and times are one train: the weekday and the weekend trip, and
        # the trips of both weeks, unless the new timetable of the second week moved it.
        trains = trains_of(self.files, self.trips)
        self.assertEqual(r["trains"], len(trains))
        # Weekday trains run Monday to Friday, which no train code but 누리로's shows: they
        # are shown as daily. Weekend trains also run on the holidays, weekdays included.
        more = 0
        for (route, number, calls), days in trains.items():
            weekdays = {day.weekday() for day in days}
            exact = weekdays in EXACT_DAYS or (route == "누리로" and weekdays == set(range(5)))
            more += 0 if exact else sum(1 for t in self.trips if (t.route, t.number,
                                                                  tuple(t.calls)) ==
                                        (route, number, calls))
        self.assertEqual(r["shownOnMoreDays"], more)

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
                    arrival, "--time", time, "--date", "20251001", "--format", "tsv"]
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
                # Trains running on most days take a file before the others, so none of the
                # first week's daily trains can be missing from the files: the first row
                # leaves no later than the first of them. (The trains the second week moves
                # are further trains, in sheet 2.)
                daily = []
                for trip in self.week:
                    times = self.calls_between(trip, departure, arrival)
                    if times and trip.service == "DA0" and trip.route in FAMILY and \
                            times[0] >= cell_minutes(time.replace(":", "")) and \
                            (not kind or FAMILY[trip.route] == kind):
                        daily.append(times[0])
                departures = [cell_minutes(r[5]) for r in rows]
                if daily:
                    self.assertLessEqual(departures[0], min(daily))
                self.assertEqual(departures, sorted(departures))


class OperatorFeedAtThreeTimes(unittest.TestCase):
    """About a hundred KTX a day each way on the 경부 corridor: its files fill, and further
    sheets take the rest."""

    def test_every_pair_of_calls_is_served_on_the_trains_dates(self):
        with tempfile.TemporaryDirectory(prefix="velomar-operator-3x-") as root:
            files, trips = operator_feed.build(scale=3)
            operator_feed.write(files, os.path.join(root, "feed"))
            out = os.path.join(root, "data")
            status, text, err = cli("import-gtfs", os.path.join(root, "feed"), "--out", out,
                                    "--format", "json")
            self.assertEqual(status, 0, err)
            report = json.loads(text)
            self.assertEqual(report["notImported"]["noRoom"], 0)
            self.assertEqual(report["trainsWithUnservedPairs"], 0)
            sheets = {f["file"]: f["trains"] for f in report["files"]}
            self.assertEqual(sheets["DownData_16.txt"], 79)
            self.assertGreater(sheets.get("DownData_16.2.txt", 0), 0)
            expected = os.path.join(root, "expected.tsv")
            with open(expected, "w", encoding="utf-8") as f:
                for (_, number, calls), days in trains_of(files, trips).items():
                    stops = [f"{network_name(name)} {arrival} {departure}"
                             for name, arrival, departure in calls
                             if name not in operator_feed.NEW_STATIONS]
                    f.write(f"{int(number):04d}\t{','.join(sorted(d.strftime('%Y%m%d') for d in days))}"
                            f"\t{';'.join(stops)}\n")
            done = subprocess.run([CHECK, out, expected], capture_output=True, check=False)
            self.assertEqual(done.returncode, 0, done.stdout.decode("utf-8"))


def main():
    global BIN, CHECK
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="the folder with velomar-cli")
    parser.add_argument("--check", required=True, help="the operator_feed_check program")
    args, rest = parser.parse_known_args()
    BIN, CHECK = args.bin, args.check
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
