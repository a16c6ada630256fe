#pragma once

// The week a import covers and the days each GTFS service runs in it, from calendar.txt and
// calendar_dates.txt. calendar_dates.txt is read in passes that keep only the dates of the
// days looked at, so memory does not grow with the length of the calendar.

#include <optional>
#include <string>

#include "import/feed_source.h"
#include "import/string_index.h"
#include "timetable/day_letters.h"

namespace velomar {

struct ServiceWeek {
    int firstDay = 0;  // days since 1970-01-01
    // Weekdays each service runs on within the week; services that do not run are absent.
    TextMap<WeekDays> days;
    // The service period the feed gives (calendar ranges and added dates); empty when none.
    std::optional<int> periodStart;
    std::optional<int> periodEnd;
};

// `week`: the first day, or nothing for the first seven days from the first day on which any
// service runs. Fails when neither file is there, a file is malformed (error names the
// line), or the feed has no day of service at all.
bool ReadServiceWeek(const FeedSource& feed, std::optional<int> week, ServiceWeek& out,
                     std::string& error);

}  // namespace velomar
