#pragma once

// Journeys from one station to another: direct trains and journeys with exactly one change,
// each listed unless another journey beats it (see ParetoJourneys).

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "search/train_ride.h"
#include "travel/direct_trains.h"
#include "travel/timetable_set.h"
#include "travel/travel_query.h"

namespace velomar {

inline constexpr int kDefaultChangeMinutes = 10;

struct JourneyQuery {
    std::u16string from;  // station names
    std::u16string to;
    TravelFilter filter;  // the type applies to every train of a journey
    int minimumChange = kDefaultChangeMinutes;
    std::size_t limit = 10;
};

struct Journey {
    // One ride for a direct train, two with a change; each names its stations and a file or
    // sheet that lists the train at both ends.
    std::vector<TrainRide> legs;
    int departure = 0;  // minutes from the service day's midnight
    int arrival = 0;
    int changes() const { return legs.empty() ? 0 : static_cast<int>(legs.size()) - 1; }
    friend bool operator==(const Journey&, const Journey&) = default;
};

// The files a query reads: those whose trains leave FROM or reach TO (a journey with one
// change rides one of each), and the search's own.
std::vector<RouteCode> JourneyFiles(std::u16string_view from, std::u16string_view to);

// The direct trains as journeys: exactly the search's trains for the pair, type and time
// (DirectTrains), less those whose times are no clock times or run backwards.
std::vector<Journey> DirectJourneys(const TimetableSet& set, const JourneyQuery& query);

// The best journey with one change for every train that leaves FROM, over the given files.
std::vector<Journey> OneChangeJourneys(const TimetableSet& set, const JourneyQuery& query,
                                       std::span<const RouteCode> files);

// Leaves out every journey that another one beats: one that leaves later and arrives earlier
// always does; one that leaves no earlier and arrives no later does when it is better in one
// of the two with no more changes, or needs fewer changes at the same times. So a direct
// train stays beside a faster journey with a change that leaves at the same time. Of equal
// journeys on the same trains the first stays (different trains at the same times are all
// listed). The rest ordered by departure, then arrival, in the order given.
std::vector<Journey> ParetoJourneys(std::vector<Journey> candidates);

// Direct and one-change journeys over JourneyFiles (or the files given), at most
// query.limit of them.
std::vector<Journey> FindJourneys(const TimetableSet& set, const JourneyQuery& query);
std::vector<Journey> FindJourneys(const TimetableSet& set, const JourneyQuery& query,
                                  std::span<const RouteCode> files);

}  // namespace velomar
