#include "import/trip_calls.h"

#include <algorithm>
#include <cstdio>

#include "import/trip_reader.h"
#include "timetable/service_time.h"

namespace velomar {

namespace {

std::string TimeText(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

bool Fail(std::int64_t line, const std::string& text, std::string& error) {
    error = "stop_times.txt:" + std::to_string(line) + ": " + text;
    return false;
}

bool Check(std::string_view tripId, const std::vector<RawCall>& rows, std::string& error) {
    int last = -1;
    std::int64_t lastLine = 0;
    const std::string trip = "trip '" + std::string(tripId) + "'";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RawCall& row = rows[i];
        if (i > 0 && rows[i - 1].sequence == row.sequence) {
            return Fail(row.line,
                        trip + " has stop_sequence " + std::to_string(row.sequence) + " twice",
                        error);
        }
        for (const int time : {row.arrival, row.departure}) {
            if (time < 0) {
                continue;
            }
            if (time < last) {
                return Fail(row.line,
                            trip + " goes back in time: " + TimeText(time) + " after " +
                                TimeText(last) + " on line " + std::to_string(lastLine),
                            error);
            }
            last = time;
            lastLine = row.line;
        }
    }
    return true;
}

void Convert(const std::vector<RawCall>& rows, const FeedStops& stops, TripCalls& out) {
    out.calls.clear();
    out.skip.reset();
    bool late = false;
    for (const RawCall& row : rows) {
        const std::int16_t station = stops.stationOf(row.stop);
        if (station < 0 || (row.arrival < 0 && row.departure < 0)) {
            continue;  // not a network station, or passed without a time
        }
        const int arrival = (row.arrival >= 0 ? row.arrival : row.departure) / 60;
        const int departure = (row.departure >= 0 ? row.departure : row.arrival) / 60;
        late = late || departure > kLastCellMinute;
        if (!out.calls.empty() && out.calls.back().station == station) {
            out.calls.back().departure = static_cast<std::int16_t>(departure);
            continue;  // one call given as two rows
        }
        out.calls.push_back(
            {station, static_cast<std::int16_t>(arrival), static_cast<std::int16_t>(departure)});
    }
    if (late) {
        out.skip = SkipReason::TimesNotRepresentable;
    } else if (out.calls.size() < 2) {
        out.skip = SkipReason::FewerThanTwoCalls;
    }
    if (out.skip) {
        out.calls.clear();
    }
}

}  // namespace

bool CloseTrip(std::string_view tripId, std::vector<RawCall>& rows, const FeedStops& stops,
               TripCalls& out, std::string& error) {
    std::stable_sort(rows.begin(), rows.end(),
                     [](const RawCall& a, const RawCall& b) { return a.sequence < b.sequence; });
    if (!Check(tripId, rows, error)) {
        return false;
    }
    Convert(rows, stops, out);
    return true;
}

}  // namespace velomar
