#include "import/trip_reader.h"

#include <algorithm>
#include <charconv>
#include <map>

#include "import/csv_reader.h"
#include "import/stop_times_pass.h"

namespace velomar {

namespace {

constexpr std::string_view kTrips = "trips.txt";

std::optional<RouteCode> HintSheet(std::string_view text) {
    int value = -1;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || !RouteCode(value).names_file()) {
        return std::nullopt;
    }
    return RouteCode(value);
}

struct TripColumns {
    std::optional<std::size_t> route, service, id, name, hint, column;
};

struct TripFields {
    std::string_view id, service, name, hint, column;
};

TripFields FieldsOf(const CsvTable& table, const TripColumns& c) {
    return {TrimBlanks(table.field(c.id)), TrimBlanks(table.field(c.service)),
            TrimBlanks(table.field(c.name)), TrimBlanks(table.field(c.hint)),
            TrimBlanks(table.field(c.column))};
}

// The trip as one that may become a train, or why it becomes none. Changes nothing, so that
// a second reading of trips.txt classifies every row alike.
std::optional<SkipReason> Classify(const TripSources& sources, int routeIndex,
                                   const TripFields& fields, FeedTrip& trip) {
    const FeedRoute& feedRoute = sources.routes.routes[static_cast<std::size_t>(routeIndex)];
    const auto days = sources.days.setOf.find(fields.service);
    if (days == sources.days.setOf.end()) {
        return SkipReason::NotInPeriod;
    }
    if (feedRoute.type < 0) {
        return SkipReason::TypeNotMapped;
    }
    const auto number = TrainNumberCell(fields.name.empty() ? fields.id : fields.name);
    if (!number) {
        return SkipReason::NumberNotWritable;
    }
    trip = FeedTrip{};
    trip.daySet = days->second;
    trip.type = static_cast<std::int8_t>(feedRoute.type);
    for (const char16_t digit : *number) {
        trip.number = static_cast<std::uint16_t>(trip.number * 10 + (digit - u'0'));
    }
    if (const auto sheet = HintSheet(fields.hint)) {
        int column = 0;
        std::from_chars(fields.column.data(), fields.column.data() + fields.column.size(), column);
        trip.hint = *sheet;
        trip.hintColumn = static_cast<std::int16_t>(std::clamp(column, 0, 1000));
    }
    return std::nullopt;
}

// trips.txt opened with its columns; false (error set) when it cannot be.
bool OpenTrips(const TripSources& sources, std::optional<CsvTable>& table, TripColumns& columns,
               std::string& error) {
    auto source = sources.feed.open(kTrips, error);
    if (!source) {
        error = error.empty() ? "the feed has no trips.txt" : error;
        return false;
    }
    table.emplace(std::move(source), std::string(kTrips));
    if (!table->start({"route_id", "service_id", "trip_id"})) {
        error = table->error();
        return false;
    }
    columns = {table->column("route_id"),
               table->column("service_id"),
               table->column("trip_id"),
               table->column("trip_short_name"),
               table->column("velomar_route_code"),
               table->column("velomar_column")};
    return true;
}

// The rows, to reserve the index: a hash a trip, and no copies made while it grows.
bool CountTrips(const TripSources& sources, long& rows, std::string& error) {
    std::optional<CsvTable> table;
    TripColumns columns;
    if (!OpenTrips(sources, table, columns, error)) {
        return false;
    }
    for (rows = 0; table->next(); ++rows) {
        sources.progress.rows("trips.txt (counting)", rows + 1);
    }
    error = table->error();
    return error.empty();
}

bool ReadTripRow(const TripSources& sources, const CsvTable& table, const TripColumns& columns,
                 FeedTrips& out, std::string& error) {
    const TripFields fields = FieldsOf(table, columns);
    if (fields.id.empty()) {
        error = table.where("trip_id is empty");
        return false;
    }
    const std::string_view routeId = TrimBlanks(table.field(columns.route));
    const auto route = sources.routes.indexOf.find(routeId);
    if (route == sources.routes.indexOf.end()) {
        error = table.where("route_id '" + std::string(routeId) + "' is not in routes.txt");
        return false;
    }
    FeedTrip trip;
    const auto skip = Classify(sources, route->second, fields, trip);
    if (!skip || *skip != SkipReason::NotInPeriod) {
        ++sources.routes.routes[static_cast<std::size_t>(route->second)].trips;
    }
    if (skip) {
        ++out.skipped[static_cast<std::size_t>(*skip)];
        out.index.add(fields.id, -1);
        return true;
    }
    out.index.add(fields.id, static_cast<int>(out.trips.size()));
    out.trips.push_back(trip);
    return true;
}

// Ids whose hashes meet, read again by their text: a trip id given twice is an error at its
// second line; different ids (all but never) are looked up by their text from then on.
bool ResolveSharedHashes(const TripSources& sources, const std::vector<std::uint64_t>& shared,
                         FeedTrips& out, std::string& error) {
    std::optional<CsvTable> table;
    TripColumns columns;
    if (!OpenTrips(sources, table, columns, error)) {
        return false;
    }
    std::map<std::string, int, std::less<>> seen;
    int candidates = 0;
    while (table->next()) {
        const TripFields fields = FieldsOf(*table, columns);
        const auto route = sources.routes.indexOf.find(TrimBlanks(table->field(columns.route)));
        FeedTrip trip;
        const bool candidate = route != sources.routes.indexOf.end() &&
                               !Classify(sources, route->second, fields, trip);
        const int value = candidate ? candidates++ : -1;
        if (!std::binary_search(shared.begin(), shared.end(), out.index.hashOf(fields.id))) {
            continue;
        }
        if (!seen.emplace(std::string(fields.id), value).second) {
            error = table->where("trip_id '" + std::string(fields.id) + "' is given twice");
            return false;
        }
    }
    for (auto& [id, value] : seen) {
        out.index.addExact(id, value);
    }
    error = table->error();
    return error.empty();
}

bool ReadTripsFile(const TripSources& sources, FeedTrips& out, std::string& error) {
    long rows = 0;
    std::optional<CsvTable> table;
    TripColumns columns;
    if (!CountTrips(sources, rows, error) || !OpenTrips(sources, table, columns, error)) {
        return false;
    }
    // Reserved, not grown: a vector that grows holds its old and its new copy for a moment.
    // Pages never written to take no memory.
    out.index.reserve(static_cast<std::size_t>(rows));
    out.trips.reserve(static_cast<std::size_t>(rows));
    while (table->next()) {
        sources.progress.rows(kTrips, ++out.read);
        if (!ReadTripRow(sources, *table, columns, out, error)) {
            return false;
        }
    }
    error = table->error();
    if (!error.empty()) {
        return false;
    }
    const std::vector<std::uint64_t> shared = out.index.finish();
    return shared.empty() || ResolveSharedHashes(sources, shared, out, error);
}

}  // namespace

std::optional<int> GtfsSeconds(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon != 1 && colon != 2) {
        return std::nullopt;
    }
    if (text.size() != colon + 6 || text[colon + 3] != ':') {
        return std::nullopt;
    }
    int value[3] = {0, 0, 0};
    std::size_t at = 0;
    for (int part = 0; part < 3; ++part) {
        const std::size_t end = part == 0 ? colon : at + 2;
        for (; at < end; ++at) {
            if (text[at] < '0' || text[at] > '9') {
                return std::nullopt;
            }
            value[part] = value[part] * 10 + (text[at] - '0');
        }
        ++at;  // the colon
    }
    if (value[1] > 59 || value[2] > 59) {
        return std::nullopt;
    }
    return (value[0] * 60 + value[1]) * 60 + value[2];
}

std::optional<std::u16string> TrainNumberCell(std::string_view text) {
    if (text.empty() || text.size() > 4 || text == "9999" ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::u16string cell(4 - text.size(), u'0');
    cell.append(text.begin(), text.end());
    return cell;
}

bool ReadFeedTrips(const TripSources& sources, FeedTrips& out, std::string& error) {
    return ReadTripsFile(sources, out, error) && ReadStopTimes(sources, out, error);
}

}  // namespace velomar
