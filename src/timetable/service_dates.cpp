#include "timetable/service_dates.h"

#include <algorithm>

#include "platform/text_join.h"
#include "timetable/calendar_date.h"

namespace velomar {

namespace {

bool Contains(const std::vector<int>& days, int day) {
    return std::binary_search(days.begin(), days.end(), day);
}

WeekDays WeekdayBit(int day) {
    return static_cast<WeekDays>(1u << WeekdayOf(day));
}

// The ordering of sheets in the file: route, then Up before Down, then sheet number, as the
// sheets are read.
int ReadingOrder(RouteCode sheet) {
    return (sheet.route() * 2 + (sheet.direction() == Direction::Down ? 1 : 0)) * 1000 +
           sheet.sheet();
}

}  // namespace

bool DayPattern::runs(int day) const {
    if (Contains(removed, day)) {
        return false;
    }
    return Contains(added, day) ||
           (day >= first && day <= last && (weekdays & WeekdayBit(day)) != 0);
}

WeekDays DayPattern::runningWeekdays() const {
    WeekDays days = 0;
    for (int day = first; day <= last && day < first + 7; ++day) {
        // A weekday of the pattern counts unless every one of its days in the range is removed.
        const WeekDays bit = WeekdayBit(day);
        if ((weekdays & bit) == 0) {
            continue;
        }
        for (int d = day; d <= last; d += 7) {
            if (!Contains(removed, d)) {
                days = static_cast<WeekDays>(days | bit);
                break;
            }
        }
    }
    for (int day : added) {
        if (!Contains(removed, day)) {
            days = static_cast<WeekDays>(days | WeekdayBit(day));
        }
    }
    return days;
}

DayPattern DayPattern::of(std::span<const int> days) {
    DayPattern pattern;
    pattern.first = days.front();
    pattern.last = days.back();
    int total[7] = {};
    int running[7] = {};
    for (int day = pattern.first; day <= pattern.last; ++day) {
        ++total[WeekdayOf(day)];
    }
    for (int day : days) {
        ++running[WeekdayOf(day)];
    }
    // A weekday is in the pattern when that costs fewer removed days than added ones.
    for (int w = 0; w < 7; ++w) {
        if (running[w] * 2 > total[w]) {
            pattern.weekdays = static_cast<WeekDays>(pattern.weekdays | (1u << w));
        }
    }
    std::size_t next = 0;
    for (int day = pattern.first; day <= pattern.last; ++day) {
        const bool runs = next < days.size() && days[next] == day;
        next += runs ? 1 : 0;
        const bool byWeekday = (pattern.weekdays & WeekdayBit(day)) != 0;
        if (runs && !byWeekday) {
            pattern.added.push_back(day);
        } else if (!runs && byWeekday) {
            pattern.removed.push_back(day);
        }
    }
    return pattern;
}

int ServiceDates::addPattern(DayPattern pattern) {
    const auto known = std::find(m_patterns.begin(), m_patterns.end(), pattern);
    if (known != m_patterns.end()) {
        return static_cast<int>(known - m_patterns.begin()) + 1;
    }
    m_patterns.push_back(std::move(pattern));
    return static_cast<int>(m_patterns.size());
}

void ServiceDates::setColumns(RouteCode sheet, std::vector<int> patternIds) {
    const auto place = std::lower_bound(
        m_sheets.begin(), m_sheets.end(), ReadingOrder(sheet),
        [](const SheetColumns& s, int order) { return ReadingOrder(s.sheet) < order; });
    if (place != m_sheets.end() && place->sheet == sheet) {
        place->patterns = std::move(patternIds);
    } else {
        m_sheets.insert(place, SheetColumns{sheet, std::move(patternIds)});
    }
}

const ServiceDates::SheetColumns* ServiceDates::columnsOf(RouteCode sheet) const {
    const auto place = std::lower_bound(
        m_sheets.begin(), m_sheets.end(), ReadingOrder(sheet),
        [](const SheetColumns& s, int order) { return ReadingOrder(s.sheet) < order; });
    return place != m_sheets.end() && place->sheet == sheet ? &*place : nullptr;
}

const std::vector<int>* ServiceDates::columnPatterns(RouteCode sheet) const {
    const SheetColumns* columns = columnsOf(sheet);
    return columns == nullptr ? nullptr : &columns->patterns;
}

std::vector<RouteCode> ServiceDates::sheets() const {
    std::vector<RouteCode> codes;
    for (const SheetColumns& sheet : m_sheets) {
        codes.push_back(sheet.sheet);
    }
    return codes;
}

const DayPattern* ServiceDates::patternOf(RouteCode sheet, int column) const {
    const SheetColumns* columns = columnsOf(sheet);
    if (columns == nullptr || column < 1 ||
        static_cast<std::size_t>(column) > columns->patterns.size()) {
        return nullptr;
    }
    const int id = columns->patterns[static_cast<std::size_t>(column - 1)];
    return id == kEveryDay ? nullptr : &m_patterns[static_cast<std::size_t>(id - 1)];
}

bool ServiceDates::runs(RouteCode sheet, int column, int day) const {
    if (!m_period.contains(day)) {
        return false;
    }
    const DayPattern* pattern = patternOf(sheet, column);
    return pattern == nullptr || pattern->runs(day);
}

std::string ServiceDates::text() const {
    std::string out = JoinText({"velomar-dates 1\nperiod ", GtfsDateText(m_period.first), " ",
                                GtfsDateText(m_period.last), "\n"});
    for (std::size_t i = 0; i < m_patterns.size(); ++i) {
        const DayPattern& pattern = m_patterns[i];
        out += JoinText({"pattern ", std::to_string(i + 1), " "});
        for (int w = 0; w < 7; ++w) {
            out += (pattern.weekdays & (1u << w)) != 0 ? '1' : '0';
        }
        out += JoinText({" ", GtfsDateText(pattern.first), " ", GtfsDateText(pattern.last)});
        for (int day : pattern.added) {
            out += JoinText({" +", GtfsDateText(day)});
        }
        for (int day : pattern.removed) {
            out += JoinText({" -", GtfsDateText(day)});
        }
        out += '\n';
    }
    for (const SheetColumns& sheet : m_sheets) {
        out += TimetableFileName(sheet.sheet);
        for (int id : sheet.patterns) {
            out += id == kEveryDay ? std::string(" *") : JoinText({" ", std::to_string(id)});
        }
        out += '\n';
    }
    return out;
}

}  // namespace velomar
