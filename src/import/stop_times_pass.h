#pragma once

// The reading of stop_times.txt for ReadFeedTrips: rows gathered per trip while they come one
// after another, each trip turned into its calls when the next one begins.

#include <string>

#include "import/string_index.h"
#include "import/trip_reader.h"

namespace velomar {

// Reads stop_times.txt once, and a second time for trips whose rows are spread over the file.
bool ReadStopTimes(const TripSources& sources, FeedTrips& trips, const TextMap<int>& index,
                   std::string& error);

}  // namespace velomar
