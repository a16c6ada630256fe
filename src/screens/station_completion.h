#pragma once

// What the list under a station field offers while the user types: the station matcher's
// names, best first, the stations with more trains first among equally good matches. The
// list only suggests; the field's text is what the user typed until a row is picked.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "network/station_matcher.h"

namespace velomar {

class TimetableDirectory;

// Rows the list shows at most: enough for the initials of a short name (ㅅㅇ has many), few
// enough to stay under the field on the smallest screens.
inline constexpr std::size_t kCompletionRows = 8;

// The trains that call at each station, over every timetable file of the folder: a train
// (a number) counts once at a station however many files list it there. Files that cannot be
// read count nothing.
StationTraffic CountStationTraffic(const TimetableDirectory& timetables);

// The names offered for `typed`, best first, at most `rows`. None for a blank text, a text
// that nothing matches, or when the one name offered is the typed name itself.
std::vector<std::u16string> StationCompletions(std::u16string_view typed,
                                               std::size_t rows = kCompletionRows,
                                               const StationTraffic& traffic = {});

// The completions of the station fields over one timetable folder: its traffic is counted
// when the first completion is asked for (every file is read then), and kept.
class StationSuggestions {
  public:
    explicit StationSuggestions(const TimetableDirectory& timetables) : m_timetables(timetables) {}

    std::vector<std::u16string> completions(std::u16string_view typed);
    const StationTraffic& traffic();

  private:
    const TimetableDirectory& m_timetables;
    std::optional<StationTraffic> m_traffic;
};

}  // namespace velomar
