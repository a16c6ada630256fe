#include "export/gtfs_export.h"

#include <array>
#include <memory>
#include <set>

#include "export/gtfs_calendar.h"
#include "export/gtfs_text.h"
#include "network/route_table.h"
#include "platform/utf8.h"
#include "timetable/service_time.h"
#include "timetable/timetable_grid.h"
#include "timetable/train_codes.h"

namespace velomar {

namespace {

constexpr std::string_view kAgencyId = "velomar";
constexpr std::string_view kOtherRouteId = "OTHER";

struct TypeRoute {
    std::u16string_view type;  // as TrainTypeOf gives it
    std::string_view routeId;
};

constexpr std::array<TypeRoute, 5> kTypeRoutes = {{
    {u"KTX", "KTX"},
    {u"새마을", "SAEMAEUL"},
    {u"무궁화", "MUGUNGHWA"},
    {u"통일호", "TONGIL"},
    {u"누리로", "NURIRO"},
}};

std::string_view RouteIdOf(std::u16string_view trainCode) {
    const std::u16string_view type = TrainTypeOf(trainCode);
    for (const TypeRoute& route : kTypeRoutes) {
        if (route.type == type) {
            return route.routeId;
        }
    }
    return kOtherRouteId;
}

struct StationRow {
    int row;
    std::u16string code;
};

struct Stop {
    std::u16string code;
    std::string arrival;
    std::string departure;
    int stationIndex;  // index among the file's station rows
};

// One train column as the feed keeps it.
struct TrainColumn {
    std::u16string code;
    std::u16string number;
    std::vector<Stop> stops;
};

class FeedBuilder {
  public:
    FeedBuilder(GtfsFeed& feed, const ServiceDates* dates)
        : m_feed(feed),
          m_dates(dates),
          m_trips({"route_id", "service_id", "trip_id", "trip_headsign", "trip_short_name",
                   "direction_id", "velomar_route_index", "velomar_route_code", "velomar_column",
                   "velomar_train_code", "velomar_type_label"}),
          m_stopTimes({"trip_id", "arrival_time", "departure_time", "stop_id", "stop_sequence"}) {}

    void addFile(RouteCode sheet, const TimetableGrid& loaded) {
        const std::string name = TimetableFileName(sheet);
        const TimetableGrid* grid = &loaded;

        std::vector<StationRow> stations;
        for (int row = 2; row < kGridRows; ++row) {
            const std::u16string_view code = grid->cell(row, 0);
            if (code != kNoTime) {
                stations.push_back({row, std::u16string(code)});
                noteStation(code, name, row);
            }
        }
        for (int column = 1; column < kGridColumns; ++column) {
            addTrain(sheet, column, readColumn(*grid, stations, column, name), name);
        }
        ++m_feed.timetableFiles;
    }

    void finish(const GtfsExportOptions& options) {
        CsvWriter agency(
            {"agency_id", "agency_name", "agency_url", "agency_timezone", "agency_lang"});
        agency.row({kAgencyId, "Velomar 샘플 철도", kFeedUrl, "Asia/Seoul", "ko"});

        CsvWriter stops({"stop_id", "stop_name", "stop_lat", "stop_lon"});
        for (const RouteRecord& record : RouteTable()) {
            if (IsStationRecord(record) && m_stopIds.insert(ToUtf8(record.code)).second) {
                stops.row({ToUtf8(record.code), ToUtf8(record.name), "", ""});
            }
        }
        for (const std::u16string& code : m_unknownStations) {
            // Keyed by the written id: codes that differ only in unencodable units are one.
            if (m_stopIds.insert(ToUtf8(code)).second) {
                stops.row({ToUtf8(code), ToUtf8(code), "", ""});
            }
        }

        CsvWriter routes(
            {"route_id", "agency_id", "route_short_name", "route_long_name", "route_type"});
        for (const TypeRoute& route : kTypeRoutes) {
            routes.row({route.routeId, kAgencyId, ToUtf8(route.type), "", "2"});
        }
        if (m_otherRouteUsed) {
            routes.row({kOtherRouteId, kAgencyId, "기타", "", "2"});
        }

        m_feed.files = {
            {"agency.txt", agency.take()},          {"stops.txt", stops.take()},
            {"routes.txt", routes.take()},          {"trips.txt", m_trips.take()},
            {"stop_times.txt", m_stopTimes.take()},
        };
        for (GtfsFile& file : GtfsCalendarFiles(m_usedServices, options, m_dates)) {
            m_feed.files.push_back(std::move(file));
        }
    }

  private:
    TrainColumn readColumn(const TimetableGrid& grid, const std::vector<StationRow>& stations,
                           int column, const std::string& name) {
        TrainColumn train{
            std::u16string(grid.cell(0, column)), std::u16string(grid.cell(1, column)), {}};
        int previousMinutes = -1;
        for (int i = 0; i < static_cast<int>(stations.size()); ++i) {
            const int row = stations[static_cast<std::size_t>(i)].row;
            const std::u16string_view cell = grid.cell(row, column);
            if (cell == kNoTime) {
                continue;  // the train does not stop here
            }
            const auto minutes = CellMinutes(cell);
            if (!minutes) {
                // Appended, not "'" + ...: GCC 12 at -O3 warns falsely (-Wrestrict).
                std::string message(1, '\'');
                message.append(ToUtf8(cell)).append("' is not a time; the stop is left out");
                warn(name, row, column, message);
                continue;
            }
            if (*minutes < previousMinutes) {
                warn(name, row, column,
                     "train " + ToUtf8(train.number) + " goes back in time at " + ToUtf8(cell) +
                         "; the stop is left out");
                continue;
            }
            previousMinutes = *minutes;
            const std::string time = GtfsTime(cell);
            const std::u16string& code = stations[static_cast<std::size_t>(i)].code;
            // A station given in two adjacent rows (arrival and departure) is one call.
            if (!train.stops.empty() && train.stops.back().code == code &&
                train.stops.back().stationIndex == i - 1) {
                train.stops.back().departure = time;
                train.stops.back().stationIndex = i;
                continue;
            }
            train.stops.push_back({code, time, time, i});
        }
        return train;
    }

    void warn(const std::string& file, int row, int column, const std::string& text) {
        m_feed.warnings.push_back(file + ":" + std::to_string(row + 1) + ":" +
                                  std::to_string(column + 1) + ": " + text);
    }

    // A code that no route lists still becomes a stop, named by its code.
    void noteStation(std::u16string_view code, const std::string& file, int row) {
        if (StationCodeToName(code) != code || m_unknownStations.contains(std::u16string(code))) {
            return;
        }
        m_unknownStations.insert(std::u16string(code));
        warn(file, row, 0,
             "station code '" + ToUtf8(code) + "' is on no route; its stop is named by the code");
    }

    void addTrain(RouteCode sheet, int column, const TrainColumn& train, const std::string& file) {
        if (train.stops.size() < 2) {
            // An unfilled column has no times and no code or number: nothing to say.
            if (!train.stops.empty() || train.code != kNoTime || train.number != kNoTime) {
                m_feed.warnings.push_back(
                    file + ":0:" + std::to_string(column + 1) + ": train " + ToUtf8(train.number) +
                    (train.stops.empty() ? " has no times" : " calls at one station only") +
                    "; it is left out");
            }
            return;
        }
        // "U16-0101-03"; a further sheet adds its number: "U16.2-0301-03".
        const bool up = sheet.direction() == Direction::Up;
        std::string tripId = std::string(up ? "U" : "D") + TwoDigits(sheet.route());
        if (sheet.sheet() > 1) {
            tripId.append(1, '.').append(std::to_string(sheet.sheet()));
        }
        tripId.append(1, '-').append(ToUtf8(train.number)).append(1, '-').append(TwoDigits(column));
        const std::string_view routeId = RouteIdOf(train.code);
        m_otherRouteUsed = m_otherRouteUsed || routeId == kOtherRouteId;
        const std::string serviceId = GtfsServiceOf(m_dates, sheet, column, train.code);
        m_usedServices.insert(serviceId);
        m_trips.row({routeId, serviceId, tripId, ToUtf8(StationCodeToName(train.stops.back().code)),
                     ToUtf8(train.number), up ? "0" : "1", std::to_string(sheet.route()),
                     std::to_string(sheet.value()), std::to_string(column), ToUtf8(train.code),
                     ToUtf8(TypeLabel(train.code))});
        int sequence = 1;
        for (const Stop& stop : train.stops) {
            m_stopTimes.row({tripId, stop.arrival, stop.departure, ToUtf8(stop.code),
                             std::to_string(sequence++)});
        }
        ++m_feed.trips;
        m_feed.stopTimes += static_cast<int>(train.stops.size());
    }

    GtfsFeed& m_feed;
    const ServiceDates* m_dates;
    CsvWriter m_trips;
    CsvWriter m_stopTimes;
    std::set<std::u16string> m_unknownStations;
    std::set<std::string> m_stopIds;
    std::set<std::string> m_usedServices;
    bool m_otherRouteUsed = false;
};

}  // namespace

bool BuildGtfsFeed(const TimetableDirectory& timetables, const GtfsExportOptions& options,
                   GtfsFeed& feed, std::string& error) {
    feed = GtfsFeed{};
    if (!IsGtfsDate(options.startDate) || !IsGtfsDate(options.endDate)) {
        error =
            "dates must be YYYYMMDD, not '" + options.startDate + "' and '" + options.endDate + "'";
        return false;
    }
    if (options.endDate < options.startDate) {
        error =
            "the end date " + options.endDate + " lies before the start date " + options.startDate;
        return false;
    }
    const LoadedDates dates = LoadServiceDates(timetables);
    if (dates.status == DatesLoad::Failed) {
        error = dates.error;
        return false;
    }
    if (dates.dates && options.periodGiven) {
        feed.warnings.push_back(
            "TimeData/Dates.txt: the set carries dates; the calendar comes from them, not from "
            "--start-date and --end-date");
    }
    FeedBuilder builder(feed, dates.dates ? &*dates.dates : nullptr);
    auto grid = std::make_unique<TimetableGrid>();
    // The order the search loads them in: per route, the Up file and its sheets, then the Down.
    for (int route = 0; route < kRouteCount; ++route) {
        for (Direction direction : {Direction::Up, Direction::Down}) {
            for (RouteCode sheet : timetables.sheets(route, direction)) {
                const FileLoad load = LoadTimetableFile(timetables, sheet, *grid);
                if (load != FileLoad::Loaded) {
                    feed.warnings.push_back(TimetableFileName(sheet) +
                                            (load == FileLoad::Missing
                                                 ? ":0:0: file is missing or cannot be read"
                                                 : ":0:0: Read Data File Error: a read failed"));
                    continue;
                }
                builder.addFile(sheet, *grid);
            }
        }
    }
    if (feed.timetableFiles == 0) {
        error = "no timetable file could be read in " +
                PathToUtf8(timetables.baseDirectory() / "TimeData");
        return false;
    }
    builder.finish(options);
    return true;
}

}  // namespace velomar
