#pragma once

// trips.txt and stop_times.txt to the trains of the imported week. stop_times.txt is read as
// a stream: the rows of one trip are gathered while they come one after another (as feeds
// write them) and turned into a train when the next trip begins, so memory follows the trains
// of the week, not the size of the file. A trip whose rows are spread over the file is read
// again in a second pass.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "import/feed_source.h"
#include "import/service_calendar.h"
#include "import/station_match.h"
#include "import/string_index.h"
#include "import/train_types.h"

namespace velomar {

// Why a trip of the feed is not in the timetables.
enum class SkipReason : int {
    NotInWeek,              // runs on no day of the week
    TypeNotMapped,          // its route has no train type
    NumberNotWritable,      // no train number of one to four digits
    FewerThanTwoCalls,      // fewer than two calls at stations of the route tables
    TimesNotRepresentable,  // a call later than 09:59 after midnight
    FileFull,               // a file it needs already holds 79 trains
    NumberTaken,            // a file it needs has a train of that number with other times
};
inline constexpr int kSkipReasonCount = 7;

// One call at a network station; minutes of the service day.
struct TrainCall {
    std::int16_t station;
    std::int16_t arrival;
    std::int16_t departure;
    friend bool operator==(const TrainCall&, const TrainCall&) = default;
};

struct WeekTrip {
    std::string id;
    std::u16string number;  // four digits
    int type = 0;
    WeekDays days = 0;
    int hintFile = -1;  // from the velomar_route_code column of Velomar's own export
    int hintColumn = 0;
    std::vector<TrainCall> calls;  // empty when the trip became no train
    int skip = -1;                 // a SkipReason, or -1 while it is a train
};

struct FeedTrips {
    long read = 0;                                 // rows of trips.txt
    std::array<long, kSkipReasonCount> skipped{};  // NotInWeek etc. found while reading
    std::vector<WeekTrip> trips;                   // the week's trips of a mapped type
};

struct TripSources {
    const FeedSource& feed;
    const ServiceWeek& week;
    FeedRoutes& routes;
    FeedStops& stops;
};

bool ReadFeedTrips(const TripSources& sources, FeedTrips& out, std::string& error);

// Seconds since the start of the service day of "H:MM:SS" or "HH:MM:SS" (hours may pass 23);
// nothing for any other text.
std::optional<int> GtfsSeconds(std::string_view text);

// "101" -> "0101"; nothing for anything but one to four digits, and for "9999" (no train).
std::optional<std::u16string> TrainNumberCell(std::string_view text);

}  // namespace velomar
