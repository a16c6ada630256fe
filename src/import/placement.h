#pragma once

// Which timetable sheets hold each train. The search finds a train for a station pair only in
// the sheets of the route directions that route selection names for the pair, so a train goes
// into a sheet of each route direction needed for every pair of its calls (S before E) that
// some route lists: the route directions are chosen greedily, the one serving most of the
// pairs still unserved first; on a tie a line before a through route, then the route with
// fewer stations, then the lower index. Within a route direction the train takes the first
// sheet with room (79 trains) that does not hold its number yet, the file itself first, then
// sheets 2, 3, ... as needed; trains are placed in order of priority (more days, then more
// calls, then the earlier departure), so the file holds the trains most people ride. Within
// a sheet the trains stand in the order of their time at its first station, as far as the
// trains' own running times tell it, so that the search, which offers only the first trains
// of a sheet in column order, meets them in time order.

#include <vector>

#include "import/train_table.h"
#include "timetable/timetable_file.h"

namespace velomar {

inline constexpr int kSheetCapacity = 79;

struct FileColumn {
    int train;
    std::vector<int> calls;  // indices into the train's calls written into this sheet
};

struct PlacedSheet {
    RouteCode code;
    std::vector<FileColumn> columns;  // in column order
};

struct Placement {
    // Every route direction's sheets, each file followed by its sheets 2, 3, ...: the Up files
    // of routes 0 to 31, then the Down files. The 64 files are always there.
    std::vector<PlacedSheet> sheets;
    std::vector<int> skipped;         // per train: -1 placed, else SkipReason::NoRoom
    int trainsWithUnservedPairs = 0;  // placed, but some pair of calls no sheet can serve
};

Placement PlaceTrains(const std::vector<ImportTrain>& trains);

// Whether all of the train's calls stand on the sheet's route, in the order of its rows.
bool FitsSheetWhole(const ImportTrain& train, RouteCode sheet);

}  // namespace velomar
