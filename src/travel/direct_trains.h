#pragma once

// The direct trains between two stations by the search's own rules, over files already held,
// without the page's limit: what the search lists when its page has room for every train.

#include <string>
#include <string_view>
#include <vector>

#include "travel/timetable_set.h"

namespace velomar {

struct DirectTrain {
    std::u16string trainNo;
    std::u16string departureCell;
    std::u16string arrivalCell;
    std::u16string typeLabel;
    RouteCode routeCode;
    friend bool operator==(const DirectTrain&, const DirectTrain&) = default;
};

// The files the search reads for the pair, in its order.
std::vector<RouteCode> DirectTrainFiles(std::u16string_view from, std::u16string_view to);

// The search's files in its order, its station rows, its time key (departures not below it
// as text) and type filter; the first train offered at each departure time; ordered by
// departure. Like the search, it stops at a file that is not held or lacks a station row.
std::vector<DirectTrain> DirectTrains(const TimetableSet& set, std::u16string_view from,
                                      std::u16string_view to, std::u16string_view typeFilter,
                                      std::u16string_view timeKey);

}  // namespace velomar
