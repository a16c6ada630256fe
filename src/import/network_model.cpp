#include "import/network_model.h"

#include <algorithm>

namespace velomar {

namespace {

struct Network {
    std::vector<NetworkStation> stations;
    std::array<RouteSlots, kRouteCount> routes;
};

int IndexOf(std::vector<NetworkStation>& stations, const RouteRecord& record) {
    for (std::size_t i = 0; i < stations.size(); ++i) {
        if (stations[i].code == record.code) {
            return static_cast<int>(i);
        }
    }
    stations.push_back({record.name, record.code});
    return static_cast<int>(stations.size()) - 1;
}

Network BuildNetwork() {
    Network network;
    for (RouteSlots& route : network.routes) {
        route.slotOf.fill(-1);
    }
    for (const RouteRecord& record : RouteTable()) {
        if (!IsStationRecord(record)) {
            continue;
        }
        const int station = IndexOf(network.stations, record);
        RouteSlots& route = network.routes[record.route];
        if (!route.slots.empty() && route.slots.back().station == station) {
            route.slots.back().rows = 2;
            continue;
        }
        route.slotOf[static_cast<std::size_t>(station)] =
            static_cast<std::int16_t>(route.slots.size());
        route.slots.push_back({station, 1});
    }
    return network;
}

const Network& TheNetwork() {
    static const Network network = BuildNetwork();
    return network;
}

}  // namespace

std::span<const NetworkStation> NetworkStations() {
    return TheNetwork().stations;
}

std::optional<int> NetworkStationByName(std::u16string_view name) {
    const auto& stations = TheNetwork().stations;
    const auto it = std::find_if(stations.begin(), stations.end(),
                                 [&](const NetworkStation& s) { return s.name == name; });
    if (it == stations.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - stations.begin());
}

const RouteSlots& SlotsOfRoute(int route) {
    return TheNetwork().routes[static_cast<std::size_t>(route)];
}

}  // namespace velomar
