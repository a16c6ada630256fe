#pragma once

// The text of one timetable file or sheet: row 0 the train codes, row 1 the numbers, then one row
// per station of the route (two for a station the route lists twice in a row), Down order or
// reversed for Up, cells ended by TAB, lines by "/" and CR LF, the file by "=".

#include <string>
#include <vector>

#include "import/placement.h"

namespace velomar {

// A cell holds the departure; the train's last call holds the arrival; a station the route
// lists twice gets the arrival in its first row and the departure in its second.
std::string RenderTimetableFile(RouteCode sheet, const std::vector<FileColumn>& columns,
                                const std::vector<ImportTrain>& trains);

}  // namespace velomar
