#pragma once

// A station's departure board: every train that leaves it, from every file that lists it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "travel/timetable_set.h"
#include "travel/travel_query.h"

namespace velomar {

struct Departure {
    std::u16string trainNo;
    std::u16string typeLabel;
    std::u16string departureCell;  // as the file has it ("3015" after midnight)
    std::u16string lastStation;    // name
    std::u16string arrivalCell;    // at the last station
    RouteCode routeCode;           // the file listed, for `detail`
    friend bool operator==(const Departure&, const Departure&) = default;
};

// The files a board of the station reads.
std::vector<RouteCode> BoardFiles(std::u16string_view station);

// Trains that stop at the station and at a later one, leaving at or after the filter's time,
// earliest first (after-midnight departures last). A train listed in several files (a line
// and a through route) is one train when its number and its departure here agree; the copy
// that runs furthest is shown. At most `limit` trains.
std::vector<Departure> DepartureBoard(const TimetableSet& set, std::u16string_view station,
                                      const TravelFilter& filter, std::size_t limit);

}  // namespace velomar
