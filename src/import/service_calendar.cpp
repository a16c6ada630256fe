#include "import/service_calendar.h"

#include <algorithm>
#include <climits>
#include <map>

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

constexpr const char* kWeekdayColumns[] = {"monday", "tuesday",  "wednesday", "thursday",
                                           "friday", "saturday", "sunday"};

bool ReadCalendarRow(const CsvTable& table, TextMap<int>& seen, CalendarRow& row,
                     std::string& error) {
    row = CalendarRow{std::string(TrimBlanks(table.field(table.column("service_id")))), 0, 0, 0};
    for (int day = 0; day < 7; ++day) {
        const std::string_view flag = TrimBlanks(table.field(table.column(kWeekdayColumns[day])));
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
    return true;
}

bool ReadCalendar(const FeedSource& feed, std::vector<CalendarRow>& rows, std::string& error) {
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
        CalendarRow row;
        if (!ReadCalendarRow(table, seen, row, error)) {
            return false;
        }
        rows.push_back(std::move(row));
    }
    error = table.error();
    return error.empty();
}

// Hands every row of calendar_dates.txt to take(service id, day, added); a feed without the
// file has none.
template <class Take>
bool EachException(const FeedSource& feed, std::string& error, Take take) {
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
        take(TrimBlanks(table.field(idColumn)), *day, type == "1");
    }
    error = table.error();
    return error.empty();
}

struct Calendar {
    const FeedSource& feed;
    std::vector<CalendarRow> rows;
};

// The days each service runs in `window`, exceptions applied; services with none are kept
// too (all bits clear).
bool DaysIn(const Calendar& calendar, ServicePeriod window, TextMap<DaySet>& days,
            std::string& error) {
    const int length = window.last - window.first + 1;
    days.clear();
    for (const CalendarRow& row : calendar.rows) {
        DaySet set(length);
        for (int day = std::max(row.start, window.first); day <= std::min(row.end, window.last);
             ++day) {
            set.set(day - window.first, ((row.weekdays >> WeekdayOf(day)) & 1) != 0);
        }
        days.emplace(row.id, std::move(set));
    }
    return EachException(calendar.feed, error, [&](std::string_view id, int day, bool added) {
        if (!window.contains(day)) {
            return;
        }
        auto it = days.find(id);
        if (it == days.end()) {
            it = days.emplace(std::string(id), DaySet(length)).first;
        }
        it->second.set(day - window.first, added);
    });
}

// The first or the last day (offset in the window) on which any service runs; -1 for none.
int EdgeDay(const TextMap<DaySet>& days, bool last) {
    int edge = -1;
    for (const auto& [id, set] : days) {
        const int day = last ? set.last() : set.first();
        if (day >= 0 && (edge < 0 || (last ? day > edge : day < edge))) {
            edge = day;
        }
    }
    return edge;
}

// The days from `lower` to `upper` that calendar rows and added dates name, before removals.
bool FeedRange(const Calendar& calendar, std::optional<ServicePeriod>& range, std::string& error) {
    auto widen = [&](int first, int last) {
        range = ServicePeriod{std::min(range ? range->first : INT_MAX, first),
                              std::max(range ? range->last : INT_MIN, last)};
    };
    for (const CalendarRow& row : calendar.rows) {
        if (row.weekdays != 0 && row.start <= row.end) {
            widen(row.start, row.end);
        }
    }
    return EachException(calendar.feed, error, [&](std::string_view, int day, bool added) {
        if (added) {
            widen(day, day);
        }
    });
}

// From the first day with service within [lower, upper] on, at most kMaxPeriodDays, ending on
// the last day with service.
bool FindPeriod(const Calendar& calendar, ServicePeriod bounds, ServiceDays& out,
                TextMap<DaySet>& days, std::string& error) {
    ServicePeriod window{bounds.first, bounds.first};
    int first = -1;
    while (first < 0 && window.first <= bounds.last) {
        window.last = std::min(bounds.last, window.first + (kMaxPeriodDays - 1));
        if (!DaysIn(calendar, window, days, error)) {
            return false;
        }
        first = EdgeDay(days, false);
        window.first = first < 0 ? window.last + 1 : window.first;
    }
    if (first < 0) {
        out.period = bounds;
        return true;  // no service at all: the caller says so
    }
    out.period.first = window.first + first;
    out.period.last = std::min(bounds.last, out.period.first + (kMaxPeriodDays - 1));
    out.cut = bounds.last > out.period.last;
    if (out.period.first != window.first && !DaysIn(calendar, out.period, days, error)) {
        return false;
    }
    out.period.last = out.period.first + EdgeDay(days, true);
    return DaysIn(calendar, out.period, days, error);
}

// Why no service is left: the feed has none, or none in the days chosen.
std::string NoServiceError(const PeriodChoice& choice, const ServiceDays& days) {
    if (!days.feedPeriod || days.kind == PeriodKind::Feed) {
        return "calendar.txt and calendar_dates.txt give no day of service";
    }
    std::string chosen;
    if (choice.week) {
        chosen = "the week " + IsoDate(days.period.first) + " to " + IsoDate(days.period.last);
    } else if (choice.from && choice.to) {
        chosen = "the period " + IsoDate(*choice.from) + " to " + IsoDate(*choice.to);
    } else {
        chosen = choice.from ? "the days from " + IsoDate(*choice.from)
                             : "the days up to " + IsoDate(*choice.to);
    }
    return "no service of the feed runs in " + chosen + " (its calendar covers " +
           IsoDate(days.feedPeriod->first) + " to " + IsoDate(days.feedPeriod->last) + ")";
}

bool ChoosePeriod(const Calendar& calendar, const PeriodChoice& choice, ServiceDays& out,
                  TextMap<DaySet>& days, std::string& error) {
    if (choice.week || (choice.from && choice.to)) {
        out.kind = choice.week ? PeriodKind::Week : PeriodKind::Chosen;
        out.period = choice.week ? ServicePeriod{*choice.week, *choice.week + 6}
                                 : ServicePeriod{*choice.from, *choice.to};
        return DaysIn(calendar, out.period, days, error);
    }
    if (!out.feedPeriod) {
        return true;
    }
    out.kind = choice.from || choice.to ? PeriodKind::Chosen : PeriodKind::Feed;
    const ServicePeriod bounds{choice.from.value_or(out.feedPeriod->first),
                               choice.to.value_or(out.feedPeriod->last)};
    return FindPeriod(calendar, bounds, out, days, error);
}

}  // namespace

std::string IsoDate(int dayNumber) {
    const std::string text = GtfsDateText(dayNumber);
    return text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2);
}

bool ReadServiceDays(const FeedSource& feed, const PeriodChoice& choice, ServiceDays& out,
                     std::string& error) {
    Calendar calendar{feed, {}};
    if (!ReadCalendar(feed, calendar.rows, error)) {
        return false;
    }
    std::string datesError;
    const bool hasDates = feed.open("calendar_dates.txt", datesError) != nullptr;
    if (!datesError.empty()) {
        error = datesError;
        return false;
    }
    if (calendar.rows.empty() && !hasDates) {
        error = "the feed has neither calendar.txt nor calendar_dates.txt (or both are empty)";
        return false;
    }
    TextMap<DaySet> days;
    if (!FeedRange(calendar, out.feedPeriod, error) ||
        !ChoosePeriod(calendar, choice, out, days, error)) {
        return false;
    }
    std::map<DaySet, int> known;
    for (auto& [id, set] : days) {
        if (!set.any()) {
            continue;
        }
        const auto [it, added] = known.emplace(set, static_cast<int>(out.sets.size()));
        if (added) {
            out.sets.push_back(std::move(set));
        }
        out.setOf.emplace(id, it->second);
    }
    if (out.setOf.empty()) {
        error = NoServiceError(choice, out);
        return false;
    }
    return true;
}

}  // namespace velomar
