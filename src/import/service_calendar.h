#pragma once

// The period an import covers and the days each GTFS service runs in it, from calendar.txt
// and calendar_dates.txt. By default the period is the feed's own: from the first day on
// which any service runs to the last, at most kMaxPeriodDays long. calendar_dates.txt is read
// in passes that keep only the days of the period, one bit a day for each service.

#include <optional>
#include <string>
#include <vector>

#include "import/day_set.h"
#include "import/feed_source.h"
#include "import/string_index.h"
#include "timetable/service_dates.h"

namespace velomar {

// Two years: a set that long holds a few hundred kilobytes of dates at most, and a feed
// whose calendar runs for decades (an open end written as 2099) still imports its near part.
inline constexpr int kMaxPeriodDays = 731;

enum class PeriodKind {
    Feed,    // the feed's service period
    Chosen,  // --from and --to, or one of them with the feed's own other end
    Week,    // --week: seven days written as day codes, without dates
};

struct PeriodChoice {
    std::optional<int> week;
    std::optional<int> from;
    std::optional<int> to;
};

struct ServiceDays {
    ServicePeriod period;
    PeriodKind kind = PeriodKind::Feed;
    // The feed runs past the longest period; the first kMaxPeriodDays days are taken.
    bool cut = false;
    // The days the calendar's ranges and added dates cover, for the report.
    std::optional<ServicePeriod> feedPeriod;
    // Each service that runs on some day of the period, to its days in `sets`.
    TextMap<int> setOf;
    std::vector<DaySet> sets;

    int length() const { return period.last - period.first + 1; }
};

// Fails when neither file is there, a file is malformed (error names the line), the feed has
// no day of service at all, or none in the chosen period (error names the period).
bool ReadServiceDays(const FeedSource& feed, const PeriodChoice& choice, ServiceDays& out,
                     std::string& error);

// "2024-03-04" for a day number.
std::string IsoDate(int dayNumber);

}  // namespace velomar
