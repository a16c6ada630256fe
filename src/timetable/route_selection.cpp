#include "timetable/route_selection.h"

#include "network/route_table.h"
#include "timetable/timetable_grid.h"

namespace velomar {

namespace {

// For every station record named `from`, the first station record at or after it named
// `to`; its route is selected when it is the same route.
std::uint32_t forwardPass(std::u16string_view from, std::u16string_view to) {
    const auto table = RouteTable();
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!IsStationRecord(table[i]) || table[i].name != from) {
            continue;
        }
        for (std::size_t j = i; j < table.size(); ++j) {
            if (IsStationRecord(table[j]) && table[j].name == to) {
                if (table[j].route == table[i].route) {
                    mask |= std::uint32_t{1} << table[i].route;
                }
                break;
            }
        }
    }
    return mask;
}

}  // namespace

RouteMasks SelectRoutes(std::u16string_view departure, std::u16string_view arrival) {
    return {forwardPass(arrival, departure), forwardPass(departure, arrival)};
}

StationRows LocateStationRows(const TimetableGrid& grid, std::u16string_view departureCode,
                              std::u16string_view arrivalCode) {
    StationRows rows;
    for (int r = 0; r < kGridRows; ++r) {
        const std::u16string_view code = grid.cell(r, 0);
        if (code == departureCode) {
            rows.departure = r;
        }
        if (code == arrivalCode) {
            rows.arrival = r;
        }
    }
    return rows;
}

}  // namespace velomar
