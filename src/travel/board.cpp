#include "travel/board.h"

#include <algorithm>
#include <optional>

#include "network/route_table.h"
#include "search/train_admission.h"
#include "timetable/route_selection.h"
#include "timetable/service_time.h"
#include "timetable/train_codes.h"

namespace velomar {

namespace {

struct Candidate {
    TrainRide departure;
    int leaves;   // minutes
    int arrives;  // at the last station, minutes
};

// The train of column k leaving row `row`, when it calls at a later station.
std::optional<Candidate> CandidateAt(const TimetableGrid& grid, RouteCode code, int row, int k,
                                     int earliest, const TrainAdmission& admission) {
    const std::u16string_view leaves = grid.cell(row, k);
    const auto leavesAt = CellMinutes(leaves);
    if (!leavesAt || *leavesAt < earliest || !admission.admits(grid, code, k)) {
        return std::nullopt;
    }
    std::optional<int> last;
    for (int r = row + 1; r < kGridRows; ++r) {
        if (CellMinutes(grid.cell(r, k))) {
            last = r;
        }
    }
    if (!last) {
        return std::nullopt;  // it ends here
    }
    const std::u16string_view arrives = grid.cell(*last, k);
    return Candidate{{std::u16string(grid.cell(1, k)),
                      std::u16string(TypeLabel(grid.cell(0, k))),
                      std::u16string(leaves),
                      std::u16string(arrives),
                      code,
                      {},
                      StationCodeToName(grid.cell(*last, 0))},
                     *leavesAt,
                     *CellMinutes(arrives)};
}

}  // namespace

std::vector<RouteCode> BoardFiles(std::u16string_view station) {
    return FilesLeaving(station);
}

std::vector<TrainRide> DepartureBoard(const TimetableSet& set, std::u16string_view station,
                                      const TravelFilter& filter, std::size_t limit) {
    const std::u16string code = StationNameToCode(station);
    const TrainAdmission admission = AdmissionOf(filter);
    std::vector<Candidate> trains;
    for (RouteCode file : BoardFiles(station)) {
        for (RouteCode sheet : set.sheetsOf(file)) {
            const TimetableGrid* grid = set.find(sheet);
            // The last row of the station, as the search takes it (a station given twice
            // lists its arrival first and its departure second).
            const std::optional<int> row =
                grid == nullptr ? std::nullopt : LocateStationRows(*grid, code, code).departure;
            if (!row) {
                continue;
            }
            for (int k = 1; k < kGridColumns; ++k) {
                auto candidate = CandidateAt(*grid, sheet, *row, k, filter.earliest, admission);
                if (!candidate) {
                    continue;
                }
                const auto same =
                    std::find_if(trains.begin(), trains.end(), [&](const Candidate& c) {
                        return c.departure.trainNo == candidate->departure.trainNo &&
                               c.leaves == candidate->leaves;
                    });
                if (same == trains.end()) {
                    trains.push_back(std::move(*candidate));
                } else if (candidate->arrives > same->arrives) {
                    *same = std::move(*candidate);
                }
            }
        }
    }
    std::stable_sort(trains.begin(), trains.end(),
                     [](const Candidate& a, const Candidate& b) { return a.leaves < b.leaves; });
    std::vector<TrainRide> board;
    for (std::size_t i = 0; i < trains.size() && i < limit; ++i) {
        board.push_back(std::move(trains[i].departure));
        board.back().from = station;
    }
    return board;
}

}  // namespace velomar
