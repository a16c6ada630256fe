#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "timetable/route_selection.h"
#include "timetable/timetable_file.h"

namespace velomar::bench {

// A station pair to search, chosen from the route table, and the files the search loads.
struct SearchPair {
    std::string label;  // "W1", "W2", "T", "N"
    std::u16string departure;
    std::u16string arrival;
    RouteMasks masks;
    // In the order the search loads them: route 0-31, Up before Down.
    std::vector<RouteCode> files;
};

struct Workloads {
    SearchPair busiestSameStation;  // W1: the station on the most routes, as both ends
    SearchPair busiestPair;         // W2: the two-station pair served by the most files
    SearchPair typicalPair;         // T: see typicalCandidates
    // Neighbouring stations served by one or two files, in table order; the benchmark takes
    // the one of median file size among those whose search lists trains.
    std::vector<SearchPair> typicalCandidates;
    SearchPair noRoute;          // N: two stations on routes, but on no common one
    SearchPair journeyPair;      // J: 강릉 -> 부산, the journeys example of the README
    std::u16string rareArrival;  // a station named by a single record, late in the table
};

// Deterministic: ties go to the first candidate in route-table order.
Workloads ChooseWorkloads();

std::vector<RouteCode> FilesOf(const RouteMasks& masks);

}  // namespace velomar::bench
