#pragma once

// Stops of a feed matched to the stations of the route tables: by the exact name after
// trimming blanks, through the table of stations renamed since the network was drawn, a
// platform through its parent station, and the user's --stations file above all. A stop is
// never matched by dropping part of its name: "김천(구미)" is a station of its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "import/csv_reader.h"
#include "import/overrides.h"
#include "import/string_index.h"

namespace velomar {

// Today's name of a station and the name the route tables give it.
struct StationRename {
    std::u16string_view now;
    std::u16string_view network;
};

inline constexpr StationRename kStationRenames[] = {
    {u"광주송정", u"송정리"},  // renamed 2009-04-01
    {u"태화강", u"울산"},      // 2010-11-01; the KTX station took the name 울산 (통도사)
    {u"여수엑스포", u"여수"},  // 2011-10-01
    {u"여수EXPO", u"여수"},    // the same station as the operator's systems spell it
    {u"광운대", u"성북"},      // 2013-02-25
    {u"쌍룡", u"쌍용"},        // 태백선: the operator's spelling of the station
};

enum class StopMatchKind : std::uint8_t { Name, Rename, Parent, Override, Ignored, Unmatched };

struct StopMatch {
    int station = -1;  // network station index, -1 for none
    StopMatchKind kind = StopMatchKind::Unmatched;
};

// A name alone: exact, then renamed; Unmatched otherwise.
StopMatch MatchStationName(std::string_view name);

struct FeedStops {
    TextMap<int> indexOf;  // stop_id to stop
    std::vector<std::string> names;
    std::vector<int> parents;  // stop index, -1 for none
    std::vector<StopMatch> matches;
    std::vector<std::int64_t> calls;  // calls of imported trips, for the report

    std::int16_t stationOf(int stop) const {
        return static_cast<std::int16_t>(matches[static_cast<std::size_t>(stop)].station);
    }
};

// Reads stops.txt and matches every stop. Fails on a duplicate stop_id (error names the line).
bool ReadFeedStops(CsvTable& stops, const StationOverrides& overrides, FeedStops& out,
                   std::string& error);

}  // namespace velomar
