#pragma once

// The direct trains between two stations by the search's own rules, over files already held,
// without the page's limit: what the search lists when its page has room for every train.

#include <string>
#include <string_view>
#include <vector>

#include "search/train_ride.h"
#include "timetable/service_dates.h"
#include "travel/timetable_set.h"

namespace velomar {

// The files the search reads for the pair, in its order (each with its sheets).
std::vector<RouteCode> DirectTrainFiles(std::u16string_view from, std::u16string_view to);

// The search's files and sheets in its order, its station rows, its time key (departures not
// below it as text), its type filter and day; each train once (the same number at the same
// departure in another file is the train itself), trains leaving at one minute in the order
// offered; ordered by departure. Like the search, it stops at a file or sheet that is not
// held or lacks a station row. Rides name the two stations.
std::vector<TrainRide> DirectTrains(const TimetableSet& set, std::u16string_view from,
                                    std::u16string_view to, std::u16string_view typeFilter,
                                    std::u16string_view timeKey, ServiceDay day = {});

}  // namespace velomar
