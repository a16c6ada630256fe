#include "import/gtfs_import.h"

#include <algorithm>
#include <map>

#include "import/day_code.h"
#include "import/import_report.h"
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

// Fills in each train's code from the weekdays it runs on in the period; counts the trips
// shown on more weekdays than they run.
long ChooseCodes(std::vector<ImportTrain>& trains, int periodFirst) {
    long more = 0;
    for (ImportTrain& train : trains) {
        const ChosenCode code = TrainCodeFor(train.type, train.days.weekdays(periodFirst));
        train.code = std::u16string(code.code);
        more += code.exact ? 0 : train.trips;
    }
    return more;
}

void CountOutcome(const FeedTrips& feedTrips, const ImportedTimetables& out, ImportReport& report) {
    report.tripsRead = feedTrips.read;
    report.skipped = feedTrips.skipped;
    for (const FeedTrip& trip : feedTrips.trips) {
        if (trip.skip >= 0) {
            ++report.skipped[static_cast<std::size_t>(trip.skip)];
        }
    }
    for (std::size_t i = 0; i < out.trains.size(); ++i) {
        const int skip = out.placement.skipped[i];
        if (skip >= 0) {
            report.skipped[static_cast<std::size_t>(skip)] += out.trains[i].trips;
            continue;
        }
        report.tripsImported += out.trains[i].trips;
        ++report.trains;
    }
    for (const PlacedSheet& sheet : out.placement.sheets) {
        report.sheets.push_back({sheet.code, static_cast<int>(sheet.columns.size())});
    }
    report.trainsWithUnservedPairs = out.placement.trainsWithUnservedPairs;
}

// The days of each sheet's columns; a train that runs on every day of the period needs no
// pattern, and a sheet of such trains no line.
std::string DatesText(const ImportedTimetables& out, const ServiceDays& days) {
    ServiceDates dates(days.period);
    std::map<DaySet, int> known;
    for (const PlacedSheet& sheet : out.placement.sheets) {
        std::vector<int> ids;
        for (const FileColumn& column : sheet.columns) {
            const DaySet& runs = out.trains[static_cast<std::size_t>(column.train)].days;
            if (runs.count() == days.length()) {
                ids.push_back(ServiceDates::kEveryDay);
                continue;
            }
            const auto [it, added] = known.emplace(runs, 0);
            if (added) {
                const std::vector<int> list = runs.days(days.period.first);
                it->second = dates.addPattern(DayPattern::of(list));
            }
            ids.push_back(it->second);
        }
        if (std::any_of(ids.begin(), ids.end(),
                        [](int id) { return id != ServiceDates::kEveryDay; })) {
            dates.setColumns(sheet.code, std::move(ids));
        }
    }
    return dates.text();
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

void FillPeriod(const ServiceDays& days, ImportReport& report) {
    report.period = days.period;
    report.periodKind = days.kind;
    report.periodCut = days.cut;
    report.feedPeriod = days.feedPeriod;
}

}  // namespace

std::string ImportedTimetables::text(RouteCode sheet) const {
    const auto placed =
        std::find_if(placement.sheets.begin(), placement.sheets.end(),
                     [&](const PlacedSheet& placedSheet) { return placedSheet.code == sheet; });
    static const std::vector<FileColumn> kNone;
    return RenderTimetableFile(sheet, placed == placement.sheets.end() ? kNone : placed->columns,
                               trains);
}

bool ImportGtfs(const FeedSource& feed, const GtfsImportOptions& options, ImportedTimetables& out,
                ImportReport& report, std::string& error) {
    report = ImportReport{};
    report.feedName = options.feedName;
    FeedStops stops;
    FeedRoutes routes;
    ServiceDays days;
    if (!ReadFeedSourceInfo(feed, report.source, error) ||
        !ReadNetworkSide(feed, options, stops, routes, error) ||
        !ReadServiceDays(feed, options.period, days, error)) {
        return false;
    }
    FillPeriod(days, report);
    FeedTrips feedTrips;
    if (!ReadFeedTrips({feed, days, routes, stops, options.progress}, feedTrips, error)) {
        return false;
    }
    options.progress.stage("placing the trains");
    out.trains = feedTrips.trains.finish(days.sets, days.length());
    report.shownOnMoreDays = ChooseCodes(out.trains, days.period.first);
    out.placement = PlaceTrains(out.trains);
    CountOutcome(feedTrips, out, report);
    for (const FeedRoute& route : routes.routes) {
        if (route.type < 0 && route.trips > 0) {
            report.unmappedTypes.emplace_back(route.name, route.trips);
        }
    }
    report.stations = StationLines(stops);
    if (report.trains == 0) {
        error = NoTrainError(report, feedTrips.stopTimeRows);
        return false;
    }
    if (days.kind != PeriodKind::Week) {
        out.dates = DatesText(out, days);
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
    for (const PlacedSheet& sheet : timetables.placement.sheets) {
        if (!staged.write(TimetableFileName(sheet.code),
                          RenderTimetableFile(sheet.code, sheet.columns, timetables.trains),
                          error)) {
            return false;
        }
    }
    if (timetables.dates &&
        !staged.write(std::string(kServiceDatesFileName), *timetables.dates, error)) {
        return false;
    }
    return staged.write("SOURCE.txt", timetables.source, error) && staged.commit(error);
}

}  // namespace velomar
