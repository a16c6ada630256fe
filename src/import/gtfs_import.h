#pragma once

// A GTFS feed mapped onto the network's 64 timetable files for one week, with a report that
// accounts for every trip of the feed. The feed is read as a stream; nothing is written
// until every file is complete.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "import/feed_source.h"
#include "import/network_model.h"
#include "import/overrides.h"
#include "import/station_match.h"
#include "import/trip_reader.h"

namespace velomar {

struct GtfsImportOptions {
    std::optional<int> week;  // first day (days since 1970-01-01); default: the first service
    StationOverrides stations;
    TypeOverrides types;
    std::string feedName;  // shown in SOURCE.txt
};

// Who made the feed and under which terms, as feed_info.txt, agency.txt and
// attributions.txt give it.
struct FeedSourceInfo {
    std::string publisher;
    std::string publisherUrl;
    std::string version;
    std::string licence;  // feed_license / feed_license_url columns, when a feed has them
    std::vector<std::string> agencies;
    std::vector<std::string> attributions;
};

struct StationLine {
    std::string stopName;
    std::string networkName;  // empty when not matched
    MatchKind kind;
    long calls;  // calls of the week's trips of a mapped type
};

struct ImportReport {
    std::string feedName;
    FeedSourceInfo source;
    int weekStart = 0;
    std::optional<int> periodStart;
    std::optional<int> periodEnd;
    long tripsRead = 0;
    long tripsImported = 0;
    long trains = 0;  // imported trips with the same number, type and times are one train
    std::array<long, kSkipReasonCount> skipped{};
    long shownOnMoreDays = 0;  // imported trips whose train code covers more days
    int trainsWithUnservedPairs = 0;
    std::vector<StationLine> stations;  // one per station of the feed (platforms folded in)
    std::vector<std::pair<std::string, long>> unmappedTypes;  // route name, trips of the week
    std::array<int, kFileCount> trainsPerFile{};
    std::array<bool, kFileCount> fileFull{};  // a train was left out for want of room
};

struct ImportedTimetables {
    std::array<std::string, kFileCount> files;  // FileIndex order
    std::string source;                         // SOURCE.txt
};

bool ImportGtfs(const FeedSource& feed, const GtfsImportOptions& options, ImportedTimetables& out,
                ImportReport& report, std::string& error);

// DIR/TimeData/ with the 64 files and SOURCE.txt, replacing an old TimeData only once all of
// them are written.
bool WriteImportedTimetables(const ImportedTimetables& timetables,
                             const std::filesystem::path& directory, std::string& error);

// The file name of a FileIndex: "UpData_05.txt".
std::string ImportFileName(int file);

}  // namespace velomar
