#include "import/service_calendar.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <vector>

#include "import/csv_reader.h"
#include "timetable/calendar_date.h"

namespace velomar {

namespace {

struct CalendarRow {
    std::string id;
    WeekDays weekdays;  // bit 0 Monday
    int start;
    int end;
};

struct Calendar {
    std::vector<CalendarRow> rows;
    bool hasDates = false;  // calendar_dates.txt is there
};

constexpr const char* kWeekdayColumns[] = {"monday", "tuesday",  "wednesday", "thursday",
                                           "friday", "saturday", "sunday"};

bool ReadCalendar(const FeedSource& feed, Calendar& calendar, std::string& error) {
    auto source = feed.open("calendar.txt", error);
    if (!source) {
        return error.empty();
    }
    CsvTable table(std::move(source), "calendar.txt");
    std::vector<std::string_view> required = {"service_id", "start_date", "end_date"};
    required.insert(required.end(), std::begin(kWeekdayColumns), std::end(kWeekdayColumns));
    if (!table.start(required)) {
        error = table.error();
        return false;
    }
    TextMap<int> seen;
    while (table.next()) {
        CalendarRow row{std::string(TrimBlanks(table.field(table.column("service_id")))), 0, 0, 0};
        for (int day = 0; day < 7; ++day) {
            const std::string_view flag =
                TrimBlanks(table.field(table.column(kWeekdayColumns[day])));
            if (flag != "0" && flag != "1") {
                error = table.where(std::string(kWeekdayColumns[day]) + " must be 0 or 1, not '" +
                                    std::string(flag) + "'");
                return false;
            }
            row.weekdays |= static_cast<WeekDays>(flag == "1" ? 1 << day : 0);
        }
        const auto start = GtfsDayNumber(TrimBlanks(table.field(table.column("start_date"))));
        const auto end = GtfsDayNumber(TrimBlanks(table.field(table.column("end_date"))));
        if (!start || !end) {
            error = table.where("start_date and end_date must be dates YYYYMMDD");
            return false;
        }
        if (row.id.empty() || !seen.emplace(row.id, 0).second) {
            error = table.where(row.id.empty() ? "service_id is empty"
                                               : "service_id '" + row.id + "' is given twice");
            return false;
        }
        row.start = *start;
        row.end = *end;
        calendar.rows.push_back(std::move(row));
    }
    error = table.error();
    return error.empty();
}

// Every service's days in [first, first + length) as bits (bit i: day first + i), with the
// exceptions of calendar_dates.txt applied. Also widens the feed's period by the dates seen.
bool WindowMasks(const FeedSource& feed, const Calendar& calendar, int first, int length,
                 TextMap<std::uint32_t>& masks, ServiceWeek& period, std::string& error) {
    masks.clear();
    for (const CalendarRow& row : calendar.rows) {
        std::uint32_t mask = 0;
        for (int i = 0; i < length; ++i) {
            const int day = first + i;
            if (day >= row.start && day <= row.end && (row.weekdays >> WeekdayOf(day)) & 1) {
                mask |= 1u << i;
            }
        }
        masks[row.id] = mask;
    }
    auto source = feed.open("calendar_dates.txt", error);
    if (!source) {
        return error.empty();
    }
    CsvTable table(std::move(source), "calendar_dates.txt");
    if (!table.start({"service_id", "date", "exception_type"})) {
        error = table.error();
        return false;
    }
    const auto idColumn = table.column("service_id");
    const auto dateColumn = table.column("date");
    const auto typeColumn = table.column("exception_type");
    while (table.next()) {
        const auto day = GtfsDayNumber(TrimBlanks(table.field(dateColumn)));
        const std::string_view type = TrimBlanks(table.field(typeColumn));
        if (!day || (type != "1" && type != "2")) {
            error = table.where(!day ? "date must be a date YYYYMMDD"
                                     : "exception_type must be 1 (added) or 2 (removed)");
            return false;
        }
        if (type == "1") {
            period.periodStart = std::min(period.periodStart.value_or(INT_MAX), *day);
            period.periodEnd = std::max(period.periodEnd.value_or(INT_MIN), *day);
        }
        if (*day < first || *day >= first + length) {
            continue;
        }
        const std::string_view id = TrimBlanks(table.field(idColumn));
        auto it = masks.find(id);
        if (it == masks.end()) {
            it = masks.emplace(std::string(id), 0u).first;
        }
        const std::uint32_t bit = 1u << (*day - first);
        it->second = type == "1" ? it->second | bit : it->second & ~bit;
    }
    error = table.error();
    return error.empty();
}

// The first day on or after `from` that a calendar row or an added date gives service on,
// before removals; INT_MAX when there is none.
bool NextCandidate(const FeedSource& feed, const Calendar& calendar, int from, int& day,
                   std::string& error) {
    day = INT_MAX;
    for (const CalendarRow& row : calendar.rows) {
        for (int d = std::max(from, row.start); row.weekdays != 0 && d <= row.end && d < day; ++d) {
            if ((row.weekdays >> WeekdayOf(d)) & 1) {
                day = d;
                break;
            }
        }
    }
    auto source = feed.open("calendar_dates.txt", error);
    if (!source) {
        return error.empty();
    }
    CsvTable table(std::move(source), "calendar_dates.txt");
    if (!table.start({"service_id", "date", "exception_type"})) {
        error = table.error();
        return false;
    }
    while (table.next()) {
        const auto date = GtfsDayNumber(TrimBlanks(table.field(table.column("date"))));
        if (date && *date >= from &&
            TrimBlanks(table.field(table.column("exception_type"))) == "1") {
            day = std::min(day, *date);
        }
    }
    error = table.error();
    return error.empty();
}

// Looks at two weeks at a time so that a first day found in the first of them has its whole
// week in view; a stretch with no service skips to the next day that may have some.
bool DefaultWeek(const FeedSource& feed, const Calendar& calendar, int& week, ServiceWeek& out,
                 std::string& error) {
    int from = INT_MIN / 2;
    for (int round = 0; round < 10000; ++round) {
        int candidate = 0;
        if (!NextCandidate(feed, calendar, from, candidate, error)) {
            return false;
        }
        if (candidate == INT_MAX) {
            break;
        }
        TextMap<std::uint32_t> masks;
        if (!WindowMasks(feed, calendar, candidate, 14, masks, out, error)) {
            return false;
        }
        std::uint32_t any = 0;
        for (const auto& [id, mask] : masks) {
            any |= mask;
        }
        if (any != 0) {
            const int first = std::countr_zero(any);
            if (first <= 7) {
                week = candidate + first;
                return true;
            }
            from = candidate + first;
        } else {
            from = candidate + 14;
        }
    }
    error = "calendar.txt and calendar_dates.txt give no day of service";
    return false;
}

}  // namespace

bool ReadServiceWeek(const FeedSource& feed, std::optional<int> week, ServiceWeek& out,
                     std::string& error) {
    Calendar calendar;
    if (!ReadCalendar(feed, calendar, error)) {
        return false;
    }
    std::string datesError;
    calendar.hasDates = feed.open("calendar_dates.txt", datesError) != nullptr;
    if (!datesError.empty()) {
        error = datesError;
        return false;
    }
    if (calendar.rows.empty() && !calendar.hasDates) {
        error = "the feed has neither calendar.txt nor calendar_dates.txt (or both are empty)";
        return false;
    }
    for (const CalendarRow& row : calendar.rows) {
        out.periodStart = std::min(out.periodStart.value_or(INT_MAX), row.start);
        out.periodEnd = std::max(out.periodEnd.value_or(INT_MIN), row.end);
    }
    int first = 0;
    if (week) {
        first = *week;
    } else if (!DefaultWeek(feed, calendar, first, out, error)) {
        return false;
    }
    TextMap<std::uint32_t> masks;
    if (!WindowMasks(feed, calendar, first, 7, masks, out, error)) {
        return false;
    }
    out.firstDay = first;
    for (const auto& [id, mask] : masks) {
        WeekDays days = 0;
        for (int i = 0; i < 7; ++i) {
            if ((mask >> i) & 1) {
                days |= static_cast<WeekDays>(1 << WeekdayOf(first + i));
            }
        }
        if (days != 0) {
            out.days.emplace(id, days);
        }
    }
    return true;
}

}  // namespace velomar
