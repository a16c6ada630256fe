#pragma once

// `detail --format ics`: the train the detail command found, as a calendar event.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar::cli {

// When the event is made, UTC, YYYYMMDDTHHMMSSZ: SOURCE_DATE_EPOCH (seconds since 1970) when it
// is set, as reproducible outputs use it, else now.
std::string CalendarStamp();

struct CalendarRequest {
    std::u16string_view trainNo;
    RouteCode routeCode;
    std::u16string_view departureCode;  // as the detail left its station texts
    std::u16string_view arrivalCode;
    std::string serviceDay;  // YYYYMMDD
    // Warn when the train's code says it does not run on that weekday (a set without dates).
    bool warnByTrainCode = true;
};

// Writes the event of the train in the grid the detail loaded; false (with a message) when its
// times cannot be put into a calendar.
bool WriteTrainCalendar(std::ostream& out, std::ostream& err, const TimetableGrid& grid,
                        const CalendarRequest& request);

}  // namespace velomar::cli
