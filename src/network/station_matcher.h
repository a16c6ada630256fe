#pragma once

// Finds stations from what a user types: the whole name, its beginning, its initial
// consonants (ㄷㄷㄱ for 동대구, mixed with syllables as in 동ㄷ), or a name one typo away.
// A completer shows MatchStations as it is; the CLI adds SuggestStations to a failed search.

#include <cstddef>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velomar {

// One station of the route table or the directory.
struct StationInfo {
    std::u16string_view name;
    std::u16string_view code;
    int routes = 0;  // routes that list it; 0 for a directory station no timetable serves
};

// Every station once: the route table's in table order, then the directory's other ones
// (the directory's fillers left out).
std::span<const StationInfo> StationCatalogue();

// The station of that exact name, or null.
const StationInfo* FindStation(std::u16string_view name);

// Better kinds first.
enum class MatchKind {
    Exact,     // the whole name
    Prefix,    // the beginning of the name; the last typed syllable may still lack its final
    Initials,  // typed consonants stand for the initials of the name's syllables
    NearMiss,  // one syllable or one jamo wrong, missing or extra
};

// "exact", "prefix", "initials", "near miss".
std::u16string_view MatchKindText(MatchKind kind);

struct StationMatch {
    StationInfo station;
    MatchKind kind = MatchKind::Exact;
    int typos = 0;  // near misses: edits between the two names spelt out in jamo
};

// How many trains call at each station of a timetable set, by name (none for a station it
// does not list): the stations travellers pick most.
class StationTraffic {
  public:
    void set(std::u16string_view name, int trains);
    int trains(std::u16string_view name) const;
    bool empty() const { return m_trains.empty(); }

  private:
    std::map<std::u16string, int, std::less<>> m_trains;
};

// Up to `limit` matches, best first: by kind, near misses by fewer typos, then stations with
// more trains in `traffic` first (부산 before 부강 for 부), then on more routes, then by name.
// Spaces around the text are ignored; an empty text matches nothing. A plain typed consonant
// also finds its doubled form (ㅅ finds 쌍용); a doubled one finds only itself.
std::vector<StationMatch> MatchStations(std::u16string_view text, std::size_t limit,
                                        const StationTraffic& traffic = {});

// For a text that names no station: the stations with trains that it most likely
// misspells: of the near misses with the fewest typos, up to `limit` that routes carry.
// Nothing for a name that is a station, even one without trains, nor when the closest near
// misses have no trains.
std::vector<std::u16string_view> SuggestStations(std::u16string_view text, std::size_t limit = 3);

}  // namespace velomar
