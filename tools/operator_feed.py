#!/usr/bin/env python3
"""A synthetic GTFS feed shaped like the national rail operator's weekly feed.

One GTFS route per train type (KTX, KTX-산천, KTX-이음, ITX-새마을, ITX-마음, 새마을, 무궁화,
누리로, ITX-청춘), trip_short_name the train number, stop ids short Latin slugs and stop
names Korean, platforms under their stations at the large ones, stations under today's
names (광주송정, 여수엑스포, 태화강, 쌍룡) and stations the network has no row for (김천(구미),
울산(통도사), 신경주, 오송, ...). calendar.txt holds the weekday, weekend and daily services
of each week, whose trips keep the same times every week; halfway through the weeks some
trains change their times (a new timetable). calendar_dates.txt moves the public holidays to
the weekend timetable. feed_info.txt, agency.txt and attributions.txt carry a CC BY 4.0
licence and its attribution.

Deterministic: the same arguments give the same bytes (a fixed seed, no clock).

    tools/operator_feed.py OUT                       # two weeks from 2025-09-29
    tools/operator_feed.py OUT --zip OUT.zip         # and the same files zipped
    tools/operator_feed.py OUT --scale 3             # three times the trains a day
    tools/operator_feed.py OUT --weeks 52 --scale 4.63   # the benchmark's feed: a year, 100,000 trips
    tools/operator_feed.py OUT --weeks 52 --years 10 --dense-dates

Used as a module by tests/import/operator_feed_test.py and bench/import_bench.py: `build`
returns the trips it wrote, so they can check what the import made of them.
"""

import argparse
import datetime
import os
import random
import zipfile

FIRST_DAY = datetime.date(2025, 9, 29)  # a Monday
SEED = 14

# Public holidays of the year from 2025-09-29: 개천절, 추석 and its substitute day, 한글날,
# 성탄절, 신정, 설날, 삼일절's substitute day, 어린이날, 부처님오신날's substitute day, 광복절's
# substitute day, 추석, 한글날.
HOLIDAYS = [datetime.date(2025, 10, 3), datetime.date(2025, 10, 5), datetime.date(2025, 10, 6),
            datetime.date(2025, 10, 7), datetime.date(2025, 10, 8), datetime.date(2025, 10, 9),
            datetime.date(2025, 12, 25), datetime.date(2026, 1, 1), datetime.date(2026, 2, 16),
            datetime.date(2026, 2, 17), datetime.date(2026, 2, 18), datetime.date(2026, 3, 2),
            datetime.date(2026, 5, 5), datetime.date(2026, 5, 25), datetime.date(2026, 8, 17),
            datetime.date(2026, 9, 24), datetime.date(2026, 9, 25), datetime.date(2026, 10, 9)]

# Stations the network lists under an older name or another spelling: the feed uses today's.
RENAMED = {"광주송정": "송정리", "여수엑스포": "여수", "태화강": "울산", "쌍룡": "쌍용"}
# Stations of the feed the network has no row for; never to be matched by a part of the name.
NEW_STATIONS = {"김천(구미)", "울산(통도사)", "신경주", "오송", "공주", "서원주", "만종", "횡성",
                "둔내", "평창", "진부", "상봉", "창원중앙", "서대구"}
# Large stations: their trains call at platforms, stops of their own under the station.
PLATFORM_STATIONS = {"서울", "용산", "부산", "대전", "동대구", "광주송정", "청량리", "부전"}

# Services: (route short name, number of first train, trains a day each way, minutes a
# segment (min, max), stops). Down trains run the stops in this order.
LINES = [
    ("KTX", 1, 34, (9, 20), "서울 광명 천안아산 오송 대전 김천(구미) 서대구 동대구 신경주 울산(통도사) 부산"),
    ("KTX", 101, 6, (9, 20), "서울 광명 천안아산 대전 동대구 밀양 구포 부산"),
    ("KTX", 401, 14, (9, 20), "용산 광명 천안아산 오송 공주 익산 정읍 광주송정 나주 목포"),
    ("KTX", 501, 8, (9, 20), "용산 광명 천안아산 오송 익산 전주 남원 곡성 구례구 순천 여천 여수엑스포"),
    ("KTX-산천", 201, 6, (9, 20), "서울 광명 천안아산 오송 대전 김천(구미) 동대구 밀양 진영 창원중앙 창원 마산 진주"),
    ("KTX-산천", 231, 5, (9, 20), "서울 광명 천안아산 오송 대전 김천(구미) 동대구 포항"),
    ("KTX-이음", 701, 5, (12, 22), "청량리 양평 서원주 원주 제천 단양 풍기 영주 안동"),
    ("KTX-이음", 801, 7, (12, 22), "서울 청량리 상봉 양평 만종 횡성 둔내 평창 진부 강릉"),
    ("ITX-새마을", 1001, 7, (8, 16), "서울 영등포 수원 평택 천안 조치원 대전 김천 구미 왜관 대구 동대구 밀양 구포 부산"),
    ("ITX-마음", 1061, 4, (8, 16), "서울 영등포 수원 천안 조치원 청주 오근장 증평 음성 주덕 충주 제천"),
    ("새마을", 1101, 5, (8, 16), "용산 영등포 수원 평택 천안 아산 온양온천 예산 홍성 대천 서천 군산 익산"),
    ("무궁화", 1201, 24, (4, 11),
     "서울 영등포 안양 수원 오산 서정리 평택 성환 천안 소정리 전의 조치원 부강 신탄진 대전 옥천 이원 "
     "지탄 심천 각계 영동 황간 추풍령 김천 아포 구미 사곡 약목 왜관 신동 대구 동대구 경산 남성현 "
     "청도 상동 밀양 삼랑진 원동 물금 화명 구포 사상 부산"),
    ("무궁화", 1301, 8, (4, 11),
     "용산 영등포 안양 수원 평택 천안 아산 온양온천 도고온천 신례원 예산 삽교 홍성 광천 청소 대천 "
     "웅천 판교 서천 장항 군산 대야 임피 익산"),
    ("무궁화", 1401, 11, (4, 11),
     "용산 영등포 안양 수원 오산 서정리 평택 천안 전의 조치원 부강 신탄진 서대전 가수원 계룡 연산 "
     "논산 강경 함열 익산 김제 신태인 정읍 천원 백양사 장성 극락강 광주송정 나주 다시 고막원 함평 "
     "무안 몽탄 일로 목포"),
    ("무궁화", 1501, 7, (4, 11),
     "용산 영등포 안양 수원 오산 서정리 평택 성환 천안 전의 조치원 부강 신탄진 서대전 계룡 연산 "
     "논산 강경 함열 익산 동익산 삼례 동산 송천 전주 아중 신리 관촌 임실 오수 남원 곡성 압록 구례구 "
     "괴목 순천 덕양 여천 미평 여수엑스포"),
    ("무궁화", 1901, 5, (5, 13),
     "부전 사상 구포 화명 물금 원동 삼랑진 한림정 진영 창원 마산 중리 함안 군북 반성 진주 완사 "
     "북천 횡천 하동 진상 옥곡 광양 순천"),
    ("무궁화", 1601, 6, (5, 13),
     "부전 동래 해운대 송정 기장 일광 좌천 월내 남창 덕하 태화강 호계 불국사 경주 안강 영천 하양 동대구"),
    ("무궁화", 1621, 5, (5, 13),
     "청량리 덕소 양평 용문 석불 양동 원주 신림 봉양 제천 도담 단양 풍기 영주 옹천 안동"),
    ("무궁화", 1681, 4, (5, 13),
     "동대구 대구 왜관 구미 김천 옥산 상주 함창 점촌 용궁 예천 영주 봉화 춘양 현동 분천 승부 석포 "
     "철암 도계 신기 동해 묵호 정동진 강릉"),
    ("무궁화", 1641, 3, (5, 13), "제천 쌍룡 영월 예미 자미원 민둥산 별어곡 선평 정선 아우라지"),
    ("누리로", 1951, 4, (6, 12), "서울 용산 영등포 수원 오산 평택 성환 천안 아산 온양온천 신창"),
    ("ITX-청춘", 2001, 16, (4, 9),
     "용산 청량리 상봉 성북 화랑대 퇴계원 사릉 금곡 평내호평 마석 대성리 청평 상천 가평 경강 "
     "백양리 강촌 김유정 남춘천"),
]
ROUTE_IDS = {"KTX": "K1", "KTX-산천": "K2", "KTX-이음": "K3", "ITX-새마을": "I1", "ITX-마음": "I2",
             "새마을": "S1", "무궁화": "M1", "누리로": "N1", "ITX-청춘": "C1"}

# Hangul to Latin letters (close to the Revised Romanization) for the stop ids.
_INITIALS = "g kk n d tt r m b pp s ss - j jj ch k t p h".split()
_VOWELS = "a ae ya yae eo e yeo ye o wa wae oe yo u wo we wi yu eu ui i".split()
_FINALS = ("- k k k n n n t l k m l l l p l m p p t t ng t t k t p t").split()


def romanize(text):
    out = []
    for ch in text:
        code = ord(ch) - 0xAC00
        if 0 <= code < 11172:
            parts = (_INITIALS[code // 588], _VOWELS[code % 588 // 28], _FINALS[code % 28])
            out.append("".join(p for p in parts if p != "-"))
        elif ch.isascii() and ch.isalnum():
            out.append(ch.lower())
    return "".join(out)


def gtfs_time(minutes):
    return f"{minutes // 60:02d}:{minutes % 60:02d}:00"


class Trip:
    """One trip as written: its stops (feed names) with arrival and departure minutes."""

    def __init__(self, trip_id, route, number, service, calls):
        self.trip_id, self.route, self.number, self.service = trip_id, route, number, service
        self.calls = calls  # [(name, arrival, departure)]


def services_of_week(week):
    """The services of one week, each (id, weekdays Monday first)."""
    return [(f"WD{week}", "1111100"), (f"WE{week}", "0000011"), (f"FSS{week}", "0000111"),
            (f"DA{week}", "1111111")]


# Numbers of the trains a scale adds beyond a line's own: a block of 300 per line from 3000,
# odd going down, even going up, as the line's own.
EXTRA_FIRST, EXTRA_BLOCK = 3000, 300


def scaled(per_day, scale):
    return max(1, round(per_day * scale))


def train_number(index, first, per_day, k, direction):
    if k < per_day:
        return first + 2 * k + direction
    return EXTRA_FIRST + EXTRA_BLOCK * index + 2 * (k - per_day) + direction


def timetable(rng, running, scale):
    """Every train of a day as (route, number, kinds, calls), the same in every week;
    `changed` holds the calls of the trains that get new times halfway through the weeks."""
    plan, changed = [], {}
    for index, (route, first, per_day, _, stops) in enumerate(LINES):
        names = stops.split()
        count = scaled(per_day, scale)
        if 2 * (count - per_day) > EXTRA_BLOCK:
            raise ValueError(f"--scale {scale} gives {route} more trains than it has numbers")
        for direction in (0, 1):
            order = names if direction == 0 else names[::-1]
            segments = running[index] if direction == 0 else running[index][::-1]
            for k in range(count):
                number = train_number(index, first, per_day, k, direction)
                start = 5 * 60 + 20 + k * (17 * 60) // count + rng.randrange(0, 12)
                if route == "무궁화" and k == count - 1:
                    start = 22 * 60 + 40 + rng.randrange(0, 15)  # the night train
                calls = day_calls(order, segments, start)
                # Most trains run daily; some on weekdays, at weekends, or Friday to Sunday
                # as extras; some daily trains are written as a weekday and a weekend trip.
                pick = k % 7
                kinds = {0: ["WD"], 3: ["WE"], 5: ["FSS"], 6: ["WD", "WE"]}.get(pick, ["DA"])
                if route == "누리로":
                    kinds = ["WD"] if k % 2 else ["DA"]
                plan.append((route, str(number), kinds, calls))
                if k % 5 == 2:
                    changed[str(number)] = day_calls(order, segments, start + 7)
    return plan, changed


def day_calls(order, segments, start):
    calls, t = [], start
    for i, name in enumerate(order):
        arrival = t
        departure = t if i in (0, len(order) - 1) else t + 1 + (name in PLATFORM_STATIONS)
        calls.append((name, arrival, departure))
        if i < len(segments):
            t = departure + segments[i]
    return calls


def week_trips(week, plan, changed):
    """The trips of one week: the day's trains under the week's own services and trip ids."""
    trips = []
    for route, number, kinds, calls in plan:
        calls = changed.get(number, calls) if changed else calls
        for kind in kinds:
            trip_id = f"{ROUTE_IDS[route]}-{number}-{kind}{week}"
            trips.append(Trip(trip_id, route, number, f"{kind}{week}", calls))
    return trips


def sundays(first, last):
    day = first + datetime.timedelta(days=(6 - first.weekday()) % 7)
    while day <= last:
        yield day
        day += datetime.timedelta(days=7)


def build(weeks=2, years=None, dense_dates=False, seed=SEED, scale=1.0):
    """The feed's files as {name: [lines]} and its trips.

    weeks: weeks of timetable, each with services and trips of its own (the feed's trips
    grow with it). years: spread those weeks evenly over so many years (the calendar's
    period grows, the trips stay the same). dense_dates: calendar_dates.txt also removes
    every service on every Sunday of the period outside its own week, which changes no day
    of service but makes the file grow with the period. scale: trains a day of every line,
    times this.
    """
    rng = random.Random(seed)
    running = [[rng.randrange(*line[3]) for _ in line[4].split()[1:]] for line in LINES]
    plan, changed = timetable(rng, running, scale)
    span_days = 7 * weeks if years is None else round(365.25 * years) // 7 * 7
    if span_days < 7 * weeks:
        raise ValueError(f"{weeks} weeks do not fit into {years} years")
    last_day = FIRST_DAY + datetime.timedelta(days=span_days - 1)
    calendar = ["service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,"
                "start_date,end_date"]
    dates = ["service_id,date,exception_type"]
    trips = []
    for week in range(weeks):
        start = FIRST_DAY + datetime.timedelta(days=7 * (week * (span_days // 7) // weeks))
        end = start + datetime.timedelta(days=6)
        for service, days in services_of_week(week):
            calendar.append(f"{service},{','.join(days)},{start:%Y%m%d},{end:%Y%m%d}")
            # On a holiday the weekday timetable gives way to the weekend one.
            for day in (d for d in HOLIDAYS if start <= d <= end):
                if service.startswith("WD") and days[day.weekday()] == "1":
                    dates.append(f"{service},{day:%Y%m%d},2")
                elif service.startswith("WE") and days[day.weekday()] == "0":
                    dates.append(f"{service},{day:%Y%m%d},1")
            if dense_dates:
                dates += [f"{service},{d:%Y%m%d},2" for d in sundays(FIRST_DAY, last_day)
                          if not start <= d <= end]
        trips += week_trips(week, plan, changed if 2 * week >= weeks else None)
    return feed_files(trips, calendar, dates, last_day), trips


def stop_rows():
    """stops.txt: a station per name, and platforms under the large ones."""
    names = []
    for line in LINES:
        for name in line[4].split():
            if name not in names:
                names.append(name)
    ids, rows, used = {}, ["stop_id,stop_name,stop_lat,stop_lon,location_type,parent_station"], set()
    for n, name in enumerate(names):
        slug = romanize(name)[:10] or f"st{n}"
        while slug in used:
            slug += "x"
        used.add(slug)
        lat, lon = 34.7 + (n * 37 % 300) / 100, 126.4 + (n * 53 % 300) / 100
        if name in PLATFORM_STATIONS:
            rows.append(f"{slug},{name},{lat:.4f},{lon:.4f},1,")
            for p in (1, 2):
                rows.append(f"{slug}{p},{name} {p}번 승강장,{lat:.4f},{lon:.4f},0,{slug}")
            ids[name] = [f"{slug}1", f"{slug}2"]
        else:
            rows.append(f"{slug},{name},{lat:.4f},{lon:.4f},0,")
            ids[name] = [slug]
    return rows, ids


def feed_files(trips, calendar, dates, last_day):
    stops, stop_ids = stop_rows()
    routes = ["route_id,agency_id,route_short_name,route_long_name,route_type"]
    for name, route_id in ROUTE_IDS.items():
        routes.append(f"{route_id},OP,{name},{name},2")
    trip_rows = ["route_id,service_id,trip_id,trip_short_name,direction_id"]
    times = ["trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,drop_off_type"]
    for trip in trips:
        direction = int(trip.number) % 2 == 0
        trip_rows.append(f"{ROUTE_IDS[trip.route]},{trip.service},{trip.trip_id},{trip.number},"
                         f"{int(direction)}")
        for seq, (name, arrival, departure) in enumerate(trip.calls, start=1):
            ids = stop_ids[name]
            stop = ids[int(trip.number) % len(ids)]
            times.append(f"{trip.trip_id},{gtfs_time(arrival)},{gtfs_time(departure)},{stop},"
                         f"{seq},0,0")
    licence = "CC BY 4.0"
    return {
        "agency.txt": ["agency_id,agency_name,agency_url,agency_timezone,agency_lang",
                       "OP,벨로마 합성 철도,https://example.org/velomar-rail,Asia/Seoul,ko"],
        "feed_info.txt": ["feed_publisher_name,feed_publisher_url,feed_lang,feed_start_date,"
                          "feed_end_date,feed_version,feed_license,feed_license_url",
                          f"Velomar synthetic rail data,https://example.org/velomar-rail,ko,"
                          f"{FIRST_DAY:%Y%m%d},{last_day:%Y%m%d},{FIRST_DAY:%Y%m%d}-synthetic,"
                          f"{licence},https://creativecommons.org/licenses/by/4.0/"],
        "attributions.txt": ["attribution_id,organization_name,is_producer,attribution_url",
                             "A1,\"Velomar synthetic rail data, CC BY 4.0\",1,"
                             "https://example.org/velomar-rail"],
        "stops.txt": stops,
        "routes.txt": routes,
        "trips.txt": trip_rows,
        "stop_times.txt": times,
        "calendar.txt": calendar,
        "calendar_dates.txt": dates,
    }


def write(files, folder, zip_path=None):
    """The files as CR LF text into folder (and zip_path, deflated), as the operator's are."""
    os.makedirs(folder, exist_ok=True)
    for name, lines in files.items():
        with open(os.path.join(folder, name), "w", encoding="utf-8", newline="") as f:
            for line in lines:
                f.write(line + "\r\n")
    if zip_path:
        with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as z:
            for name in sorted(files):
                z.write(os.path.join(folder, name), name)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("out", help="folder for the .txt files")
    parser.add_argument("--zip", help="also write the files into this zip archive")
    parser.add_argument("--weeks", type=int, default=2)
    parser.add_argument("--years", type=float, help="spread the weeks over this many years")
    parser.add_argument("--dense-dates", action="store_true")
    parser.add_argument("--seed", type=int, default=SEED)
    parser.add_argument("--scale", type=float, default=1.0,
                        help="trains a day of every line, times this")
    args = parser.parse_args()
    files, trips = build(args.weeks, args.years, args.dense_dates, args.seed, args.scale)
    write(files, args.out, args.zip)
    rows = sum(len(t.calls) for t in trips)
    print(f"operator_feed.py: {len(trips)} trips, {rows} stop times in {args.out}")


if __name__ == "__main__":
    main()
