#pragma once

// Turns the 64 timetable files into a GTFS feed (CSV files with header rows), so that the
// timetables can be loaded by other tools or queried with SQL.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "export/gtfs_text.h"
#include "timetable/timetable_file.h"

namespace velomar {

struct GtfsExportOptions {
    // Validity of every service, YYYYMMDD. The samples model about 2010, so that year is the
    // default; a real data set would pass its own period.
    std::string startDate = "20100101";
    std::string endDate = "20101231";
    // Given by the user: a set that carries dates takes its own period, and says so.
    bool periodGiven = false;
};

struct GtfsFile {
    std::string name;     // "stop_times.txt"
    std::string content;  // UTF-8 CSV with a header row, CR LF line ends
};

struct GtfsFeed {
    std::vector<GtfsFile> files;  // in writing order
    int timetableFiles = 0;       // timetable files that could be read
    int trips = 0;
    int stopTimes = 0;
    // Things left out or repaired, one UTF-8 line each ("DownData_05.txt: column 3: ...").
    std::vector<std::string> warnings;
};

// Reads every Up and Down file of routes 0-31 and their further sheets through `timetables`
// and builds the feed; the services come from TimeData/Dates.txt when the set carries dates.
// Fails (with `error` set) only when the options are bad, the dates cannot be read or no file
// at all can be read; missing files and unusable cells become warnings.
bool BuildGtfsFeed(const TimetableDirectory& timetables, const GtfsExportOptions& options,
                   GtfsFeed& feed, std::string& error);

// Writes the files into `directory`, creating it (and its parents) when missing. The whole
// feed is written into a staging folder first and the old feed files are replaced only once
// every new one is complete: a failed export leaves the old feed as it was. Files of other
// names in `directory` stay. Fails when `directory` is not a folder or a file cannot be
// written.
bool WriteGtfsFeed(const GtfsFeed& feed, const std::filesystem::path& directory,
                   std::string& error);

}  // namespace velomar
