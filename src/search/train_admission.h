#pragma once

// Which train columns a reader of timetables may list. Every reader (the search, the direct
// trains, the departure board, the journey planner) asks the one TrainAdmission, into which the
// type list's filter and the day answered for plug; the pair readers add AdmitsRide.

#include <string_view>
#include <vector>

#include "search/search_query.h"
#include "timetable/service_dates.h"
#include "timetable/time_text.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {

class TrainAdmission {
  public:
    // typeFilter: an entry of the type list ("전체 ..." and any other text admit every code).
    explicit TrainAdmission(std::u16string_view typeFilter, ServiceDay day = {});

    // The train of the sheet's column: its code passes the type filter and it runs on the day.
    bool admits(const TimetableGrid& grid, RouteCode sheet, int column) const {
        return passesType(grid.cell(0, column)) && runs(sheet, column);
    }
    bool passesType(std::u16string_view code) const { return m_type.empty() || passesTypeOf(code); }
    bool runs(RouteCode sheet, int column) const {
        return !m_day.filters() || runsOnTheDay(sheet, column);
    }

  private:
    bool passesTypeOf(std::u16string_view code) const;
    bool runsOnTheDay(RouteCode sheet, int column) const;

    std::u16string_view m_type;  // the type's name; empty admits every code
    ServiceDay m_day;
    bool m_dayInPeriod = true;
    // The sheet asked about last and its column patterns; whether each pattern runs that day.
    mutable RouteCode m_sheet;
    mutable const std::vector<int>* m_columns = nullptr;
    mutable std::vector<signed char> m_patternRuns;  // by pattern id: -1 not yet known
};

// The rows and time a pair reader (the search, the direct trains) reads a sheet with.
struct RideQuery {
    int departureRow = 0;
    int arrivalRow = 0;
    std::u16string_view timeKey;       // departures not below it, compared as text
    const PageBound* after = nullptr;  // Next's exact start, when set
};

// The column leaves the departure row at or after the key (and after the bound) and calls at
// the arrival row, and the train is admitted. Inline: the search asks it for every column.
inline bool AdmitsRide(const TimetableGrid& grid, RouteCode sheet, int column,
                       const RideQuery& ride, const TrainAdmission& trains) {
    const std::u16string_view dep = grid.cell(ride.departureRow, column);
    if (dep < ride.timeKey || dep == kNoTime || grid.cell(ride.arrivalRow, column) == kNoTime) {
        return false;
    }
    if (ride.after != nullptr && !ride.after->admits(dep, grid.cell(1, column))) {
        return false;
    }
    return trains.admits(grid, sheet, column);
}

}  // namespace velomar
