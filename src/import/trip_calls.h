#pragma once

// One trip's rows of stop_times.txt, gathered, turned into its calls at network stations.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/station_match.h"
#include "import/train_table.h"

namespace velomar {

enum class SkipReason : int;

struct RawCall {
    std::uint32_t sequence;
    std::int32_t stop;
    std::int32_t arrival;  // seconds, -1 when not given
    std::int32_t departure;
    std::int64_t line;
};

struct TripCalls {
    std::vector<TrainCall> calls;
    std::optional<SkipReason> skip;  // the trip becomes no train
};

// Sorts the rows by stop_sequence and checks them: a stop_sequence given twice or times that
// go back are errors (error names stop_times.txt and the line).
bool CloseTrip(std::string_view tripId, std::vector<RawCall>& rows, const FeedStops& stops,
               TripCalls& out, std::string& error);

}  // namespace velomar
