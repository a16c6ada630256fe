#pragma once

// A GTFS feed mapped onto the network's timetable files for a period: the 64 files, further
// sheets of a route direction where its file is full, the dates each train runs
// (TimeData/Dates.txt), and a report that accounts for every trip of the feed. The feed is
// read as a stream; nothing is written until every file is complete.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "import/feed_source.h"
#include "import/import_progress.h"
#include "import/network_model.h"
#include "import/overrides.h"
#include "import/placement.h"
#include "import/service_calendar.h"
#include "import/station_match.h"
#include "import/trip_reader.h"

namespace velomar {

struct GtfsImportOptions {
    PeriodChoice period;  // default: the feed's own service period
    StationOverrides stations;
    TypeOverrides types;
    std::string feedName;  // shown in SOURCE.txt
    ImportProgress progress;
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
    StopMatchKind kind;
    long calls;  // calls of the period's trips of a mapped type
};

struct SheetLine {
    RouteCode sheet;
    int trains;
};

struct ImportReport {
    std::string feedName;
    FeedSourceInfo source;
    ServicePeriod period;
    PeriodKind periodKind = PeriodKind::Feed;
    bool periodCut = false;  // the feed runs on past the longest period imported
    std::optional<ServicePeriod> feedPeriod;
    long tripsRead = 0;
    long tripsImported = 0;
    long trains = 0;  // imported trips with the same number, type and times are one train
    std::array<long, kSkipReasonCount> skipped{};
    long shownOnMoreDays = 0;  // imported trips whose train code covers more weekdays
    int trainsWithUnservedPairs = 0;
    std::vector<StationLine> stations;  // one per station of the feed (platforms folded in)
    std::vector<std::pair<std::string, long>> unmappedTypes;  // route name, trips of the period
    std::vector<SheetLine> sheets;                            // every file and sheet written
};

// What an import writes, each timetable made into text only when it is written.
struct ImportedTimetables {
    std::vector<ImportTrain> trains;
    Placement placement;
    std::optional<std::string> dates;  // Dates.txt; none for a week written as day codes
    std::string source;                // SOURCE.txt

    // The text of a file or sheet; a sheet that is not written has no trains.
    std::string text(RouteCode sheet) const;
};

// Fails (error says why, nothing is written) when the feed cannot be read or yields no train.
bool ImportGtfs(const FeedSource& feed, const GtfsImportOptions& options, ImportedTimetables& out,
                ImportReport& report, std::string& error);

// DIR/TimeData/ with the files, their sheets, Dates.txt and SOURCE.txt, replacing an old
// TimeData only once all of them are written.
bool WriteImportedTimetables(const ImportedTimetables& timetables,
                             const std::filesystem::path& directory, std::string& error);

}  // namespace velomar
