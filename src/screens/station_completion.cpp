#include "screens/station_completion.h"

#include <map>
#include <set>

#include "network/route_table.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {

StationTraffic CountStationTraffic(const TimetableDirectory& timetables) {
    // Station code -> the train numbers with a time there.
    std::map<std::u16string, std::set<std::u16string>, std::less<>> calls;
    TimetableGrid grid;
    for (int route = 0; route < kRouteCount; ++route) {
        for (const Direction direction : {Direction::Up, Direction::Down}) {
            if (LoadTimetableFile(timetables, route, direction, grid) != FileLoad::Loaded) {
                continue;
            }
            for (int row = 2; row < kGridRows; ++row) {
                const std::u16string_view code = grid.cell(row, 0);
                if (code == kNoTime) {
                    continue;
                }
                auto& trains = calls[std::u16string(code)];
                for (int column = 1; column < kGridColumns; ++column) {
                    if (grid.cell(1, column) != kNoTime && grid.cell(row, column) != kNoTime) {
                        trains.emplace(grid.cell(1, column));
                    }
                }
            }
        }
    }
    StationTraffic traffic;
    for (const auto& [code, trains] : calls) {
        traffic.set(StationCodeToName(code), static_cast<int>(trains.size()));
    }
    return traffic;
}

std::vector<std::u16string> StationCompletions(std::u16string_view typed, std::size_t rows,
                                               const StationTraffic& traffic) {
    const std::vector<StationMatch> matches = MatchStations(typed, rows, traffic);
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

std::vector<std::u16string> StationSuggestions::completions(std::u16string_view typed) {
    // Nothing typed needs no count of the timetables.
    if (typed.find_first_not_of(u" \t") == std::u16string_view::npos) {
        return {};
    }
    return StationCompletions(typed, kCompletionRows, traffic());
}

const StationTraffic& StationSuggestions::traffic() {
    if (!m_traffic) {
        m_traffic = CountStationTraffic(m_timetables);
    }
    return *m_traffic;
}

}  // namespace velomar
