#include "travel/trip_network.h"

#include <algorithm>
#include <utility>

#include "search/train_admission.h"
#include "timetable/service_time.h"

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

// The rows of a grid that hold a station with the station's index, and the rows of the ends.
struct GridRows {
    std::vector<std::pair<int, int>> stations;  // row, station index
    std::vector<int> ends;
};

GridRows RowsOf(TripNetwork& network, const TimetableGrid& grid,
                const std::optional<TripEnds>& ends) {
    GridRows rows;
    for (int r = 2; r < kGridRows; ++r) {
        const std::u16string_view code = grid.cell(r, 0);
        if (code != kNoTime) {
            rows.stations.emplace_back(r, StationOf(network, code));
        }
        if (ends && (code == ends->from || code == ends->to)) {
            rows.ends.push_back(r);
        }
    }
    return rows;
}

// Whether the train of the column can be part of a journey between the ends: it stops at one.
bool MayServe(const TimetableGrid& grid, const GridRows& rows, int column,
              const std::optional<TripEnds>& ends) {
    return !ends || std::any_of(rows.ends.begin(), rows.ends.end(),
                                [&](int r) { return grid.cell(r, column) != kNoTime; });
}

// The stops of a copy a journey between the ends can use; see BuildTripNetwork.
// The station indices of FROM and TO.
struct EndStations {
    int from;
    int to;
};

std::pair<std::size_t, std::size_t> UsefulStops(const std::vector<TripStop>& stops,
                                                const std::optional<EndStations>& ends) {
    if (!ends) {
        return {0, stops.size()};
    }
    const int from = ends->from;
    const int to = ends->to;
    std::optional<std::size_t> first;
    std::optional<std::size_t> last;
    for (std::size_t i = 0; i < stops.size(); ++i) {
        if (!first && stops[i].station == from) {
            first = i;
        }
        if (stops[i].station == to) {
            last = i;
        }
    }
    if (!first && !last) {
        return {0, 0};
    }
    // A train that calls at TO after FROM is of no use before FROM (boarding it at FROM is
    // better) nor after TO (staying on it to TO is better). One that calls at TO before
    // FROM can take a journey to TO from an earlier stop and one from FROM further on.
    if (first && last && *last < *first) {
        return {0, stops.size()};
    }
    return {first.value_or(0), last ? *last + 1 : stops.size()};
}

std::vector<TripStop> StopsOf(const TimetableGrid& grid, const GridRows& rows, int column) {
    std::vector<TripStop> stops;
    for (const auto& [r, station] : rows.stations) {
        const std::u16string_view cell = grid.cell(r, column);
        if (cell == kNoTime) {
            continue;
        }
        if (const auto minutes = CellMinutes(cell)) {
            stops.push_back({station, *minutes, r});
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

// Latest departure first, then latest arrival, then later along the trains (later in
// `hops`): two stable counting sorts, as times are a few thousand minutes at most.
std::vector<Connection> ScanOrder(const std::vector<Connection>& hops) {
    int latest = 0;
    for (const Connection& c : hops) {
        latest = std::max(latest, c.arrival);
    }
    const auto sortBy = [latest](const std::vector<Connection>& in, auto key) {
        std::vector<std::size_t> start(static_cast<std::size_t>(latest) + 2, 0);
        for (const Connection& c : in) {
            ++start[static_cast<std::size_t>(latest - key(c)) + 1];
        }
        for (std::size_t i = 1; i < start.size(); ++i) {
            start[i] += start[i - 1];
        }
        std::vector<Connection> out(in.size());
        for (const Connection& c : in) {
            out[start[static_cast<std::size_t>(latest - key(c))]++] = c;
        }
        return out;
    };
    const std::vector<Connection> backwards(hops.rbegin(), hops.rend());
    return sortBy(sortBy(backwards, [](const Connection& c) { return c.arrival; }),
                  [](const Connection& c) { return c.departure; });
}

// One sheet read into the network.
struct SheetInput {
    RouteCode sheet;
    const TimetableGrid& grid;
    int earliest;
    const TrainAdmission& admission;
    const std::optional<TripEnds>& ends;
    const std::optional<EndStations>& endStations;
};

void AddSheet(TripNetwork& network, const SheetInput& in,
              std::unordered_map<std::u16string_view, std::vector<int>>& copiesByNumber,
              std::vector<Connection>& hops) {
    const TimetableGrid& grid = in.grid;
    const GridRows rows = RowsOf(network, grid, in.ends);
    for (int k = 1; k < kGridColumns; ++k) {
        if (!MayServe(grid, rows, k, in.ends) || !in.admission.admits(grid, in.sheet, k)) {
            continue;
        }
        TripCopy copy{in.sheet, &grid, k, 0, StopsOf(grid, rows, k)};
        const auto [begin, end] = UsefulStops(copy.stops, in.endStations);
        if (end < begin + 2) {
            continue;
        }
        copy.trip = TripFor(network, copy, copiesByNumber);
        for (std::size_t i = begin; i + 1 < end; ++i) {
            const TripStop& a = copy.stops[i];
            const TripStop& b = copy.stops[i + 1];
            if (a.minutes >= in.earliest && b.minutes >= a.minutes) {
                hops.push_back({a.station, b.station, a.minutes, b.minutes, copy.trip});
            }
        }
        network.copiesOfTrip[static_cast<std::size_t>(copy.trip)].push_back(
            static_cast<int>(network.copies.size()));
        network.copies.push_back(std::move(copy));
    }
}

}  // namespace

TripNetwork BuildTripNetwork(const TimetableSet& set, std::span<const RouteCode> files,
                             const TravelFilter& filter, std::optional<TripEnds> ends) {
    TripNetwork network;
    std::optional<EndStations> endStations;
    if (ends) {
        endStations = EndStations{StationOf(network, ends->from), StationOf(network, ends->to)};
    }
    std::unordered_map<std::u16string_view, std::vector<int>> copiesByNumber;
    const TrainAdmission admission = AdmissionOf(filter);
    std::vector<Connection> hops;
    for (RouteCode file : files) {
        for (RouteCode sheet : set.sheetsOf(file)) {
            if (const TimetableGrid* grid = set.find(sheet)) {
                AddSheet(network, {sheet, *grid, filter.earliest, admission, ends, endStations},
                         copiesByNumber, hops);
            }
        }
    }
    network.connections = ScanOrder(hops);
    return network;
}

}  // namespace velomar
