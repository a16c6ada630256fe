#include "network/station_matcher.h"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "network/hangul.h"
#include "network/route_table.h"
#include "network/station_directory.h"

namespace velomar {

namespace {

using hangul::Syllable;
using hangul::SyllableOf;
using hangul::TypedInitial;

constexpr std::u16string_view kFillerCode = u"0000";

std::vector<StationInfo> BuildCatalogue() {
    std::vector<StationInfo> stations;
    std::map<std::u16string_view, std::set<unsigned>> routes;
    for (const RouteRecord& record : RouteTable()) {
        if (!IsStationRecord(record)) {
            continue;
        }
        auto [place, added] = routes.try_emplace(record.name);
        if (added) {
            stations.push_back({record.name, record.code, 0});
        }
        place->second.insert(record.route);
    }
    for (StationInfo& station : stations) {
        station.routes = static_cast<int>(routes[station.name].size());
    }
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < GroupSize(g); ++i) {
            const StationEntry& entry = GroupEntry(g, i);
            if (entry.code != kFillerCode && routes.try_emplace(entry.name).second) {
                stations.push_back({entry.name, entry.code, 0});
            }
        }
    }
    return stations;
}

// The initial a syllable's final becomes when the next vowel is typed (성 + ㅜ gives 서우);
// -1 for no final and for the double finals, which split in two.
int FinalAsInitial(int final) {
    constexpr std::array<int, 28> kInitials = {-1, 0,  1,  -1, 2,  -1, -1, 3, 5,  -1,
                                               -1, -1, -1, -1, -1, -1, 6,  7, -1, 9,
                                               10, 11, 12, 14, 15, 16, 17, 18};
    return kInitials[static_cast<std::size_t>(final)];
}

bool InitialFits(int typed, int initial) {
    return typed == initial ||
           (hangul::IsDoubledInitial(initial) && hangul::PlainInitial(initial) == typed);
}

// How the last typed syllable fits the name at `at`, as it stands while being typed: whole,
// without its final yet (서우 for 서울), or with the next syllable's initial as its final
// (성 for 서울). Returns the name positions it covers, 0 when it does not fit.
std::size_t LastSyllableFit(char16_t typed, std::u16string_view name, std::size_t at) {
    if (typed == name[at]) {
        return 1;
    }
    const auto t = SyllableOf(typed);
    const auto n = SyllableOf(name[at]);
    if (!t || !n || t->initial != n->initial || t->medial != n->medial) {
        return 0;
    }
    if (t->final == 0) {
        return 1;
    }
    if (n->final == 0 && at + 1 < name.size()) {
        const auto next = SyllableOf(name[at + 1]);
        if (next && next->initial == FinalAsInitial(t->final)) {
            return 2;
        }
    }
    return 0;
}

// Whether the typed text fits the beginning of the name position by position, and how.
std::optional<MatchKind> FitStart(std::u16string_view typed, std::u16string_view name) {
    if (typed.size() > name.size()) {
        return std::nullopt;
    }
    bool initials = false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (const auto initial = TypedInitial(typed[i])) {
            const auto syllable = SyllableOf(name[i]);
            if (!syllable || !InitialFits(*initial, syllable->initial)) {
                return std::nullopt;
            }
            initials = true;
        } else if (i + 1 < typed.size() ? typed[i] != name[i]
                                        : LastSyllableFit(typed[i], name, i) == 0) {
            return std::nullopt;
        }
    }
    return initials ? MatchKind::Initials : MatchKind::Prefix;
}

template <class Char>
int EditDistance(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    std::vector<int> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = static_cast<int>(j);
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::u16string_view Trimmed(std::u16string_view text) {
    const auto first = text.find_first_not_of(u" \t");
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u" \t") - first + 1);
}

// What was typed, taken apart once for every station it is compared with.
struct Typed {
    explicit Typed(std::u16string_view text)
        : text(text),
          jamo(hangul::Jamo(text)),
          // Typos are looked for in names typed out; typed consonants ask for initials only.
          spelledOut(text.size() >= 2 && std::none_of(text.begin(), text.end(), [](char16_t c) {
                         return TypedInitial(c).has_value();
                     })) {}
    std::u16string_view text;
    std::u32string jamo;
    bool spelledOut;
};

std::optional<StationMatch> Match(const Typed& typed, const StationInfo& station) {
    if (station.name == typed.text) {
        return StationMatch{station, MatchKind::Exact, 0};
    }
    if (const auto kind = FitStart(typed.text, station.name)) {
        return StationMatch{station, *kind, 0};
    }
    if (!typed.spelledOut) {
        return std::nullopt;
    }
    // Lengths that differ by more than one are more than one edit apart either way; a long
    // text then costs nothing (an edit distance is quadratic).
    const std::u32string nameJamo = hangul::Jamo(station.name);
    const auto apart = [](std::size_t a, std::size_t b) { return (a > b ? a - b : b - a) > 1; };
    if (apart(typed.text.size(), station.name.size()) &&
        apart(typed.jamo.size(), nameJamo.size())) {
        return std::nullopt;
    }
    const int typos = EditDistance<char32_t>(typed.jamo, nameJamo);
    if (typos <= 1 || EditDistance<char16_t>(typed.text, station.name) <= 1) {
        return StationMatch{station, MatchKind::NearMiss, typos};
    }
    return std::nullopt;
}

bool Better(const StationMatch& a, const StationMatch& b, const StationTraffic& traffic) {
    if (a.kind != b.kind) {
        return a.kind < b.kind;
    }
    if (a.typos != b.typos) {
        return a.typos < b.typos;
    }
    const int trainsA = traffic.trains(a.station.name);
    const int trainsB = traffic.trains(b.station.name);
    if (trainsA != trainsB) {
        return trainsA > trainsB;
    }
    if (a.station.routes != b.station.routes) {
        return a.station.routes > b.station.routes;
    }
    return a.station.name < b.station.name;
}

std::vector<StationMatch> AllMatches(std::u16string_view text, const StationTraffic& traffic = {}) {
    const std::u16string_view typed = Trimmed(text);
    std::vector<StationMatch> matches;
    if (typed.empty()) {
        return matches;
    }
    const Typed parts(typed);
    for (const StationInfo& station : StationCatalogue()) {
        if (auto match = Match(parts, station)) {
            matches.push_back(*match);
        }
    }
    std::sort(
        matches.begin(), matches.end(),
        [&traffic](const StationMatch& a, const StationMatch& b) { return Better(a, b, traffic); });
    return matches;
}

}  // namespace

std::span<const StationInfo> StationCatalogue() {
    static const std::vector<StationInfo> catalogue = BuildCatalogue();
    return catalogue;
}

const StationInfo* FindStation(std::u16string_view name) {
    for (const StationInfo& station : StationCatalogue()) {
        if (station.name == name) {
            return &station;
        }
    }
    return nullptr;
}

std::u16string_view MatchKindText(MatchKind kind) {
    switch (kind) {
        case MatchKind::Exact:
            return u"exact";
        case MatchKind::Prefix:
            return u"prefix";
        case MatchKind::Initials:
            return u"initials";
        case MatchKind::NearMiss:
            break;
    }
    return u"near miss";
}

void StationTraffic::set(std::u16string_view name, int trains) {
    m_trains.insert_or_assign(std::u16string(name), trains);
}

int StationTraffic::trains(std::u16string_view name) const {
    const auto found = m_trains.find(name);
    return found != m_trains.end() ? found->second : 0;
}

std::vector<StationMatch> MatchStations(std::u16string_view text, std::size_t limit,
                                        const StationTraffic& traffic) {
    std::vector<StationMatch> matches = AllMatches(text, traffic);
    if (matches.size() > limit) {
        matches.resize(limit);
    }
    return matches;
}

std::vector<std::u16string_view> SuggestStations(std::u16string_view text, std::size_t limit) {
    std::vector<std::u16string_view> names;
    if (FindStation(Trimmed(text)) != nullptr) {
        return names;
    }
    // Matches come sorted by kind and then by typos, so the closest near misses come first.
    // A closer station without trains (가야 for 가얌) means no station with trains is meant.
    std::optional<int> fewest;
    for (const StationMatch& match : AllMatches(text)) {
        if (match.kind != MatchKind::NearMiss) {
            continue;
        }
        fewest = fewest.value_or(match.typos);
        if (match.typos != *fewest || names.size() == limit) {
            break;
        }
        if (match.station.routes > 0) {
            names.push_back(match.station.name);
        }
    }
    return names;
}

}  // namespace velomar
