#include "cli/detail_calendar.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ostream>

#include "export/calendar_event.h"
#include "network/route_table.h"
#include "platform/utf8.h"
#include "search/train_detail.h"
#include "timetable/calendar_date.h"
#include "timetable/day_letters.h"
#include "timetable/train_codes.h"

namespace velomar::cli {

namespace {

using namespace std::chrono;

int DayNumber(sys_seconds time) {
    return static_cast<int>(floor<days>(time).time_since_epoch().count());
}

constexpr std::string_view kWeekdayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                              "Friday", "Saturday", "Sunday"};

// The train codes restrict some trains to days of the week; an event on another day would be
// a train that does not run.
void WarnIfNotRunning(std::ostream& err, const CalendarRequest& request,
                      std::u16string_view trainCode, std::u16string_view label) {
    const auto day = GtfsDayNumber(request.serviceDay);
    if (!day) {
        return;
    }
    const int weekday = WeekdayOf(*day);
    if ((DaysOfTrainCode(trainCode) & (1 << weekday)) == 0) {
        err << "velomar-cli detail: " << request.serviceDay << " is a " << kWeekdayNames[weekday]
            << ", and train " << TerminalText(ToUtf8(request.trainNo)) << " (" << ToUtf8(label)
            << ") does not run on " << kWeekdayNames[weekday] << "s\n";
    }
}

}  // namespace

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
    const hh_mm_ss time(now - floor<days>(now));
    char text[32];
    std::snprintf(text, sizeof text, "T%02d%02d%02dZ", static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    return GtfsDateText(DayNumber(now)) + text;
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
        if (request.warnByTrainCode) {
            WarnIfNotRunning(err, request, grid.cell(0, calls->column), event.typeLabel);
        }
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
