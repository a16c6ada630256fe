#include "search/train_detail.h"

#include <optional>

#include "network/route_table.h"
#include "timetable/route_selection.h"
#include "timetable/time_text.h"

namespace velomar {

void StopList::AddStop(std::u16string name, std::u16string time) {
    if (count() >= kStopListCapacity) {
        return;
    }
    stationNames.push_back(std::move(name));
    times.push_back(std::move(time));
}

std::u16string StopTimeText(std::u16string_view time) {
    return time.size() == kCellLength ? FormatClock(time) : std::u16string(time);
}

std::optional<TrainCalls> FindTrainCalls(const TimetableGrid& grid, std::u16string_view trainNo,
                                         std::u16string_view departureCode,
                                         std::u16string_view arrivalCode) {
    std::optional<int> column;
    for (int c = 0; c < kGridColumns; ++c) {
        if (grid.cell(1, c) == trainNo) {
            column = c;
        }
    }
    const StationRows rows = LocateStationRows(grid, departureCode, arrivalCode);
    if (!column || !rows.departure || !rows.arrival) {
        return std::nullopt;
    }
    TrainCalls calls{*column, {}};
    for (int r = *rows.departure; r <= *rows.arrival; ++r) {
        if (grid.cell(r, *column) != kNoTime) {
            calls.rows.push_back(r);
        }
    }
    return calls;
}

TrainDetailResult ShowTrainDetail(std::u16string_view trainNo, RouteCode routeCode,
                                  std::u16string& departure, std::u16string& arrival,
                                  CurrentTimetableFile& current,
                                  const TrainDetailServices& services) {
    TrainDetailResult result;
    if (trainNo.empty()) {
        return result;
    }
    current.reset();
    if (routeCode.value() == RouteCode::kNone) {
        return result;
    }
    if (!routeCode.names_file()) {
        result.status = TrainDetailStatus::InvalidRouteCode;
        return result;
    }
    result.status = TrainDetailStatus::Stops;

    // The file or sheet the code names; a sheet that is not there is a file that cannot be
    // opened.
    current = CurrentTimetableFile(services.timetables.openSource(routeCode));
    if (!current) {
        services.messages.showMessage(u"fopen Error", kInfoCaption);
    }
    TimetableGrid& grid = services.grid;
    if (!LoadTimetableGrid(current, grid, services.messages)) {
        services.messages.showMessage(u"GetTimeTable() Error", kInfoCaption);
    }

    StationNameToCode(departure, arrival);
    const auto calls = FindTrainCalls(grid, trainNo, departure, arrival);
    if (!calls) {
        return result;
    }
    for (int r : calls->rows) {
        result.stops.AddStop(StationCodeToName(grid.cell(r, 0)),
                             DisplayTime(grid.cell(r, calls->column)));
    }
    return result;
}

}  // namespace velomar
