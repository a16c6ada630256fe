#include "import/stop_times_pass.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <unordered_map>
#include <vector>

#include "import/csv_reader.h"
#include "timetable/service_time.h"

namespace velomar {

namespace {

constexpr int kUnseen = 0;
constexpr int kClosed = 1;
constexpr int kSpread = 2;  // rows in more than one run: read again in the second pass
// No train has so many calls; a trip that does is a broken file, and gathering its rows
// would hold the file in memory.
constexpr std::size_t kMaxRowsPerTrip = 100000;

struct RawCall {
    std::uint32_t sequence;
    std::int32_t stop;
    std::int32_t arrival;  // seconds, -1 when not given
    std::int32_t departure;
    long line;
};

std::string TimeText(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

// Turns the gathered rows of one trip into its calls at network stations.
class TripCloser {
  public:
    TripCloser(FeedStops& stops, const std::string& fileName) : m_stops(stops), m_file(fileName) {}

    bool close(WeekTrip& trip, std::vector<RawCall>& rows, std::string& error) {
        std::stable_sort(rows.begin(), rows.end(), [](const RawCall& a, const RawCall& b) {
            return a.sequence < b.sequence;
        });
        int last = -1;
        long lastLine = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const RawCall& row = rows[i];
            if (i > 0 && rows[i - 1].sequence == row.sequence) {
                return fail(row.line,
                            "trip '" + trip.id + "' has stop_sequence " +
                                std::to_string(row.sequence) + " twice",
                            error);
            }
            for (const int time : {row.arrival, row.departure}) {
                if (time < 0) {
                    continue;
                }
                if (time < last) {
                    return fail(row.line,
                                "trip '" + trip.id + "' goes back in time: " + TimeText(time) +
                                    " after " + TimeText(last) + " on line " +
                                    std::to_string(lastLine),
                                error);
                }
                last = time;
                lastLine = row.line;
            }
        }
        convert(trip, rows);
        rows.clear();
        return true;
    }

  private:
    bool fail(long line, const std::string& text, std::string& error) const {
        error = m_file + ":" + std::to_string(line) + ": " + text;
        return false;
    }

    void convert(WeekTrip& trip, const std::vector<RawCall>& rows) const {
        trip.calls.clear();
        trip.skip = -1;
        bool late = false;
        for (const RawCall& row : rows) {
            const std::int16_t station = m_stops.stationOf(row.stop);
            if (station < 0 || (row.arrival < 0 && row.departure < 0)) {
                continue;  // not a network station, or passed without a time
            }
            const int arrival = (row.arrival >= 0 ? row.arrival : row.departure) / 60;
            const int departure = (row.departure >= 0 ? row.departure : row.arrival) / 60;
            late = late || departure > kLastCellMinute;
            if (!trip.calls.empty() && trip.calls.back().station == station) {
                trip.calls.back().departure = static_cast<std::int16_t>(departure);
                continue;  // one call given as two rows
            }
            trip.calls.push_back({station, static_cast<std::int16_t>(arrival),
                                  static_cast<std::int16_t>(departure)});
        }
        if (late) {
            trip.skip = static_cast<int>(SkipReason::TimesNotRepresentable);
        } else if (trip.calls.size() < 2) {
            trip.skip = static_cast<int>(SkipReason::FewerThanTwoCalls);
        }
        if (trip.skip >= 0) {
            trip.calls.clear();
            trip.calls.shrink_to_fit();
        }
    }

    FeedStops& m_stops;
    const std::string& m_file;
};

struct StopTimesColumns {
    std::optional<std::size_t> trip, arrival, departure, stop, sequence;
};

class StopTimesPass {
  public:
    StopTimesPass(const TripSources& sources, FeedTrips& trips, const TextMap<int>& index)
        : m_sources(sources),
          m_trips(trips),
          m_index(index),
          m_state(trips.trips.size(), kUnseen),
          m_closer(sources.stops, m_fileName) {}

    // The first pass reads every trip; the second only those marked spread.
    bool run(bool second, std::string& error) {
        auto source = m_sources.feed.open(m_fileName, error);
        if (!source) {
            error = error.empty() ? "the feed has no stop_times.txt" : error;
            return false;
        }
        CsvTable table(std::move(source), m_fileName);
        if (!table.start(
                {"trip_id", "arrival_time", "departure_time", "stop_id", "stop_sequence"})) {
            error = table.error();
            return false;
        }
        const StopTimesColumns columns{table.column("trip_id"), table.column("arrival_time"),
                                       table.column("departure_time"), table.column("stop_id"),
                                       table.column("stop_sequence")};
        m_second = second;
        while (table.next()) {
            if (!row(table, columns, error)) {
                return false;
            }
        }
        if (!table.error().empty()) {
            error = table.error();
            return false;
        }
        return second ? closeSpread(error) : closeCurrent(error);
    }

    bool anySpread() const {
        return std::find(m_state.begin(), m_state.end(), kSpread) != m_state.end();
    }

  private:
    bool row(const CsvTable& table, const StopTimesColumns& c, std::string& error) {
        const std::string_view tripId = TrimBlanks(table.field(c.trip));
        if (tripId != m_currentId) {
            if (!m_second && !closeCurrent(error)) {
                return false;
            }
            const auto it = m_index.find(tripId);
            if (it == m_index.end()) {
                error = table.where("trip_id '" + std::string(tripId) + "' is not in trips.txt");
                return false;
            }
            m_currentId.assign(tripId);
            m_current = it->second;
            if (m_current >= 0 && !m_second &&
                m_state[static_cast<std::size_t>(m_current)] != kUnseen) {
                m_state[static_cast<std::size_t>(m_current)] = kSpread;
            }
        }
        if (m_current < 0 ||
            (m_second && m_state[static_cast<std::size_t>(m_current)] != kSpread)) {
            return true;  // a trip that is not imported, or one already read whole
        }
        RawCall call{};
        if (!parse(table, c, call, error)) {
            return false;
        }
        std::vector<RawCall>& rows = m_second ? m_spreadRows[m_current] : m_rows;
        if (rows.size() == kMaxRowsPerTrip) {
            error = table.where("trip '" + m_currentId + "' has more than " +
                                std::to_string(kMaxRowsPerTrip) + " stop times");
            return false;
        }
        if (!m_second) {
            ++m_sources.stops.calls[static_cast<std::size_t>(call.stop)];
        }
        rows.push_back(call);
        return true;
    }

    bool parse(const CsvTable& table, const StopTimesColumns& c, RawCall& call,
               std::string& error) const {
        const std::string_view stopId = TrimBlanks(table.field(c.stop));
        const auto stop = m_sources.stops.indexOf.find(stopId);
        if (stop == m_sources.stops.indexOf.end()) {
            error = table.where("stop_id '" + std::string(stopId) + "' is not in stops.txt");
            return false;
        }
        const std::string_view sequence = TrimBlanks(table.field(c.sequence));
        const auto [end, ec] =
            std::from_chars(sequence.data(), sequence.data() + sequence.size(), call.sequence);
        if (ec != std::errc() || end != sequence.data() + sequence.size()) {
            error = table.where("stop_sequence '" + std::string(sequence) + "' is not a number");
            return false;
        }
        for (auto [column, target] :
             {std::pair{c.arrival, &call.arrival}, std::pair{c.departure, &call.departure}}) {
            const std::string_view text = TrimBlanks(table.field(column));
            const auto seconds = text.empty() ? std::optional<int>(-1) : GtfsSeconds(text);
            if (!seconds) {
                std::string quoted = "'";  // in steps: GCC 12 warns wrongly about "'" + a temporary
                quoted += text;
                error = table.where(quoted + "' is not a time HH:MM:SS");
                return false;
            }
            *target = *seconds;
        }
        call.stop = stop->second;
        call.line = table.line();
        return true;
    }

    bool closeCurrent(std::string& error) {
        if (m_current < 0 || m_second) {
            m_rows.clear();
            return true;
        }
        const auto i = static_cast<std::size_t>(m_current);
        if (m_state[i] == kUnseen) {
            m_state[i] = kClosed;
        }
        if (m_state[i] == kSpread) {
            m_rows.clear();
            return true;
        }
        return m_closer.close(m_trips.trips[i], m_rows, error);
    }

    bool closeSpread(std::string& error) {
        for (auto& [trip, rows] : m_spreadRows) {
            if (!m_closer.close(m_trips.trips[static_cast<std::size_t>(trip)], rows, error)) {
                return false;
            }
        }
        return true;
    }

    const std::string m_fileName = "stop_times.txt";
    const TripSources& m_sources;
    FeedTrips& m_trips;
    const TextMap<int>& m_index;
    std::vector<int> m_state;
    TripCloser m_closer;
    bool m_second = false;
    std::string m_currentId = std::string(1, '\0');  // no trip id is a lone NUL
    int m_current = -1;
    std::vector<RawCall> m_rows;
    std::unordered_map<int, std::vector<RawCall>> m_spreadRows;
};

}  // namespace

bool ReadStopTimes(const TripSources& sources, FeedTrips& trips, const TextMap<int>& index,
                   std::string& error) {
    StopTimesPass pass(sources, trips, index);
    if (!pass.run(false, error)) {
        return false;
    }
    return !pass.anySpread() || pass.run(true, error);
}

}  // namespace velomar
