#include "travel/direct_trains.h"

#include <algorithm>

#include "network/route_table.h"
#include "search/search.h"
#include "timetable/route_selection.h"
#include "timetable/train_codes.h"

namespace velomar {

namespace {

// Offers the passing trains of one grid; false when the search would stop here.
bool OfferFile(const TimetableGrid& grid, RouteCode file, std::u16string_view fromCode,
               std::u16string_view toCode, std::u16string_view typeFilter,
               std::u16string_view timeKey, std::vector<DirectTrain>& trains) {
    const StationRows rows = LocateStationRows(grid, fromCode, toCode);
    if (!rows.departure || !rows.arrival) {
        return false;
    }
    for (int k = 1; k < kGridColumns; ++k) {
        const std::u16string_view dep = grid.cell(*rows.departure, k);
        const std::u16string_view arr = grid.cell(*rows.arrival, k);
        // A page's empty slots hold "9999", so nothing at or above it ever gets a place.
        if (!(timeKey <= dep) || !(dep < kNoTime) || arr == kNoTime ||
            !PassesTypeFilter(typeFilter, grid.cell(0, k))) {
            continue;
        }
        const auto place = std::lower_bound(
            trains.begin(), trains.end(), dep,
            [](const DirectTrain& t, std::u16string_view d) { return t.departureCell < d; });
        if (place != trains.end() && place->departureCell == dep) {
            continue;  // the train offered first keeps its place
        }
        trains.insert(place, DirectTrain{std::u16string(grid.cell(1, k)), std::u16string(dep),
                                         std::u16string(arr),
                                         std::u16string(TypeLabel(grid.cell(0, k))), file});
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

std::vector<DirectTrain> DirectTrains(const TimetableSet& set, std::u16string_view from,
                                      std::u16string_view to, std::u16string_view typeFilter,
                                      std::u16string_view timeKey) {
    const std::u16string fromCode = StationNameToCode(from);
    const std::u16string toCode = StationNameToCode(to);
    std::vector<DirectTrain> trains;
    for (RouteCode file : DirectTrainFiles(from, to)) {
        const TimetableGrid* grid = set.find(file);
        if (grid == nullptr ||
            !OfferFile(*grid, file, fromCode, toCode, typeFilter, timeKey, trains)) {
            break;
        }
    }
    return trains;
}

}  // namespace velomar
