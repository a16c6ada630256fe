#include "import/stop_times_pass.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "import/csv_reader.h"
#include "import/trip_calls.h"

namespace velomar {

namespace {

// FeedTrip::state
constexpr std::uint8_t kUnseen = 0;
constexpr std::uint8_t kClosed = 1;     // its rows so far made its train
constexpr std::uint8_t kSpread = 2;     // rows in more than one run: read again later
constexpr std::uint8_t kGathering = 3;  // being read in this further pass
constexpr std::uint8_t kDone = 4;
// No train has so many calls; a trip that does is a broken file, and gathering its rows
// would hold the file in memory.
constexpr std::uint32_t kMaxRowsPerTrip = 100000;
// A further pass gathers rows of about a quarter of the file's size, and at least this much,
// so that small files take one.
constexpr std::uint64_t kMinGatherBytes = 4u << 20;

constexpr std::string_view kFile = "stop_times.txt";

// Counts the bytes read, for the size of the file.
class CountingSource : public ByteSource {
  public:
    CountingSource(std::unique_ptr<ByteSource> source, std::uint64_t& bytes)
        : m_source(std::move(source)), m_bytes(bytes) {}
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        const auto got = m_source->read(buffer, capacity);
        m_bytes += got.value_or(0);
        return got;
    }

  private:
    std::unique_ptr<ByteSource> m_source;
    std::uint64_t& m_bytes;
};

struct Columns {
    std::optional<std::size_t> trip, arrival, departure, stop, sequence;
};

struct Gathered {
    int trip;
    std::string id;
    std::vector<RawCall> rows;
};

class StopTimesReader {
  public:
    StopTimesReader(const TripSources& sources, FeedTrips& trips)
        : m_sources(sources), m_trips(trips) {}

    bool firstPass(std::string& error) { return pass(false, error) && closeRun(error); }

    bool furtherPasses(std::string& error) {
        std::vector<int> spread;
        for (std::size_t t = 0; t < m_trips.trips.size(); ++t) {
            if (m_trips.trips[t].state == kSpread) {
                spread.push_back(static_cast<int>(t));
            }
        }
        const std::uint64_t budget = std::max(kMinGatherBytes, m_bytes / 4);
        for (std::size_t next = 0; next < spread.size();) {
            std::uint64_t cost = 0;
            m_gathered.clear();
            for (; next < spread.size() && (m_gathered.empty() || cost < budget); ++next) {
                FeedTrip& trip = m_trips.trips[static_cast<std::size_t>(spread[next])];
                trip.state = kGathering;
                trip.train = static_cast<std::int32_t>(m_gathered.size());  // its slot, for now
                cost += trip.rows * sizeof(RawCall) + sizeof(Gathered) + 32;
                m_gathered.push_back({spread[next], {}, {}});
                m_gathered.back().rows.reserve(trip.rows);
            }
            if (!pass(true, error) || !closeGathered(error)) {
                return false;
            }
        }
        return true;
    }

  private:
    bool pass(bool further, std::string& error) {
        auto source = m_sources.feed.open(kFile, error);
        if (!source) {
            error = error.empty() ? "the feed has no stop_times.txt" : error;
            return false;
        }
        m_bytes = 0;
        CsvTable table(std::make_unique<CountingSource>(std::move(source), m_bytes),
                       std::string(kFile));
        if (!table.start(
                {"trip_id", "arrival_time", "departure_time", "stop_id", "stop_sequence"})) {
            error = table.error();
            return false;
        }
        const Columns columns{table.column("trip_id"), table.column("arrival_time"),
                              table.column("departure_time"), table.column("stop_id"),
                              table.column("stop_sequence")};
        m_further = further;
        m_currentId.assign(1, '\0');  // no trip id is a lone NUL
        m_current = -1;
        const std::string_view what = further ? "stop_times.txt (trips spread over it)" : kFile;
        for (long rows = 1; table.next(); ++rows) {
            m_sources.progress.rows(what, rows);
            m_trips.stopTimeRows = further ? m_trips.stopTimeRows : rows;
            if (!row(table, columns, error)) {
                return false;
            }
        }
        error = table.error();
        return error.empty();
    }

    bool row(const CsvTable& table, const Columns& c, std::string& error) {
        const std::string_view tripId = TrimBlanks(table.field(c.trip));
        if (tripId != m_currentId && !beginRun(table, tripId, error)) {
            return false;
        }
        if (m_current < 0) {
            return true;  // a trip that becomes no train
        }
        FeedTrip& trip = m_trips.trips[static_cast<std::size_t>(m_current)];
        if (m_further && trip.state != kGathering) {
            return true;
        }
        RawCall call{};
        if (!parse(table, c, call, error)) {
            return false;
        }
        if (!m_further) {
            // Every row counts, also those of a trip that is read again later.
            ++m_sources.stops.calls[static_cast<std::size_t>(call.stop)];
            if (++trip.rows > kMaxRowsPerTrip) {
                error = table.where("trip '" + m_currentId + "' has more than " +
                                    std::to_string(kMaxRowsPerTrip) + " stop times");
                return false;
            }
            if (trip.state == kSpread) {
                return true;
            }
        }
        (m_further ? m_gathered[static_cast<std::size_t>(trip.train)].rows : m_rows)
            .push_back(call);
        return true;
    }

    bool beginRun(const CsvTable& table, std::string_view tripId, std::string& error) {
        if (!m_further && !closeRun(error)) {
            return false;
        }
        const auto value = m_trips.index.find(tripId);
        if (!value) {
            error = table.where("trip_id '" + std::string(tripId) + "' is not in trips.txt");
            return false;
        }
        m_currentId.assign(tripId);
        m_current = *value;
        if (m_current < 0) {
            return true;
        }
        FeedTrip& trip = m_trips.trips[static_cast<std::size_t>(m_current)];
        if (m_further && trip.state == kGathering) {
            std::string& id = m_gathered[static_cast<std::size_t>(trip.train)].id;
            id = id.empty() ? m_currentId : id;
        } else if (!m_further && trip.state == kClosed) {
            // Its rows go on here: what its first rows made is taken back.
            if (trip.train >= 0) {
                m_trips.trains.remove(trip.train, trip.daySet);
            }
            trip.train = -1;
            trip.skip = -1;
            trip.state = kSpread;
        }
        return true;
    }

    // The run of rows just read ends its trip, unless more of it comes later.
    bool closeRun(std::string& error) {
        if (m_current >= 0 && m_trips.trips[static_cast<std::size_t>(m_current)].state == kUnseen &&
            !close(m_current, m_currentId, m_rows, error)) {
            return false;
        }
        m_rows.clear();
        return true;
    }

    bool closeGathered(std::string& error) {
        for (Gathered& gathered : m_gathered) {
            m_trips.trips[static_cast<std::size_t>(gathered.trip)].train = -1;
            if (!close(gathered.trip, gathered.id, gathered.rows, error)) {
                return false;
            }
            gathered.rows = {};
        }
        m_gathered.clear();
        return true;
    }

    bool close(int index, std::string_view id, std::vector<RawCall>& rows, std::string& error) {
        FeedTrip& trip = m_trips.trips[static_cast<std::size_t>(index)];
        TripCalls made;
        if (!CloseTrip(id, rows, m_sources.stops, made, error)) {
            return false;
        }
        trip.state = m_further ? kDone : kClosed;
        if (made.skip) {
            trip.skip = static_cast<std::int8_t>(*made.skip);
            return true;
        }
        trip.train = m_trips.trains.add({trip.type, trip.number, trip.hint, trip.hintColumn},
                                        std::move(made.calls), trip.daySet);
        return true;
    }

    bool parse(const CsvTable& table, const Columns& c, RawCall& call, std::string& error) const {
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

    const TripSources& m_sources;
    FeedTrips& m_trips;
    std::uint64_t m_bytes = 0;  // of the file, as the last pass read it
    bool m_further = false;
    std::string m_currentId;
    int m_current = -1;
    std::vector<RawCall> m_rows;
    std::vector<Gathered> m_gathered;  // the trips of this further pass
};

}  // namespace

bool ReadStopTimes(const TripSources& sources, FeedTrips& trips, std::string& error) {
    StopTimesReader reader(sources, trips);
    if (!reader.firstPass(error) || !reader.furtherPasses(error)) {
        return false;
    }
    for (FeedTrip& trip : trips.trips) {
        if (trip.state == kUnseen) {
            trip.skip = static_cast<std::int8_t>(SkipReason::FewerThanTwoCalls);  // no rows
        }
    }
    return true;
}

}  // namespace velomar
