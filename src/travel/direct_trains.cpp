#include "travel/direct_trains.h"

#include <algorithm>

#include "network/route_table.h"
#include "search/search.h"
#include "search/train_admission.h"
#include "timetable/route_selection.h"
#include "timetable/train_codes.h"

namespace velomar {

namespace {

// The station names and codes of the pair.
struct Pair {
    std::u16string_view from;
    std::u16string_view to;
    std::u16string fromCode;
    std::u16string toCode;
};

// Offers the admitted trains of one grid; false when the search would stop here.
bool OfferSheet(const TimetableGrid& grid, RouteCode sheet, const Pair& pair,
                std::u16string_view timeKey, const TrainAdmission& admission,
                std::vector<TrainRide>& trains) {
    const StationRows rows = LocateStationRows(grid, pair.fromCode, pair.toCode);
    if (!rows.departure || !rows.arrival) {
        return false;
    }
    const RideQuery ride{*rows.departure, *rows.arrival, timeKey};
    for (int k = 1; k < kGridColumns; ++k) {
        const std::u16string_view dep = grid.cell(ride.departureRow, k);
        // A page's empty slots hold "9999", so nothing at or above it ever gets a place.
        if (!AdmitsRide(grid, sheet, k, ride, admission) || !(dep < kNoTime)) {
            continue;
        }
        const std::u16string_view number = grid.cell(1, k);
        auto place = std::lower_bound(
            trains.begin(), trains.end(), dep,
            [](const TrainRide& t, std::u16string_view d) { return t.departureKey < d; });
        for (; place != trains.end() && place->departureKey == dep; ++place) {
            if (place->trainNo == number) {
                break;
            }
        }
        if (place != trains.end() && place->departureKey == dep) {
            continue;  // the same train from an earlier file keeps its place
        }
        trains.insert(place,
                      TrainRide{std::u16string(number), std::u16string(TypeLabel(grid.cell(0, k))),
                                std::u16string(dep), std::u16string(grid.cell(ride.arrivalRow, k)),
                                sheet, std::u16string(pair.from), std::u16string(pair.to)});
    }
    return true;
}

}  // namespace

std::vector<RouteCode> DirectTrainFiles(std::u16string_view from, std::u16string_view to) {
    const RouteMasks masks = SelectRoutes(from, to);
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

std::vector<TrainRide> DirectTrains(const TimetableSet& set, std::u16string_view from,
                                    std::u16string_view to, std::u16string_view typeFilter,
                                    std::u16string_view timeKey, ServiceDay day) {
    const Pair pair{from, to, StationNameToCode(from), StationNameToCode(to)};
    const TrainAdmission admission(typeFilter, day);
    std::vector<TrainRide> trains;
    for (RouteCode file : DirectTrainFiles(from, to)) {
        const std::span<const RouteCode> sheets = set.sheetsOf(file);
        if (sheets.empty()) {
            return trains;  // not held
        }
        for (RouteCode sheet : sheets) {
            const TimetableGrid* grid = set.find(sheet);
            if (grid == nullptr || !OfferSheet(*grid, sheet, pair, timeKey, admission, trains)) {
                return trains;
            }
        }
    }
    return trains;
}

}  // namespace velomar
