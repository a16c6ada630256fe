#pragma once

// The day a command answers for (--date YYYYMMDD, else today in Korea) and the dates of the
// sheets it reads. A set without TimeData/Dates.txt answers alike for every day: --date is
// accepted there and changes nothing.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "timetable/service_dates.h"
#include "timetable/timetable_file.h"

namespace velomar::cli {

struct CommandDay {
    LoadedDates dates;
    int day = 0;
    ServiceDay serviceDay() const {
        return dates.dates ? ServiceDay{&*dates.dates, day} : ServiceDay{};
    }
};

// The dates of `sheets` and the day: `date`, else today in Korea. Nothing, after a message,
// when the dates cannot be read or the day lies outside their period. The result holds the
// dates its serviceDay() points into: keep it in place.
std::optional<CommandDay> LoadCommandDay(std::ostream& err, std::string_view command,
                                         const TimetableDirectory& timetables,
                                         std::optional<int> date, std::vector<RouteCode> sheets);

// "20251201 to 20260531".
std::string PeriodText(const ServicePeriod& period);

}  // namespace velomar::cli
