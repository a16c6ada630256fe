#pragma once

// The import's report as text for people, as one JSON object for scripts, and the
// "key: value" head of SOURCE.txt.

#include <string>
#include <vector>

#include "import/gtfs_import.h"

namespace velomar {

// One line per station of the feed: platforms count with their parent station.
std::vector<StationLine> StationLines(const FeedStops& stops);

std::string FormatReportText(const ImportReport& report);
std::string FormatReportJson(const ImportReport& report);
std::string FormatSourceText(const ImportReport& report);

// Why an import that yields no train fails: what became of the trips of trips.txt.
std::string NoTrainError(const ImportReport& report, long stopTimeRows);

}  // namespace velomar
