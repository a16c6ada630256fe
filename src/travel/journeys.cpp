#include "travel/journeys.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>
#include <unordered_map>

#include "network/route_table.h"
#include "timetable/service_time.h"
#include "timetable/train_codes.h"
#include "travel/trip_network.h"

namespace velomar {

namespace {

constexpr int kNever = INT_MAX;

// The lowest departure text a query admits: "0735" for 07:35, as the search compares it.
std::u16string TimeKeyOf(int minutes) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d", minutes / 60 % 100, minutes % 60);
    return std::u16string(text, text + 4);
}

// One train from a stop to TO: what a change there can lead on to.
struct Onward {
    int departure;
    int arrival;
    int trip;
};

// The best journey with one change on from a trip: where it changes and to what.
struct Change {
    int arrival = kNever;  // at TO
    int station = -1;
    int reachesChange = 0;  // minutes at the change station
    Onward next{};
};

struct Found {
    int departure;
    int trip;
    Change change;
};

// Onward trains of one stop, latest departure first; each arrives strictly earlier than the
// ones before it, so the best train leaving at or after a time is the last one that does.
class StopProfile {
  public:
    void add(const Onward& onward) {
        if (!m_entries.empty() && m_entries.back().arrival <= onward.arrival) {
            return;
        }
        if (!m_entries.empty() && m_entries.back().departure == onward.departure) {
            m_entries.back() = onward;
        } else {
            m_entries.push_back(onward);
        }
    }
    const Onward* bestFrom(int time) const {
        const auto end =
            std::partition_point(m_entries.begin(), m_entries.end(),
                                 [time](const Onward& e) { return e.departure >= time; });
        return end == m_entries.begin() ? nullptr : &*(end - 1);
    }

  private:
    std::vector<Onward> m_entries;
};

// The profile scan of the Connection Scan Algorithm (J. Dibbelt, T. Pajor, B. Strasser,
// D. Wagner: "Connection Scan Algorithm", ACM Journal of Experimental Algorithmics 23, 2018;
// arXiv:1703.05997), limited to two trains: connections by decreasing departure; per trip the
// arrival at TO staying on board and with one change still allowed; per stop the onward
// trains without change.
std::vector<Found> ScanProfiles(const TripNetwork& network, int source, int target,
                                int minimumChange) {
    std::vector<int> seated(network.copiesOfTrip.size(), kNever);
    std::vector<Change> changing(network.copiesOfTrip.size());
    std::vector<StopProfile> profiles(network.stations.size());
    std::vector<Found> found;
    int bestFound = kNever;  // found journeys leave no earlier than the one being scanned
    for (const Connection& c : network.connections) {
        const auto trip = static_cast<std::size_t>(c.trip);
        if (c.to == target) {
            seated[trip] = std::min(seated[trip], c.arrival);
        }
        if (c.to != target && c.to != source) {
            const Onward* next =
                profiles[static_cast<std::size_t>(c.to)].bestFrom(c.arrival + minimumChange);
            // The same train further on is no change; staying on it is never worse.
            if (next != nullptr && next->trip != c.trip && next->arrival < changing[trip].arrival) {
                changing[trip] = {next->arrival, c.to, c.arrival, *next};
            }
        }
        if (seated[trip] != kNever && c.from != target) {
            profiles[static_cast<std::size_t>(c.from)].add({c.departure, seated[trip], c.trip});
        }
        if (c.from == source && changing[trip].arrival < bestFound) {
            found.push_back({c.departure, c.trip, changing[trip]});
            bestFound = changing[trip].arrival;
        }
    }
    return found;
}

// The copy of a trip that calls at both ends of a leg at those minutes, and the two rows.
struct LegCopy {
    const TripCopy* copy = nullptr;
    int fromRow = -1;
    int toRow = -1;
};

LegCopy CopyFor(const TripNetwork& network, int trip, int from, int leaves, int to, int arrives) {
    for (int index : network.copiesOfTrip[static_cast<std::size_t>(trip)]) {
        const TripCopy& copy = network.copies[static_cast<std::size_t>(index)];
        LegCopy leg{&copy, -1, -1};
        for (const TripStop& stop : copy.stops) {
            if (leg.fromRow < 0 && stop.station == from && stop.minutes == leaves) {
                leg.fromRow = stop.row;
            } else if (leg.fromRow >= 0 && stop.station == to && stop.minutes == arrives) {
                leg.toRow = stop.row;
                break;
            }
        }
        if (leg.toRow >= 0) {
            return leg;
        }
    }
    return {};
}

// Station names by code, each looked up in the route table once per query.
class StationNames {
  public:
    const std::u16string& of(std::u16string_view code) {
        auto [place, added] = m_names.try_emplace(code);
        if (added) {
            place->second = StationCodeToName(code);
        }
        return place->second;
    }

  private:
    std::unordered_map<std::u16string_view, std::u16string> m_names;
};

std::optional<TrainRide> LegOf(const TripNetwork& network, StationNames& names, int trip, int from,
                               int leaves, int to, int arrives) {
    const LegCopy leg = CopyFor(network, trip, from, leaves, to, arrives);
    if (leg.copy == nullptr) {
        return std::nullopt;
    }
    const TimetableGrid& grid = *leg.copy->grid;
    const int k = leg.copy->column;
    return TrainRide{std::u16string(grid.cell(1, k)),
                     std::u16string(TypeLabel(grid.cell(0, k))),
                     std::u16string(grid.cell(leg.fromRow, k)),
                     std::u16string(grid.cell(leg.toRow, k)),
                     leg.copy->file,
                     names.of(grid.cell(leg.fromRow, 0)),
                     names.of(grid.cell(leg.toRow, 0))};
}

// Leaving later and arriving earlier beats any number of changes; otherwise a journey that is
// no worse in either time beats one with as many changes or more when it is better in one of
// them, or one with more changes at the same times.
bool Beats(const Journey& a, const Journey& b) {
    if (a.departure < b.departure || a.arrival > b.arrival) {
        return false;
    }
    const bool earlierAndLater = a.departure > b.departure && a.arrival < b.arrival;
    const bool betterTime = a.departure > b.departure || a.arrival < b.arrival;
    return earlierAndLater || (betterTime && a.changes() <= b.changes()) ||
           a.changes() < b.changes();
}

// Two journeys on the same trains; different trains leaving at one minute are both listed.
bool SameTrains(const Journey& a, const Journey& b) {
    return std::equal(
        a.legs.begin(), a.legs.end(), b.legs.begin(), b.legs.end(),
        [](const TrainRide& x, const TrainRide& y) { return x.trainNo == y.trainNo; });
}

}  // namespace

std::vector<RouteCode> JourneyFiles(std::u16string_view from, std::u16string_view to) {
    std::vector<RouteCode> files = FilesLeaving(from);
    for (const auto& more : {FilesReaching(to), DirectTrainFiles(from, to)}) {
        files.insert(files.end(), more.begin(), more.end());
    }
    std::sort(files.begin(), files.end(), [](RouteCode a, RouteCode b) {
        return a.route() != b.route() ? a.route() < b.route() : a.direction() < b.direction();
    });
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

std::vector<Journey> DirectJourneys(const TimetableSet& set, const JourneyQuery& query) {
    std::vector<Journey> journeys;
    for (TrainRide& train :
         DirectTrains(set, query.from, query.to, TypeFilterText(query.filter.typeIndex),
                      TimeKeyOf(query.filter.earliest), query.filter.day)) {
        const auto leaves = CellMinutes(train.departureKey);
        const auto arrives = CellMinutes(train.arrivalCell);
        if (!leaves || !arrives || *arrives < *leaves) {
            continue;
        }
        journeys.push_back({{std::move(train)}, *leaves, *arrives});
    }
    return journeys;
}

std::vector<Journey> OneChangeJourneys(const TimetableSet& set, const JourneyQuery& query,
                                       std::span<const RouteCode> files) {
    // Every journey with at most one change boards a train that calls at FROM and leaves one
    // that calls at TO; no other train can be part of one.
    const std::u16string fromCode = StationNameToCode(query.from);
    const std::u16string toCode = StationNameToCode(query.to);
    const TripNetwork network =
        BuildTripNetwork(set, files, query.filter, TripEnds{fromCode, toCode});
    const int source = network.indexOf(fromCode);
    const int target = network.indexOf(toCode);
    std::vector<Journey> journeys;
    if (source < 0 || target < 0 || source == target) {
        return journeys;
    }
    StationNames names;
    for (const Found& f : ScanProfiles(network, source, target, query.minimumChange)) {
        const Change& c = f.change;
        auto first = LegOf(network, names, f.trip, source, f.departure, c.station, c.reachesChange);
        auto second =
            LegOf(network, names, c.next.trip, c.station, c.next.departure, target, c.arrival);
        if (first && second) {
            journeys.push_back({{std::move(*first), std::move(*second)}, f.departure, c.arrival});
        }
    }
    return journeys;
}

std::vector<Journey> ParetoJourneys(std::vector<Journey> candidates) {
    std::vector<bool> beaten(candidates.size(), false);
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        for (std::size_t j = 0; j < candidates.size() && !beaten[i]; ++j) {
            const bool equal = candidates[j].departure == candidates[i].departure &&
                               candidates[j].arrival == candidates[i].arrival &&
                               candidates[j].changes() == candidates[i].changes() &&
                               SameTrains(candidates[j], candidates[i]);
            beaten[i] = Beats(candidates[j], candidates[i]) || (equal && j < i);
        }
    }
    std::vector<Journey> kept;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (!beaten[i]) {
            kept.push_back(std::move(candidates[i]));
        }
    }
    std::stable_sort(kept.begin(), kept.end(), [](const Journey& a, const Journey& b) {
        return a.departure != b.departure ? a.departure < b.departure : a.arrival < b.arrival;
    });
    return kept;
}

std::vector<Journey> FindJourneys(const TimetableSet& set, const JourneyQuery& query) {
    return FindJourneys(set, query, JourneyFiles(query.from, query.to));
}

std::vector<Journey> FindJourneys(const TimetableSet& set, const JourneyQuery& query,
                                  std::span<const RouteCode> files) {
    std::vector<Journey> candidates = DirectJourneys(set, query);
    for (Journey& journey : OneChangeJourneys(set, query, files)) {
        candidates.push_back(std::move(journey));
    }
    std::vector<Journey> journeys = ParetoJourneys(std::move(candidates));
    if (journeys.size() > query.limit) {
        journeys.resize(query.limit);
    }
    return journeys;
}

}  // namespace velomar
