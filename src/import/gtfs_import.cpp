#include "import/gtfs_import.h"

#include <algorithm>
#include <map>

#include "import/day_code.h"
#include "import/import_report.h"
#include "import/placement.h"
#include "import/source_info.h"
#include "import/timetable_writer.h"
#include "platform/staged_folder.h"
#include "timetable/timetable_file.h"

namespace velomar {

namespace {

bool OpenRequired(const FeedSource& feed, std::string_view name,
                  std::unique_ptr<ByteSource>& source, std::string& error) {
    source = feed.open(name, error);
    if (!source && error.empty()) {
        error = "the feed has no " + std::string(name);
    }
    return source != nullptr;
}

// Trips with the same type, number and calls (a weekday and a weekend service of one train,
// say) become one train running on all their days.
struct Trains {
    std::vector<ImportTrain> trains;
    std::vector<std::vector<int>> trips;  // per train, the trips in it
};

Trains MergeTrips(const FeedTrips& feedTrips) {
    Trains out;
    std::map<std::string, int> byKey;
    for (int t = 0; t < static_cast<int>(feedTrips.trips.size()); ++t) {
        const WeekTrip& trip = feedTrips.trips[static_cast<std::size_t>(t)];
        if (trip.skip >= 0) {
            continue;
        }
        std::string key(reinterpret_cast<const char*>(trip.number.data()),
                        trip.number.size() * sizeof(char16_t));
        for (const int value : {trip.type, trip.hintFile, trip.hintColumn}) {
            key.append(reinterpret_cast<const char*>(&value), sizeof value);
        }
        key.append(reinterpret_cast<const char*>(trip.calls.data()),
                   trip.calls.size() * sizeof(TrainCall));
        const auto [it, added] = byKey.emplace(std::move(key), static_cast<int>(out.trains.size()));
        if (added) {
            ImportTrain train;
            train.code = std::u16string(1, static_cast<char16_t>(u'0' + trip.type));
            train.number = trip.number;
            train.calls = trip.calls;
            train.hintFile = trip.hintFile;
            train.hintColumn = trip.hintColumn;
            out.trains.push_back(std::move(train));
            out.trips.emplace_back();
        }
        out.trains[static_cast<std::size_t>(it->second)].days |= trip.days;
        out.trips[static_cast<std::size_t>(it->second)].push_back(t);
    }
    return out;
}

// Fills in each train's code; counts the trips shown on more days than they run.
long ChooseCodes(Trains& trains) {
    long more = 0;
    for (std::size_t i = 0; i < trains.trains.size(); ++i) {
        ImportTrain& train = trains.trains[i];
        const ChosenCode code = TrainCodeFor(train.code[0] - u'0', train.days);
        train.code = std::u16string(code.code);
        more += code.exact ? 0 : static_cast<long>(trains.trips[i].size());
    }
    return more;
}

void CountOutcome(const FeedTrips& feedTrips, const Trains& trains, const Placement& placement,
                  ImportReport& report) {
    report.tripsRead = feedTrips.read;
    report.skipped = feedTrips.skipped;
    for (const WeekTrip& trip : feedTrips.trips) {
        if (trip.skip >= 0) {
            ++report.skipped[static_cast<std::size_t>(trip.skip)];
        }
    }
    for (std::size_t i = 0; i < trains.trains.size(); ++i) {
        const long trips = static_cast<long>(trains.trips[i].size());
        if (placement.skipped[i] >= 0) {
            report.skipped[static_cast<std::size_t>(placement.skipped[i])] += trips;
            continue;
        }
        report.tripsImported += trips;
        ++report.trains;
    }
    for (int file = 0; file < kFileCount; ++file) {
        report.trainsPerFile[static_cast<std::size_t>(file)] =
            static_cast<int>(placement.files[static_cast<std::size_t>(file)].size());
    }
    report.fileFull = placement.refused;
    report.trainsWithUnservedPairs = placement.trainsWithUnservedPairs;
}

bool ReadNetworkSide(const FeedSource& feed, const GtfsImportOptions& options, FeedStops& stops,
                     FeedRoutes& routes, std::string& error) {
    std::unique_ptr<ByteSource> source;
    if (!OpenRequired(feed, "stops.txt", source, error)) {
        return false;
    }
    CsvTable stopTable(std::move(source), "stops.txt");
    if (!ReadFeedStops(stopTable, options.stations, stops, error)) {
        return false;
    }
    if (!OpenRequired(feed, "routes.txt", source, error)) {
        return false;
    }
    CsvTable routeTable(std::move(source), "routes.txt");
    return ReadFeedRoutes(routeTable, options.types, routes, error);
}

}  // namespace

std::string ImportFileName(int file) {
    return TimetableFileName(file % kRouteCount,
                             file >= kRouteCount ? Direction::Down : Direction::Up);
}

bool ImportGtfs(const FeedSource& feed, const GtfsImportOptions& options, ImportedTimetables& out,
                ImportReport& report, std::string& error) {
    report = ImportReport{};
    report.feedName = options.feedName;
    if (!ReadFeedSourceInfo(feed, report.source, error)) {
        return false;
    }
    FeedStops stops;
    FeedRoutes routes;
    ServiceWeek week;
    if (!ReadNetworkSide(feed, options, stops, routes, error) ||
        !ReadServiceWeek(feed, options.week, week, error)) {
        return false;
    }
    report.weekStart = week.firstDay;
    report.periodStart = week.periodStart;
    report.periodEnd = week.periodEnd;
    FeedTrips feedTrips;
    if (!ReadFeedTrips({feed, week, routes, stops}, feedTrips, error)) {
        return false;
    }
    Trains trains = MergeTrips(feedTrips);
    report.shownOnMoreDays = ChooseCodes(trains);
    const Placement placement = PlaceTrains(trains.trains);
    CountOutcome(feedTrips, trains, placement, report);
    for (const FeedRoute& route : routes.routes) {
        if (route.type < 0 && route.trips > 0) {
            report.unmappedTypes.emplace_back(route.name, route.trips);
        }
    }
    report.stations = StationLines(stops);
    for (int file = 0; file < kFileCount; ++file) {
        out.files[static_cast<std::size_t>(file)] = RenderTimetableFile(
            file, placement.files[static_cast<std::size_t>(file)], trains.trains);
    }
    out.source = FormatSourceText(report);
    return true;
}

bool WriteImportedTimetables(const ImportedTimetables& timetables,
                             const std::filesystem::path& directory, std::string& error) {
    StagedFolder staged;
    if (!staged.begin(directory / "TimeData", StagedFolder::Replace::WholeFolder, error)) {
        return false;
    }
    for (int file = 0; file < kFileCount; ++file) {
        if (!staged.write(ImportFileName(file), timetables.files[static_cast<std::size_t>(file)],
                          error)) {
            return false;
        }
    }
    return staged.write("SOURCE.txt", timetables.source, error) && staged.commit(error);
}

}  // namespace velomar
