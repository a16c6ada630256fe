#pragma once

// The trains of several files as trips and connections (one connection per hop between two
// consecutive stops of a train), the input of the journey planner's scan.

#include <optional>
#include <span>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "travel/timetable_set.h"
#include "travel/travel_query.h"

namespace velomar {

struct TripStop {
    int station;  // index into TripNetwork::stations
    int minutes;  // from the service day's midnight
    int row;      // in the copy's grid
};

// One train as one file or sheet lists it.
struct TripCopy {
    RouteCode file;  // the sheet
    const TimetableGrid* grid;
    int column;
    int trip;
    std::vector<TripStop> stops;  // in row order
};

struct Connection {
    int from;  // station indices
    int to;
    int departure;  // minutes
    int arrival;
    int trip;
};

struct TripNetwork {
    std::vector<std::u16string_view> stations;  // station codes, by index
    std::unordered_map<std::u16string_view, int> stationIndex;
    std::vector<TripCopy> copies;
    std::vector<std::vector<int>> copiesOfTrip;  // by trip: indices into copies
    // Latest departure first; among equal departures a train's later hop first, so a scan in
    // this order meets a train's hops from its end back to its start.
    std::vector<Connection> connections;

    int indexOf(std::u16string_view code) const {
        const auto found = stationIndex.find(code);
        return found == stationIndex.end() ? -1 : found->second;
    }
};

// The two stations of a journey, by code.
struct TripEnds {
    std::u16string_view from;
    std::u16string_view to;
};

// The trains of the given files (each with its sheets) that pass the filter's type and day,
// with the hops that leave at or
// after the filter's time. The same train listed in two files (the same number calling at a
// station at the same minute) is one trip, so riding on across the files is no change. A hop
// whose arrival lies before its departure (a file that runs backwards) is left out.
//
// With ends, only what a journey between them with at most one change can use: trains that
// call at FROM or at TO; of a train that calls at TO after FROM only the hops between the
// two (a journey that boarded it earlier or rode on past TO would do better without the
// change).
TripNetwork BuildTripNetwork(const TimetableSet& set, std::span<const RouteCode> files,
                             const TravelFilter& filter,
                             std::optional<TripEnds> ends = std::nullopt);

}  // namespace velomar
