#pragma once

// The compiled-in network as the import needs it: each station once, by index, and each
// route as its row slots in Down order.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "network/route_table.h"

namespace velomar {

inline constexpr int kNetworkStationCount = 298;

struct NetworkStation {
    std::u16string_view name;
    std::u16string_view code;
};

// In the order the route table first lists them.
std::span<const NetworkStation> NetworkStations();
std::optional<int> NetworkStationByName(std::u16string_view name);

// One place of a route: a station, given in one row, or in two adjacent rows (arrival, then
// departure) where the route lists it twice in a row.
struct RouteSlot {
    int station;
    int rows;
};

struct RouteSlots {
    std::vector<RouteSlot> slots;                           // Down order
    std::array<std::int16_t, kNetworkStationCount> slotOf;  // -1 for a station not on it
};

const RouteSlots& SlotsOfRoute(int route);

}  // namespace velomar
