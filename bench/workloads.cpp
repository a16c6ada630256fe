#include "workloads.h"

#include <map>
#include <set>
#include <utility>

#include "network/route_table.h"

namespace velomar::bench {
namespace {

using Names = std::vector<std::u16string_view>;

// Station names of each route in Down order.
std::vector<Names> RouteStations() {
    std::vector<Names> routes(kRouteCount);
    for (const RouteRecord& record : RouteTable()) {
        if (IsStationRecord(record) && record.route < routes.size()) {
            routes[record.route].push_back(record.name);
        }
    }
    return routes;
}

// Distinct station names in order of first appearance in the table.
Names StationsInTableOrder() {
    Names names;
    std::set<std::u16string_view> seen;
    for (const RouteRecord& record : RouteTable()) {
        if (IsStationRecord(record) && seen.insert(record.name).second) {
            names.push_back(record.name);
        }
    }
    return names;
}

SearchPair MakePair(std::string label, std::u16string_view departure, std::u16string_view arrival) {
    SearchPair pair{std::move(label), std::u16string(departure), std::u16string(arrival), {}, {}};
    pair.masks = SelectRoutes(departure, arrival);
    pair.files = FilesOf(pair.masks);
    return pair;
}

}  // namespace

std::vector<RouteCode> FilesOf(const RouteMasks& masks) {
    std::vector<RouteCode> files;
    for (int r = 0; r < kRouteCount; ++r) {
        const std::uint32_t bit = std::uint32_t{1} << r;
        if ((masks.upMask & bit) != 0) {
            files.push_back(RouteCode::of(r, Direction::Up));
        }
        if ((masks.downMask & bit) != 0) {
            files.push_back(RouteCode::of(r, Direction::Down));
        }
    }
    return files;
}

Workloads ChooseWorkloads() {
    const std::vector<Names> routes = RouteStations();
    const Names stations = StationsInTableOrder();

    // Routes per station.
    std::map<std::u16string_view, std::set<int>> routesOf;
    for (int r = 0; r < kRouteCount; ++r) {
        for (std::u16string_view name : routes[static_cast<std::size_t>(r)]) {
            routesOf[name].insert(r);
        }
    }
    std::u16string_view busiest;
    std::size_t busiestCount = 0;
    for (std::u16string_view name : stations) {
        if (routesOf[name].size() > busiestCount) {
            busiest = name;
            busiestCount = routesOf[name].size();
        }
    }

    // Files per ordered pair of different stations: a route that lists a before b serves
    // (a, b) with its Down file and (b, a) with its Up file.
    using Pair = std::pair<std::u16string_view, std::u16string_view>;
    std::map<Pair, std::set<int>> filesOf;  // route code values
    std::vector<Pair> pairOrder;
    for (int r = 0; r < kRouteCount; ++r) {
        const Names& list = routes[static_cast<std::size_t>(r)];
        for (std::size_t i = 0; i < list.size(); ++i) {
            for (std::size_t j = i + 1; j < list.size(); ++j) {
                if (list[i] == list[j]) {
                    continue;
                }
                const Pair down{list[i], list[j]};
                const Pair up{list[j], list[i]};
                if (!filesOf.contains(down)) {
                    pairOrder.push_back(down);
                }
                filesOf[down].insert(RouteCode::of(r, Direction::Down).value());
                if (!filesOf.contains(up)) {
                    pairOrder.push_back(up);
                }
                filesOf[up].insert(RouteCode::of(r, Direction::Up).value());
            }
        }
    }
    Pair widest;
    std::size_t widestCount = 0;
    for (const Pair& pair : pairOrder) {
        if (filesOf[pair].size() > widestCount) {
            widest = pair;
            widestCount = filesOf[pair].size();
        }
    }

    // Neighbouring stations, as most people search them, served by one or two files.
    std::vector<SearchPair> typical;
    std::set<Pair> taken;
    for (int r = 0; r < kRouteCount; ++r) {
        const Names& list = routes[static_cast<std::size_t>(r)];
        for (std::size_t i = 0; i + 1 < list.size(); ++i) {
            const Pair pair{list[i], list[i + 1]};
            const std::size_t count = filesOf.contains(pair) ? filesOf[pair].size() : 0;
            if (count >= 1 && count <= 2 && taken.insert(pair).second) {
                typical.push_back(MakePair("T", pair.first, pair.second));
            }
        }
    }

    // The first station sharing no route with the busiest one.
    std::u16string_view unrelated;
    for (std::u16string_view name : stations) {
        bool shared = false;
        for (int r : routesOf[name]) {
            shared = shared || routesOf[busiest].contains(r);
        }
        if (!shared) {
            unrelated = name;
            break;
        }
    }

    // Named by one record only; the last such makes the forward searches walk furthest.
    std::map<std::u16string_view, int> records;
    for (const RouteRecord& record : RouteTable()) {
        if (IsStationRecord(record)) {
            ++records[record.name];
        }
    }
    std::u16string_view rare;
    for (const RouteRecord& record : RouteTable()) {
        if (IsStationRecord(record) && records[record.name] == 1) {
            rare = record.name;
        }
    }

    Workloads w;
    w.busiestSameStation = MakePair("W1", busiest, busiest);
    w.busiestPair = MakePair("W2", widest.first, widest.second);
    w.noRoute = MakePair("N", busiest, unrelated);
    w.journeyPair = MakePair("J", u"강릉", u"부산");
    w.typicalCandidates = std::move(typical);
    w.rareArrival = rare;
    return w;
}

}  // namespace velomar::bench
