#include "export/gtfs_export.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <system_error>

#include "network/route_table.h"
#include "platform/utf8.h"
#include "timetable/time_text.h"
#include "timetable/timetable_grid.h"
#include "timetable/train_codes.h"

namespace velomar {

namespace {

constexpr std::string_view kAgencyId = "velomar";
constexpr std::string_view kFeedUrl = "https://velomar.invalid";
constexpr std::string_view kOtherRouteId = "OTHER";

// One calendar entry: its days from Monday to Sunday.
struct Service {
    std::string_view id;
    std::array<bool, 7> days;
};

// The day letters of the type list are A Friday, B Saturday, C Sunday, D Monday; 누(평일)
// runs on weekdays.
constexpr std::array<Service, 9> kServices = {{
    {"DAILY", {true, true, true, true, true, true, true}},
    {"WEEKDAY", {true, true, true, true, true, false, false}},
    {"MON", {true, false, false, false, false, false, false}},
    {"FRI", {false, false, false, false, true, false, false}},
    {"SAT", {false, false, false, false, false, true, false}},
    {"SUN", {false, false, false, false, false, false, true}},
    {"SAT_SUN", {false, false, false, false, false, true, true}},
    {"FRI_SAT_SUN", {false, false, false, false, true, true, true}},
    {"FRI_SUN", {false, false, false, false, true, false, true}},
}};

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

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// Minutes since the start of the service day of a time GtfsTime made ("24:15:00" -> 1455).
int MinutesOf(std::string_view gtfsTime) {
    return ((gtfsTime[0] - '0') * 10 + (gtfsTime[1] - '0')) * 60 + (gtfsTime[3] - '0') * 10 +
           (gtfsTime[4] - '0');
}

class CsvWriter {
  public:
    explicit CsvWriter(std::initializer_list<std::string_view> header) { row(header); }
    void row(std::initializer_list<std::string_view> fields) {
        bool first = true;
        for (std::string_view field : fields) {
            if (!first) {
                m_text += ',';
            }
            m_text += CsvField(field);
            first = false;
        }
        m_text += "\r\n";
    }
    std::string take() { return std::move(m_text); }

  private:
    std::string m_text;
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
    explicit FeedBuilder(GtfsFeed& feed)
        : m_feed(feed),
          m_trips({"route_id", "service_id", "trip_id", "trip_headsign", "trip_short_name",
                   "direction_id", "velomar_route_index", "velomar_route_code", "velomar_column",
                   "velomar_train_code", "velomar_type_label"}),
          m_stopTimes({"trip_id", "arrival_time", "departure_time", "stop_id", "stop_sequence"}) {}

    void addFile(int route, Direction direction, std::u16string_view text) {
        const std::string name = TimetableFileName(route, direction);
        auto grid = std::make_unique<TimetableGrid>();
        ReadTimetableText(text, *grid);

        struct StationRow {
            int row;
            std::u16string code;
        };
        std::vector<StationRow> stations;
        for (int row = 2; row < kGridRows; ++row) {
            const std::u16string_view code = grid->cell(row, 0);
            if (code != kNoTime) {
                stations.push_back({row, std::u16string(code)});
                noteStation(code, name, row);
            }
        }

        for (int column = 1; column < kGridColumns; ++column) {
            TrainColumn train{
                std::u16string(grid->cell(0, column)), std::u16string(grid->cell(1, column)), {}};
            int previousMinutes = -1;
            for (int i = 0; i < static_cast<int>(stations.size()); ++i) {
                const int row = stations[static_cast<std::size_t>(i)].row;
                const std::u16string_view cell = grid->cell(row, column);
                if (cell == kNoTime) {
                    continue;  // the train does not stop here
                }
                const std::string time = GtfsTime(cell);
                if (time.empty()) {
                    // Appended, not "'" + ...: GCC 12 at -O3 warns falsely (-Wrestrict).
                    std::string message(1, '\'');
                    message.append(ToUtf8(cell)).append("' is not a time; the stop is left out");
                    warn(name, row, column, message);
                    continue;
                }
                const int minutes = MinutesOf(time);
                if (minutes < previousMinutes) {
                    warn(name, row, column,
                         "train " + ToUtf8(train.number) + " goes back in time at " + ToUtf8(cell) +
                             "; the stop is left out");
                    continue;
                }
                previousMinutes = minutes;
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
            addTrain(route, direction, column, train, name);
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

        CsvWriter calendar({"service_id", "monday", "tuesday", "wednesday", "thursday", "friday",
                            "saturday", "sunday", "start_date", "end_date"});
        for (const Service& service : kServices) {
            if (!m_usedServices.contains(std::string(service.id))) {
                continue;
            }
            auto day = [&](int i) -> std::string_view {
                return service.days[static_cast<std::size_t>(i)] ? "1" : "0";
            };
            calendar.row({service.id, day(0), day(1), day(2), day(3), day(4), day(5), day(6),
                          options.startDate, options.endDate});
        }

        CsvWriter feedInfo({"feed_publisher_name", "feed_publisher_url", "feed_lang",
                            "feed_start_date", "feed_end_date", "feed_version"});
        feedInfo.row(
            {"Velomar", kFeedUrl, "ko", options.startDate, options.endDate, "velomar-timetables"});

        m_feed.files = {
            {"agency.txt", agency.take()},          {"stops.txt", stops.take()},
            {"routes.txt", routes.take()},          {"trips.txt", m_trips.take()},
            {"stop_times.txt", m_stopTimes.take()}, {"calendar.txt", calendar.take()},
            {"feed_info.txt", feedInfo.take()},
        };
    }

  private:
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

    void addTrain(int route, Direction direction, int column, const TrainColumn& train,
                  const std::string& file) {
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
        const std::string tripId = std::string(direction == Direction::Up ? "U" : "D") +
                                   TwoDigits(route) + "-" + ToUtf8(train.number) + "-" +
                                   TwoDigits(column);
        const std::string_view routeId = RouteIdOf(train.code);
        m_otherRouteUsed = m_otherRouteUsed || routeId == kOtherRouteId;
        const std::string_view serviceId = GtfsServiceId(train.code);
        m_usedServices.insert(std::string(serviceId));
        m_trips.row({routeId, serviceId, tripId, ToUtf8(StationCodeToName(train.stops.back().code)),
                     ToUtf8(train.number), direction == Direction::Up ? "0" : "1",
                     std::to_string(route), std::to_string(RouteCode::of(route, direction).value()),
                     std::to_string(column), ToUtf8(train.code), ToUtf8(TypeLabel(train.code))});
        int sequence = 1;
        for (const Stop& stop : train.stops) {
            m_stopTimes.row({tripId, stop.arrival, stop.departure, ToUtf8(stop.code),
                             std::to_string(sequence++)});
        }
        ++m_feed.trips;
        m_feed.stopTimes += static_cast<int>(train.stops.size());
    }

    GtfsFeed& m_feed;
    CsvWriter m_trips;
    CsvWriter m_stopTimes;
    std::set<std::u16string> m_unknownStations;
    std::set<std::string> m_stopIds;
    std::set<std::string> m_usedServices;
    bool m_otherRouteUsed = false;
};

}  // namespace

bool IsGtfsDate(std::string_view text) {
    if (text.size() != 8) {
        return false;
    }
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    auto number = [&](std::size_t at, std::size_t length) {
        int value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    const int year = number(0, 4);
    const int month = number(4, 2);
    const int day = number(6, 2);
    if (month < 1 || month > 12 || day < 1) {
        return false;
    }
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int days = kDays[static_cast<std::size_t>(month - 1)] + (month == 2 && leap ? 1 : 0);
    return day <= days;
}

std::string_view GtfsServiceId(std::u16string_view trainCode) {
    if (TypeLabel(trainCode).empty()) {
        return "DAILY";
    }
    if (trainCode == u"0014") {
        return "WEEKDAY";
    }
    // The first three characters of a known code flag the days: 1.. Friday, .1. Saturday,
    // ..1 Sunday, ..2 Monday.
    const std::u16string_view days = trainCode.substr(0, 3);
    struct DayPart {
        std::u16string_view flags;
        std::string_view service;
    };
    constexpr std::array<DayPart, 7> kDayParts = {{
        {u"002", "MON"},
        {u"100", "FRI"},
        {u"010", "SAT"},
        {u"001", "SUN"},
        {u"011", "SAT_SUN"},
        {u"111", "FRI_SAT_SUN"},
        {u"101", "FRI_SUN"},
    }};
    for (const DayPart& part : kDayParts) {
        if (part.flags == days) {
            return part.service;
        }
    }
    return "DAILY";
}

std::string GtfsTime(std::u16string_view cell) {
    const auto minutes = ServiceMinutes(cell);
    if (!minutes) {
        return {};
    }
    return TwoDigits(*minutes / 60) + ":" + TwoDigits(*minutes % 60) + ":00";
}

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
    return out;
}

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
    FeedBuilder builder(feed);
    // The order the search loads them in: per route, the Up file before the Down file.
    for (int route = 0; route < kRouteCount; ++route) {
        for (Direction direction : {Direction::Up, Direction::Down}) {
            const auto text = timetables.open(route, direction);
            if (!text) {
                feed.warnings.push_back(TimetableFileName(route, direction) +
                                        ":0:0: file is missing or cannot be read");
                continue;
            }
            builder.addFile(route, direction, *text);
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

bool WriteGtfsFeed(const GtfsFeed& feed, const std::filesystem::path& directory,
                   std::string& error) {
    namespace fs = std::filesystem;
    std::error_code code;
    if (fs::exists(directory, code) && !fs::is_directory(directory, code)) {
        error = PathToUtf8(directory) + " exists and is not a folder";
        return false;
    }
    fs::create_directories(directory, code);
    if (code || !fs::is_directory(directory)) {
        error = "cannot create the folder " + PathToUtf8(directory) +
                (code ? ": " + code.message() : std::string());
        return false;
    }
    for (const GtfsFile& file : feed.files) {
        const fs::path target = directory / file.name;
        const fs::path temporary = directory / (file.name + ".part");
        bool written = false;
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            if (out) {
                out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
                out.close();
                written = static_cast<bool>(out);
            }
        }
        if (written) {
            fs::rename(temporary, target, code);
            written = !code;
        }
        if (!written) {
            fs::remove(temporary, code);
            error = "cannot write " + PathToUtf8(target);
            return false;
        }
    }
    return true;
}

}  // namespace velomar
