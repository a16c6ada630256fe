#include "travel/trip_network.h"

#include <algorithm>
#include <tuple>

#include "search/search.h"
#include "timetable/time_text.h"

namespace velomar {

namespace {

int StationOf(TripNetwork& network, std::u16string_view code) {
    const auto [place, added] =
        network.stationIndex.try_emplace(code, static_cast<int>(network.stations.size()));
    if (added) {
        network.stations.push_back(code);
    }
    return place->second;
}

std::vector<TripStop> StopsOf(TripNetwork& network, const TimetableGrid& grid, int column) {
    std::vector<TripStop> stops;
    for (int r = 2; r < kGridRows; ++r) {
        if (const auto minutes = ServiceMinutes(grid.cell(r, column))) {
            stops.push_back({StationOf(network, grid.cell(r, 0)), *minutes, r});
        }
    }
    return stops;
}

bool CallAlike(const TripCopy& a, const TripCopy& b) {
    for (const TripStop& x : a.stops) {
        for (const TripStop& y : b.stops) {
            if (x.station == y.station && x.minutes == y.minutes) {
                return true;
            }
        }
    }
    return false;
}

// The trip of an earlier copy of the same train, or a new one.
int TripFor(TripNetwork& network, const TripCopy& copy,
            std::unordered_map<std::u16string_view, std::vector<int>>& copiesByNumber) {
    std::vector<int>& sameNumber = copiesByNumber[copy.grid->cell(1, copy.column)];
    for (int other : sameNumber) {
        const TripCopy& earlier = network.copies[static_cast<std::size_t>(other)];
        if (CallAlike(earlier, copy)) {
            sameNumber.push_back(static_cast<int>(network.copies.size()));
            return earlier.trip;
        }
    }
    sameNumber.push_back(static_cast<int>(network.copies.size()));
    network.copiesOfTrip.emplace_back();
    return static_cast<int>(network.copiesOfTrip.size()) - 1;
}

}  // namespace

TripNetwork BuildTripNetwork(const TimetableSet& set, std::span<const RouteCode> files,
                             const TravelFilter& filter) {
    TripNetwork network;
    std::unordered_map<std::u16string_view, std::vector<int>> copiesByNumber;
    const std::u16string_view typeFilter = TypeFilterText(filter.typeIndex);
    struct Ordered {
        Connection connection;
        int order;  // along the trains, file by file
    };
    std::vector<Ordered> hops;
    for (RouteCode file : files) {
        const TimetableGrid* grid = set.find(file);
        if (grid == nullptr) {
            continue;
        }
        for (int k = 1; k < kGridColumns; ++k) {
            if (!PassesTypeFilter(typeFilter, grid->cell(0, k))) {
                continue;
            }
            TripCopy copy{file, grid, k, 0, StopsOf(network, *grid, k)};
            if (copy.stops.size() < 2) {
                continue;
            }
            copy.trip = TripFor(network, copy, copiesByNumber);
            for (std::size_t i = 0; i + 1 < copy.stops.size(); ++i) {
                const TripStop& a = copy.stops[i];
                const TripStop& b = copy.stops[i + 1];
                if (a.minutes >= filter.earliest && b.minutes >= a.minutes) {
                    hops.push_back({{a.station, b.station, a.minutes, b.minutes, copy.trip},
                                    static_cast<int>(hops.size())});
                }
            }
            network.copiesOfTrip[static_cast<std::size_t>(copy.trip)].push_back(
                static_cast<int>(network.copies.size()));
            network.copies.push_back(std::move(copy));
        }
    }
    std::sort(hops.begin(), hops.end(), [](const Ordered& a, const Ordered& b) {
        return std::tie(b.connection.departure, b.connection.arrival, b.order) <
               std::tie(a.connection.departure, a.connection.arrival, a.order);
    });
    network.connections.reserve(hops.size());
    for (const Ordered& hop : hops) {
        network.connections.push_back(hop.connection);
    }
    return network;
}

}  // namespace velomar
