#pragma once

// The stops of one tapped train between two stations, reloaded from the train's own file.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_sink.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {

// The detail dialog keeps room for this many stops; a grid has fewer rows.
inline constexpr std::size_t kStopListCapacity = 100;

// Stops of one train between the form's two stations, as the detail dialog lists them.
struct StopList {
    std::vector<std::u16string> stationNames;
    std::vector<std::u16string> times;  // four digits, after DisplayTime

    void AddStop(std::u16string name, std::u16string time);
    std::size_t count() const { return stationNames.size(); }
    friend bool operator==(const StopList&, const StopList&) = default;
};

// A stop's time as the detail dialog and the CLI show it: HH:MM, as every time on screen
// (FormatClock). A text that is not four characters long, which no grid holds, is shown as it
// stands rather than cut up.
std::u16string StopTimeText(std::u16string_view time);

// Where a train calls between two stations of a loaded grid: its column (the last one with
// its number) and the rows from the departure row to the arrival row with a time for it.
// Nothing when the number or either station is not in the grid.
struct TrainCalls {
    int column = 0;
    std::vector<int> rows;
};
std::optional<TrainCalls> FindTrainCalls(const TimetableGrid& grid, std::u16string_view trainNo,
                                         std::u16string_view departureCode,
                                         std::u16string_view arrivalCode);

enum class TrainDetailStatus {
    Stops,             // the dialog opens with these stops (possibly none)
    Nothing,           // the tap does nothing (no train number, route code -1)
    InvalidRouteCode,  // a route code naming no file (only a command line can give one)
};

struct TrainDetailResult {
    TrainDetailStatus status = TrainDetailStatus::Nothing;
    StopList stops;
};

struct TrainDetailServices {
    const TimetableDirectory& timetables;
    TimetableGrid& grid;
    MessageSink& messages;
};

// Reloads the file or sheet of routeCode into the grid, finds the train's column by its number and
// lists its stops from the departure row to the arrival row. `departure` and `arrival` come in
// as the form's texts and are left as station codes, as the screen's held texts are.
TrainDetailResult ShowTrainDetail(std::u16string_view trainNo, RouteCode routeCode,
                                  std::u16string& departure, std::u16string& arrival,
                                  CurrentTimetableFile& current,
                                  const TrainDetailServices& services);

}  // namespace velomar
