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

// "2024-03-04" for a day number.
std::string IsoDate(int dayNumber);

// The reasons as the report names them ("file full").
std::string_view SkipReasonText(SkipReason reason);

}  // namespace velomar
