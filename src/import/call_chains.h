#pragma once

// Which of a train's calls a timetable file of a route direction can hold, and the pairs of
// calls (S before E) such a file serves: the search finds a train for a pair only in a file
// that holds both calls in its row order.

#include <bitset>
#include <cstddef>
#include <vector>

#include "import/train_table.h"
#include "timetable/timetable_file.h"

namespace velomar {

// Calls beyond this many network stations (no real train has them) are not placed.
inline constexpr std::size_t kMaxCalls = 256;
using CallSet = std::bitset<kMaxCalls>;

// The longest run of calls whose places on the sheet's route rise (Down) or fall (Up).
CallSet Chain(const std::vector<TrainCall>& calls, RouteCode sheet);

// Pairs (i, j), i < j, as one set of later calls per call.
using PairSets = std::vector<CallSet>;

PairSets PairsOf(const CallSet& calls, std::size_t n);
std::size_t CountPairs(const PairSets& open, const CallSet& chain);
void Serve(PairSets& open, const CallSet& chain);
bool AnyPair(const PairSets& pairs);

// Whether some pair of calls shares a route, yet no single route direction holds both.
bool HasUnservedPairs(const std::vector<TrainCall>& calls, const PairSets& servable);

// The routes that list at least two of the calls.
std::vector<int> RoutesOfCalls(const std::vector<TrainCall>& calls);

}  // namespace velomar
