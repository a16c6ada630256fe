#pragma once

// A station's departure board: every train that leaves it, from every file that lists it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "search/train_ride.h"
#include "travel/timetable_set.h"
#include "travel/travel_query.h"

namespace velomar {

// The files a board of the station reads.
std::vector<RouteCode> BoardFiles(std::u16string_view station);

// Trains that stop at the station and at a later one, leaving at or after the filter's time,
// of its type and day, earliest first (after-midnight departures last; trains leaving at one
// minute in the order read). A train listed in several files (a line and a through route) is
// one train when its number and its departure here agree; the copy that runs furthest is
// shown. Each ride runs from the station to the train's last stop (`to`, `arrivalCell`). At
// most `limit` trains.
std::vector<TrainRide> DepartureBoard(const TimetableSet& set, std::u16string_view station,
                                      const TravelFilter& filter, std::size_t limit);

}  // namespace velomar
