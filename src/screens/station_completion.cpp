#include "screens/station_completion.h"

#include "network/station_matcher.h"

namespace velomar {

std::vector<std::u16string> StationCompletions(std::u16string_view typed, std::size_t rows) {
    const std::vector<StationMatch> matches = MatchStations(typed, rows);
    std::vector<std::u16string> names;
    // A list that only repeats the field adds nothing to pick.
    if (matches.size() == 1 && matches.front().kind == MatchKind::Exact) {
        return names;
    }
    for (const StationMatch& match : matches) {
        names.emplace_back(match.station.name);
    }
    return names;
}

}  // namespace velomar
