#pragma once

// trips.txt and stop_times.txt to the trains of the imported period. trips.txt keeps a hash
// of every trip id and a small record of each trip that may become a train; stop_times.txt is
// read as a stream (stop_times_pass.h), each trip turned into its train when its rows end.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "import/feed_source.h"
#include "import/import_progress.h"
#include "import/service_calendar.h"
#include "import/station_match.h"
#include "import/train_table.h"
#include "import/train_types.h"
#include "import/trip_index.h"

namespace velomar {

// Why a trip of the feed is not in the timetables.
enum class SkipReason : int {
    NotInPeriod,            // runs on no day of the period
    TypeNotMapped,          // its route has no train type
    NumberNotWritable,      // no train number of one to four digits
    FewerThanTwoCalls,      // fewer than two calls at stations of the route tables
    TimesNotRepresentable,  // a call later than 09:59 after midnight
    NoRoom,                 // every sheet a route direction may have holds 79 trains or its number
};
inline constexpr int kSkipReasonCount = 6;

// A trip of a mapped type, with a train number, that runs in the period: 24 bytes.
struct FeedTrip {
    std::int32_t daySet = -1;  // into ServiceDays::sets
    std::int32_t train = -1;   // the train it became, once its stop times are read
    std::uint32_t rows = 0;    // its rows of stop_times.txt
    RouteCode hint;            // from the velomar_route_code column of Velomar's own export
    std::int16_t hintColumn = 0;
    std::uint16_t number = 0;  // 0-9998
    std::int8_t type = 0;
    std::int8_t skip = -1;   // a SkipReason once it is known to become no train
    std::uint8_t state = 0;  // how far stop_times.txt has been read for it
};

struct FeedTrips {
    long read = 0;                                 // rows of trips.txt
    long stopTimeRows = 0;                         // rows of stop_times.txt
    std::array<long, kSkipReasonCount> skipped{};  // trips that never were a FeedTrip
    std::vector<FeedTrip> trips;
    TripIdIndex index;  // trip id to its index in `trips`, -1 for the others
    TrainTable trains;
};

struct TripSources {
    const FeedSource& feed;
    const ServiceDays& days;
    FeedRoutes& routes;
    FeedStops& stops;
    const ImportProgress& progress;
};

bool ReadFeedTrips(const TripSources& sources, FeedTrips& out, std::string& error);

// Seconds since the start of the service day of "H:MM:SS" or "HH:MM:SS" (hours may pass 23);
// nothing for any other text.
std::optional<int> GtfsSeconds(std::string_view text);

// "101" -> "0101"; nothing for anything but one to four digits, and for "9999" (no train).
std::optional<std::u16string> TrainNumberCell(std::string_view text);

}  // namespace velomar
