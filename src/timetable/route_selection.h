#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace velomar {

class TimetableGrid;

// Bit r set: route r's file of that direction serves the pair.
struct RouteMasks {
    std::uint32_t upMask = 0;
    std::uint32_t downMask = 0;
    bool empty() const { return upMask == 0 && downMask == 0; }
    friend bool operator==(const RouteMasks&, const RouteMasks&) = default;
};

// Down file when the route lists the departure at or before the arrival, Up file when it
// lists the arrival at or before the departure. Takes station names.
RouteMasks SelectRoutes(std::u16string_view departure, std::u16string_view arrival);

struct StationRows {
    std::optional<int> departure;
    std::optional<int> arrival;
};

// Rows whose column 0 holds the codes (rows 0 and 1 included); the last match wins.
StationRows LocateStationRows(const TimetableGrid& grid, std::u16string_view departureCode,
                              std::u16string_view arrivalCode);

}  // namespace velomar
