#include "cli/detail_calendar.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "export/calendar_event.h"
#include "network/route_table.h"
#include "search/train_detail.h"
#include "timetable/train_codes.h"

namespace velomar::cli {

namespace {

using namespace std::chrono;

std::string DateText(const year_month_day& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02u%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

}  // namespace

std::string TodayInKorea() {
    const auto korea = system_clock::now() + hours(9);
    return DateText(year_month_day(floor<days>(korea)));
}

std::string CalendarStamp() {
    sys_seconds now = floor<seconds>(system_clock::now());
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        const std::string_view text(epoch);
        long long value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        // Up to the year 9999; anything else is not a time the stamp can show.
        if (error == std::errc() && end == text.data() + text.size() && value >= 0 &&
            value < 253402300800LL) {
            now = sys_seconds(seconds(value));
        }
    }
    const auto day = floor<days>(now);
    const hh_mm_ss time(now - day);
    char text[32];
    std::snprintf(text, sizeof text, "T%02d%02d%02dZ", static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return DateText(year_month_day(day)) + text;
}

bool WriteTrainCalendar(std::ostream& out, std::ostream& err, const TimetableGrid& grid,
                        const CalendarRequest& request) {
    TrainEvent event{std::u16string(request.trainNo),
                     {},
                     request.routeCode,
                     {},
                     request.serviceDay,
                     CalendarStamp()};
    if (const auto calls =
            FindTrainCalls(grid, request.trainNo, request.departureCode, request.arrivalCode)) {
        event.typeLabel = TypeLabel(grid.cell(0, calls->column));
        for (int r : calls->rows) {
            event.stops.push_back({StationCodeToName(grid.cell(r, 0)),
                                   std::u16string(grid.cell(r, 0)),
                                   std::u16string(grid.cell(r, calls->column))});
        }
    }
    const auto text = CalendarText(event);
    if (!text) {
        err << "velomar-cli detail: the train's times are not all clock times; no calendar "
               "event\n";
        return false;
    }
    out << *text;
    return true;
}

}  // namespace velomar::cli
