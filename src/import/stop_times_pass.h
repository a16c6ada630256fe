#pragma once

// The reading of stop_times.txt for ReadFeedTrips. The rows of a trip are gathered while they
// come one after another, as feeds write them, and the trip joins its train when the next trip
// begins. A trip whose rows come back later is taken out of its train again and read whole in
// a further pass; those passes gather as many trips as fit into a quarter of the file's size,
// so memory stays below half the file whatever the order of its rows.

#include <string>

#include "import/trip_reader.h"

namespace velomar {

bool ReadStopTimes(const TripSources& sources, FeedTrips& trips, std::string& error);

}  // namespace velomar
