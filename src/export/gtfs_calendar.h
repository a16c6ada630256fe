#pragma once

// The services of the GTFS export: from the train codes' day letters over the options' period,
// or, for a set that carries dates, from TimeData/Dates.txt (a service per day pattern, its
// added and removed days in calendar_dates.txt).

#include <set>
#include <string>
#include <vector>

#include "export/gtfs_export.h"
#include "timetable/service_dates.h"
#include "timetable/timetable_file.h"

namespace velomar {

// The service of the train in the sheet's column: its pattern's ("D3"), "ALL_DAYS" for one that
// runs on every day of the period, or without dates the day letters' ("WEEKDAY").
std::string GtfsServiceOf(const ServiceDates* dates, RouteCode sheet, int column,
                          std::u16string_view trainCode);

// calendar.txt, and calendar_dates.txt with dates, for the services used; feed_info.txt with
// the period.
std::vector<GtfsFile> GtfsCalendarFiles(const std::set<std::string>& usedServices,
                                        const GtfsExportOptions& options,
                                        const ServiceDates* dates);

}  // namespace velomar
