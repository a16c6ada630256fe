#include "import/trip_reader.h"

#include <algorithm>
#include <charconv>

#include "import/csv_reader.h"
#include "import/network_model.h"
#include "import/stop_times_pass.h"
#include "timetable/service_time.h"

namespace velomar {

namespace {

std::optional<int> HintFile(std::string_view routeCode) {
    int value = -1;
    const auto [end, ec] =
        std::from_chars(routeCode.data(), routeCode.data() + routeCode.size(), value);
    if (ec != std::errc() || end != routeCode.data() + routeCode.size()) {
        return std::nullopt;
    }
    if (value >= 0 && value < kRouteCount) {
        return FileIndex(value, false);
    }
    if (value >= 100 && value < 100 + kRouteCount) {
        return FileIndex(value - 100, true);
    }
    return std::nullopt;
}

struct TripColumns {
    std::string_view service, name, hint, column;
};

// The trip as a train of the week, or nothing (counted by reason) when it is none.
std::optional<WeekTrip> WeekTripOf(const TripSources& sources, int routeIndex,
                                   const std::string& id, const TripColumns& fields,
                                   FeedTrips& out) {
    FeedRoute& feedRoute = sources.routes.routes[static_cast<std::size_t>(routeIndex)];
    const auto days = sources.week.days.find(TrimBlanks(fields.service));
    if (days == sources.week.days.end()) {
        ++out.skipped[static_cast<int>(SkipReason::NotInWeek)];
        return std::nullopt;
    }
    ++feedRoute.trips;
    if (feedRoute.type < 0) {
        ++out.skipped[static_cast<int>(SkipReason::TypeNotMapped)];
        return std::nullopt;
    }
    const std::string_view name = TrimBlanks(fields.name);
    const auto number = TrainNumberCell(name.empty() ? std::string_view(id) : name);
    if (!number) {
        ++out.skipped[static_cast<int>(SkipReason::NumberNotWritable)];
        return std::nullopt;
    }
    WeekTrip trip;
    trip.id = id;
    trip.number = *number;
    trip.type = feedRoute.type;
    trip.days = days->second;
    if (const auto file = HintFile(TrimBlanks(fields.hint))) {
        const std::string_view text = TrimBlanks(fields.column);
        std::from_chars(text.data(), text.data() + text.size(), trip.hintColumn);
        trip.hintFile = *file;
    }
    return trip;
}

bool ReadTripsFile(const TripSources& sources, FeedTrips& out, TextMap<int>& index,
                   std::string& error) {
    auto source = sources.feed.open("trips.txt", error);
    if (!source) {
        error = error.empty() ? "the feed has no trips.txt" : error;
        return false;
    }
    CsvTable table(std::move(source), "trips.txt");
    if (!table.start({"route_id", "service_id", "trip_id"})) {
        error = table.error();
        return false;
    }
    const auto routeColumn = table.column("route_id");
    const auto serviceColumn = table.column("service_id");
    const auto idColumn = table.column("trip_id");
    const auto nameColumn = table.column("trip_short_name");
    const auto hintColumn = table.column("velomar_route_code");
    const auto columnColumn = table.column("velomar_column");
    while (table.next()) {
        ++out.read;
        const std::string id(TrimBlanks(table.field(idColumn)));
        const auto [slot, added] = index.emplace(id, -1);
        if (id.empty() || !added) {
            error = table.where(id.empty() ? "trip_id is empty"
                                           : "trip_id '" + id + "' is given twice");
            return false;
        }
        const std::string_view routeId = TrimBlanks(table.field(routeColumn));
        const auto route = sources.routes.indexOf.find(routeId);
        if (route == sources.routes.indexOf.end()) {
            error = table.where("route_id '" + std::string(routeId) + "' is not in routes.txt");
            return false;
        }
        const TripColumns columns{table.field(serviceColumn), table.field(nameColumn),
                                  table.field(hintColumn), table.field(columnColumn)};
        if (auto trip = WeekTripOf(sources, route->second, id, columns, out)) {
            slot->second = static_cast<int>(out.trips.size());
            out.trips.push_back(std::move(*trip));
        }
    }
    error = table.error();
    return error.empty();
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
    TextMap<int> index;
    if (!ReadTripsFile(sources, out, index, error)) {
        return false;
    }
    if (!ReadStopTimes(sources, out, index, error)) {
        return false;
    }
    for (WeekTrip& trip : out.trips) {
        if (trip.calls.empty() && trip.skip < 0) {
            trip.skip = static_cast<int>(SkipReason::FewerThanTwoCalls);  // no stop_times rows
        }
    }
    return true;
}

}  // namespace velomar
