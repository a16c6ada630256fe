#include "tools/timetable_generator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "network/route_table.h"
#include "timetable/timetable_file.h"

// How the set is made:
//  - Every adjacent station pair of a conventional route gets a running time: a weight of 4
//    to 10 taken from a hash of the two codes, times a per-route scale chosen so that a
//    무궁화 over the whole route takes about the time the route is known for. The first route
//    that lists a pair fixes its time, so a through route runs exactly like its lines.
//  - KTX routes use a hand-made table of running minutes.
//  - Trains come from service groups (type, first and last station, departure window or
//    fixed departures). Express types skip small stations; departures are spread over the
//    window with a little jitter and nudged so that no two trains serve a station at the
//    same minute, except where a group pins its times on purpose.
//  - Some through trains are also written into the line files they run over, with the
//    same number, code and times.

namespace velomar::tools {

namespace {

enum class Kind { Ktx, Saemaeul, Mugunghwa, Tongil, Nuriro };

constexpr int kBoth = 3;
constexpr int kDownOnly = 1;
constexpr int kUpOnly = 2;

constexpr int hm(int hour, int minute) {
    return hour * 60 + minute;
}

// One service pattern of a route. Stations are given by code; `from` comes before `to` in
// the route's list, and Up trains run from `to` to `from`.
struct GroupPlan {
    int route;
    Kind kind;
    std::u16string_view from;
    std::u16string_view to;
    int count = 0;
    int first = 0;  // departure window at the origin, minutes after 00:00
    int last = 0;
    std::vector<int> times = {};                     // fixed departures instead of a window
    std::vector<std::u16string_view> dayCodes = {};  // day-restricted codes spread over it
    std::vector<std::u16string_view> skip = {};      // stations it never serves
    std::vector<int> alsoIn = {};                    // line files that list it too
    int dirs = kBoth;
    bool pinned = false;  // keep the times even when another train shares a minute
    double speed = 0;     // running-time factor; 0 takes the type's own
};

// Target running time of a 무궁화 over the whole route, in minutes.
constexpr std::array<int, 32> kRouteMinutes = {
    320, 310, 340, 310, 250, 75,  20,  40, 200, 130, 230, 234, 135, 110, 300, 140,  // 0-15
    0,   0,   450, 400, 350, 300, 230, 80, 460, 480, 460, 480, 100, 360, 420, 350,  // 16-31
};

// Routes whose conventional pairs get their times first: the lines, then the through routes.
constexpr std::array<int, 30> kDefinitionOrder = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                  10, 11, 12, 13, 14, 15, 18, 19, 20, 21,
                                                  22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

// Stations where 새마을 stop (and every 무궁화).
constexpr std::u16string_view kMajorStations[] = {
    u"0001", u"0002", u"0003", u"0004", u"0005", u"0007", u"0010", u"0011", u"0012", u"0013",
    u"0014", u"0015", u"0016", u"0017", u"0018", u"0019", u"0020", u"0021", u"0023", u"0024",
    u"0025", u"0027", u"0030", u"0031", u"0033", u"0035", u"0036", u"0037", u"0041", u"0042",
    u"0045", u"0048", u"0049", u"0050", u"0051", u"0053", u"0056", u"0057", u"0058", u"0059",
    u"0063", u"0065", u"0068", u"0070", u"0071", u"0073", u"0076", u"0079", u"0081", u"0083",
    u"0086", u"0090", u"0091", u"0092", u"0093", u"0096", u"0097", u"0098", u"0100", u"0101",
    u"0103", u"0104", u"0105", u"0109", u"0113", u"0114", u"0115", u"0117", u"0120", u"0121",
    u"0122", u"0123", u"0125", u"0127", u"0135", u"0139", u"0140", u"0143", u"0149", u"0150",
    u"0152", u"0156", u"0158", u"0162", u"0189", u"0190", u"0202", u"0218", u"0222", u"0262",
    u"0265", u"0275", u"0281", u"0401", u"0403", u"0410", u"0465", u"0503", u"0504", u"0505",
};

struct KtxSegment {
    std::u16string_view a;
    std::u16string_view b;
    int minutes;
};

constexpr KtxSegment kKtxSegments[] = {
    // 경부: 행신 서울 광명 천안아산 대전 김천 구미 동대구 밀양 구포 부산
    {u"0390", u"0001", 16},
    {u"0001", u"0501", 15},
    {u"0501", u"0502", 21},
    {u"0502", u"0010", 21},
    {u"0010", u"0012", 24},
    {u"0012", u"0013", 10},
    {u"0013", u"0015", 14},
    {u"0015", u"0017", 24},
    {u"0017", u"0019", 19},
    {u"0019", u"0020", 10},
    // 호남: 행신 용산 광명 천안아산 서대전 계룡 논산 익산 김제 정읍 장성 광주 송정리 나주 목포
    {u"0390", u"0104", 17},
    {u"0104", u"0501", 13},
    {u"0502", u"0025", 14},
    {u"0025", u"0218", 11},
    {u"0218", u"0027", 10},
    {u"0027", u"0030", 22},
    {u"0030", u"0031", 9},
    {u"0031", u"0033", 12},
    {u"0033", u"0035", 17},
    {u"0035", u"0042", 13},
    {u"0042", u"0036", 1},
    {u"0036", u"0037", 9},
    {u"0037", u"0041", 19},
};

// KTX stop levels: a train of pattern p stops where the level is p or less.
struct KtxLevel {
    std::u16string_view code;
    int level;
};

constexpr KtxLevel kKtxLevels[] = {
    {u"0001", 0}, {u"0104", 0}, {u"0010", 0}, {u"0015", 0}, {u"0020", 0}, {u"0025", 0},
    {u"0030", 0}, {u"0036", 0}, {u"0041", 0}, {u"0042", 0}, {u"0501", 1}, {u"0502", 1},
    {u"0033", 1}, {u"0019", 2}, {u"0218", 2}, {u"0027", 2}, {u"0031", 2}, {u"0035", 2},
    {u"0037", 2}, {u"0012", 3}, {u"0013", 3}, {u"0017", 3}, {u"0390", 3},
};

// Patterns in turn for successive KTX trains; mostly the usual stops, some fast, some slow.
constexpr int kKtxPatternCycle[] = {1, 2, 0, 1, 3, 2, 1, 0, 2, 3};

// Pairs joined only for the timetable's row order (광주 is a spur off 송정리): nearly no time.
constexpr std::pair<std::u16string_view, std::u16string_view> kVirtualPairs[] = {
    {u"0042", u"0036"},
};

// Turnaround at a station listed twice in a row (route 27's 순천).
constexpr int kTurnaroundMinutes = 7;

// clang-format off
std::vector<GroupPlan> plans() {
    using K = Kind;
    return {
        // Through routes first: their trains are also written into the line files.
        {.route = 18, .kind = K::Mugunghwa, .from = u"0001", .to = u"0051",
         .times = {hm(7, 20), hm(13, 50)}, .alsoIn = {0}},
        {.route = 18, .kind = K::Saemaeul, .from = u"0001", .to = u"0063",
         .times = {hm(9, 5)}, .alsoIn = {0}},
        {.route = 19, .kind = K::Saemaeul, .from = u"0001", .to = u"0190",
         .times = {hm(8, 0)}, .alsoIn = {0, 10}},
        {.route = 19, .kind = K::Mugunghwa, .from = u"0001", .to = u"0190",
         .times = {hm(11, 40), hm(22, 5)}, .alsoIn = {0, 10}},
        {.route = 20, .kind = K::Mugunghwa, .from = u"0001", .to = u"0127",
         .times = {hm(12, 40)}, .alsoIn = {0}},
        {.route = 21, .kind = K::Saemaeul, .from = u"0001", .to = u"0058",
         .times = {hm(7, 10), hm(15, 0), hm(20, 30)}, .dayCodes = {u"1011"},
         .alsoIn = {0, 5}},
        {.route = 21, .kind = K::Mugunghwa, .from = u"0001", .to = u"0058",
         .times = {hm(10, 20), hm(17, 40)}, .alsoIn = {0, 5}},
        {.route = 22, .kind = K::Mugunghwa, .from = u"0001", .to = u"0093",
         .times = {hm(9, 50), hm(16, 50)}},
        {.route = 23, .kind = K::Mugunghwa, .from = u"0042", .to = u"0041", .count = 6,
         .first = hm(6, 0), .last = hm(21, 0)},
        {.route = 24, .kind = K::Mugunghwa, .from = u"0190", .to = u"0041",
         .times = {hm(7, 0), hm(13, 20)}},
        {.route = 25, .kind = K::Mugunghwa, .from = u"0115", .to = u"0020",
         .times = {hm(6, 50), hm(13, 10)}},
        {.route = 26, .kind = K::Saemaeul, .from = u"0090", .to = u"0190",
         .times = {hm(9, 10)}},
        {.route = 26, .kind = K::Mugunghwa, .from = u"0090", .to = u"0190",
         .times = {hm(7, 30), hm(22, 10)}},
        {.route = 27, .kind = K::Mugunghwa, .from = u"0104", .to = u"0053",
         .times = {hm(8, 20)}},
        {.route = 28, .kind = K::Nuriro, .from = u"0001", .to = u"0281", .count = 11,
         .first = hm(6, 0), .last = hm(21, 30),
         .dayCodes = {u"0014", u"0014", u"0014", u"0014"}, .speed = 0.9},
        {.route = 29, .kind = K::Mugunghwa, .from = u"0115", .to = u"0222",
         .times = {hm(8, 0)}},
        {.route = 30, .kind = K::Mugunghwa, .from = u"0115", .to = u"0190",
         .times = {hm(7, 10), hm(15, 0)}},
        {.route = 31, .kind = K::Mugunghwa, .from = u"0090", .to = u"0115", .count = 4,
         .first = hm(7, 0), .last = hm(18, 20)},
        // The night train: 청량리 23:25, 정동진 before dawn.
        {.route = 31, .kind = K::Mugunghwa, .from = u"0090", .to = u"0115",
         .times = {hm(23, 25)}, .dirs = kDownOnly, .speed = 0.9},
        {.route = 31, .kind = K::Mugunghwa, .from = u"0090", .to = u"0115",
         .times = {hm(22, 50)}, .dirs = kUpOnly},

        // KTX 경부: one train pinned at 서울 10:00, the minute of a 경부선 새마을 too.
        {.route = 16, .kind = K::Ktx, .from = u"0001", .to = u"0020", .count = 45,
         .first = hm(5, 30), .last = hm(22, 50),
         .dayCodes = {u"1002", u"0102", u"0012", u"0112", u"1112", u"1012"},
         .dirs = kDownOnly},
        {.route = 16, .kind = K::Ktx, .from = u"0001", .to = u"0020", .times = {hm(10, 0)},
         .dirs = kDownOnly, .pinned = true},
        {.route = 16, .kind = K::Ktx, .from = u"0390", .to = u"0020",
         .times = {hm(6, 35), hm(17, 55)}, .dirs = kDownOnly},
        {.route = 16, .kind = K::Ktx, .from = u"0001", .to = u"0020", .count = 45,
         .first = hm(5, 0), .last = hm(22, 30),
         .dayCodes = {u"1002", u"0102", u"0012", u"0112", u"1112", u"1012"}, .dirs = kUpOnly},
        // The Monday-only early train from 부산.
        {.route = 16, .kind = K::Ktx, .from = u"0001", .to = u"0020", .times = {hm(4, 40)},
         .dayCodes = {u"0022"}, .dirs = kUpOnly, .pinned = true},
        {.route = 16, .kind = K::Ktx, .from = u"0390", .to = u"0020",
         .times = {hm(7, 0), hm(19, 0)}, .dirs = kUpOnly},
        // KTX 호남: 목포 trains pass 광주 by (it is a spur), 광주 trains end there.
        {.route = 17, .kind = K::Ktx, .from = u"0104", .to = u"0041", .count = 12,
         .first = hm(5, 25), .last = hm(21, 40), .dayCodes = {u"0112"}, .skip = {u"0042"}},
        {.route = 17, .kind = K::Ktx, .from = u"0104", .to = u"0042", .count = 6,
         .first = hm(6, 40), .last = hm(20, 20)},
        {.route = 17, .kind = K::Ktx, .from = u"0390", .to = u"0041", .times = {hm(8, 10)},
         .skip = {u"0042"}},

        // 경부선: one 새마을 pinned at 서울 10:00, like a KTX.
        {.route = 0, .kind = K::Saemaeul, .from = u"0001", .to = u"0020",
         .times = {hm(6, 10), hm(7, 25), hm(8, 40), hm(11, 10), hm(12, 30), hm(13, 45),
                   hm(15, 0), hm(16, 15), hm(17, 30), hm(18, 45), hm(20, 0), hm(20, 50)},
         .dayCodes = {u"0021", u"1001", u"0101"}, .dirs = kDownOnly},
        {.route = 0, .kind = K::Saemaeul, .from = u"0001", .to = u"0020", .times = {hm(10, 0)},
         .dirs = kDownOnly, .pinned = true},
        {.route = 0, .kind = K::Saemaeul, .from = u"0001", .to = u"0020", .count = 13,
         .first = hm(6, 0), .last = hm(20, 40), .dayCodes = {u"0021", u"1001", u"0101"},
         .dirs = kUpOnly},
        {.route = 0, .kind = K::Mugunghwa, .from = u"0001", .to = u"0020", .count = 9,
         .first = hm(5, 35), .last = hm(21, 0),
         .dayCodes = {u"0020", u"1000", u"0100", u"0010"}},
        // The night train, at the other end before dawn.
        {.route = 0, .kind = K::Mugunghwa, .from = u"0001", .to = u"0020",
         .times = {hm(22, 50)}},
        {.route = 0, .kind = K::Mugunghwa, .from = u"0001", .to = u"0010",
         .times = {hm(7, 5), hm(19, 15)}},
        {.route = 0, .kind = K::Mugunghwa, .from = u"0015", .to = u"0020",
         .times = {hm(6, 25), hm(18, 35)}},
        // 호남선
        {.route = 1, .kind = K::Saemaeul, .from = u"0104", .to = u"0041", .count = 6,
         .first = hm(7, 0), .last = hm(21, 0), .dayCodes = {u"0011", u"0111"},
         .skip = {u"0042"}},
        {.route = 1, .kind = K::Saemaeul, .from = u"0104", .to = u"0042",
         .times = {hm(9, 20), hm(16, 40)}},
        {.route = 1, .kind = K::Mugunghwa, .from = u"0104", .to = u"0041", .count = 6,
         .first = hm(6, 20), .last = hm(22, 15), .dayCodes = {u"0110"}, .skip = {u"0042"}},
        {.route = 1, .kind = K::Mugunghwa, .from = u"0104", .to = u"0042", .count = 3,
         .first = hm(8, 0), .last = hm(19, 0)},
        // 전라선
        {.route = 2, .kind = K::Saemaeul, .from = u"0104", .to = u"0053", .count = 6,
         .first = hm(7, 10), .last = hm(21, 40), .dayCodes = {u"1111"}},
        {.route = 2, .kind = K::Mugunghwa, .from = u"0104", .to = u"0053", .count = 7,
         .first = hm(6, 10), .last = hm(23, 0), .dayCodes = {u"1110"}},
        // 장항선
        {.route = 3, .kind = K::Saemaeul, .from = u"0104", .to = u"0030", .count = 6,
         .first = hm(6, 40), .last = hm(20, 30), .dayCodes = {u"1011"}},
        {.route = 3, .kind = K::Saemaeul, .from = u"0104", .to = u"0504",
         .times = {hm(11, 10), hm(17, 20)}},
        {.route = 3, .kind = K::Mugunghwa, .from = u"0104", .to = u"0030", .count = 6,
         .first = hm(6, 0), .last = hm(21, 40), .dayCodes = {u"1010"}},
        {.route = 3, .kind = K::Mugunghwa, .from = u"0104", .to = u"0504",
         .times = {hm(9, 40), hm(15, 30)}},
        {.route = 3, .kind = K::Mugunghwa, .from = u"0104", .to = u"0025",
         .times = {hm(13, 0)}},
        // 경전선
        {.route = 4, .kind = K::Mugunghwa, .from = u"0190", .to = u"0051", .count = 6,
         .first = hm(6, 0), .last = hm(19, 0)},
        {.route = 4, .kind = K::Mugunghwa, .from = u"0190", .to = u"0063", .count = 3,
         .first = hm(8, 30), .last = hm(20, 30)},
        {.route = 4, .kind = K::Saemaeul, .from = u"0190", .to = u"0063",
         .times = {hm(8, 0), hm(17, 0)}},
        // 대구선
        {.route = 5, .kind = K::Mugunghwa, .from = u"0015", .to = u"0058", .count = 6,
         .first = hm(6, 0), .last = hm(21, 0)},
        // 경의선: the 도라산 shuttle.
        {.route = 6, .kind = K::Mugunghwa, .from = u"0401", .to = u"0403", .count = 4,
         .first = hm(10, 0), .last = hm(17, 0)},
        // 경원선: the last 통일호, stopping everywhere.
        {.route = 7, .kind = K::Tongil, .from = u"0410", .to = u"0265", .count = 6,
         .first = hm(6, 0), .last = hm(21, 0)},
        // 영동선
        {.route = 8, .kind = K::Mugunghwa, .from = u"0113", .to = u"0098", .count = 6,
         .first = hm(5, 50), .last = hm(20, 0)},
        // 태백선
        {.route = 9, .kind = K::Mugunghwa, .from = u"0093", .to = u"0202", .count = 3,
         .first = hm(7, 0), .last = hm(18, 0)},
        // 동해남부선
        {.route = 10, .kind = K::Mugunghwa, .from = u"0015", .to = u"0190", .count = 4,
         .first = hm(6, 10), .last = hm(20, 0)},
        {.route = 10, .kind = K::Mugunghwa, .from = u"0058", .to = u"0190", .count = 4,
         .first = hm(5, 40), .last = hm(21, 10)},
        {.route = 10, .kind = K::Saemaeul, .from = u"0015", .to = u"0190",
         .times = {hm(9, 30), hm(16, 30)}},
        // 중앙선
        {.route = 11, .kind = K::Saemaeul, .from = u"0090", .to = u"0100", .count = 4,
         .first = hm(8, 0), .last = hm(19, 0), .dayCodes = {u"0021"}},
        {.route = 11, .kind = K::Mugunghwa, .from = u"0090", .to = u"0100", .count = 6,
         .first = hm(6, 0), .last = hm(21, 30)},
        {.route = 11, .kind = K::Mugunghwa, .from = u"0090", .to = u"0093", .count = 3,
         .first = hm(9, 30), .last = hm(20, 0)},
        // 충북선
        {.route = 12, .kind = K::Mugunghwa, .from = u"0010", .to = u"0093", .count = 9,
         .first = hm(6, 0), .last = hm(21, 30)},
        // 경춘선: hourly, with weekend extras.
        {.route = 13, .kind = K::Mugunghwa, .from = u"0090", .to = u"0152", .count = 19,
         .first = hm(5, 40), .last = hm(23, 20), .dayCodes = {u"0100", u"0110"}},
        // 경북선
        {.route = 14, .kind = K::Mugunghwa, .from = u"0098", .to = u"0020", .count = 3,
         .first = hm(6, 30), .last = hm(15, 30)},
        {.route = 14, .kind = K::Mugunghwa, .from = u"0098", .to = u"0012", .count = 3,
         .first = hm(8, 0), .last = hm(19, 30)},
        // 진해선
        {.route = 15, .kind = K::Mugunghwa, .from = u"0023", .to = u"0140",
         .times = {hm(7, 40), hm(16, 20)}},
    };
}
// clang-format on

// SplitMix64: small, fast and the same everywhere.
class Rng {
  public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [lo, hi].
    int between(int lo, int hi) {
        return lo + static_cast<int>(next() % static_cast<std::uint64_t>(hi - lo + 1));
    }

  private:
    std::uint64_t m_state;
};

std::uint32_t hashText(std::u16string_view text, std::uint32_t seed = 2166136261u) {
    std::uint32_t h = seed;
    for (char16_t ch : text) {
        h ^= static_cast<std::uint32_t>(ch);
        h *= 16777619u;
    }
    return h;
}

using Codes = std::vector<std::u16string>;
using PairKey = std::pair<std::u16string, std::u16string>;

PairKey pairKey(std::u16string_view a, std::u16string_view b) {
    return a < b ? PairKey{a, b} : PairKey{b, a};
}

int pairWeight(std::u16string_view a, std::u16string_view b) {
    const PairKey key = pairKey(a, b);
    return 4 + static_cast<int>(hashText(key.second, hashText(key.first)) % 7);
}

bool isMajor(std::u16string_view code) {
    return std::find(std::begin(kMajorStations), std::end(kMajorStations), code) !=
           std::end(kMajorStations);
}

// Where every 무궁화 stops: the big stations and about half of the rest.
bool mugunghwaStops(std::u16string_view code) {
    return isMajor(code) || hashText(code, 7u) % 100 < 50;
}

int ktxLevel(std::u16string_view code) {
    for (const KtxLevel& level : kKtxLevels) {
        if (level.code == code) {
            return level.level;
        }
    }
    return 9;
}

std::array<Codes, 32> routeCodes() {
    std::array<Codes, 32> routes;
    for (const RouteRecord& record : RouteTable()) {
        if (IsStationRecord(record)) {
            routes[record.route].emplace_back(record.code);
        }
    }
    return routes;
}

struct Stop {
    std::u16string code;
    int minute;
};

struct Train {
    std::u16string code;
    std::u16string number;  // given once every train is placed, in time order
    int numberBase;
    Direction direction;
};

// A train as one file lists it: all its stops in its own file, those on the line in a line
// file that lists it too.
struct Listing {
    std::size_t train;
    std::vector<Stop> stops;  // in travel order
    bool home;
};

int fileIndex(int route, Direction direction) {
    return (direction == Direction::Up ? 0 : 32) + route;
}

std::u16string ascii16(std::string_view text) {
    return {text.begin(), text.end()};
}

std::u16string_view baseCode(Kind kind) {
    switch (kind) {
        case Kind::Ktx:
            return u"0002";
        case Kind::Saemaeul:
            return u"0001";
        case Kind::Tongil:
            return u"0003";
        case Kind::Nuriro:
            return u"0004";
        case Kind::Mugunghwa:
            break;
    }
    return u"0000";
}

double speedOf(Kind kind) {
    switch (kind) {
        case Kind::Saemaeul:
            return 0.92;
        case Kind::Nuriro:
            return 0.95;
        case Kind::Tongil:
            return 1.05;
        case Kind::Ktx:
        case Kind::Mugunghwa:
            break;
    }
    return 1.0;
}

// Cell text of a minute of the service day; the small hours after midnight start with 3.
std::string cellText(int minute) {
    char text[32];
    if (minute >= 24 * 60) {
        minute -= 24 * 60;
        std::snprintf(text, sizeof text, "3%01d%02d", minute / 60 % 10, minute % 60);
    } else {
        std::snprintf(text, sizeof text, "%02d%02d", minute / 60, minute % 60);
    }
    return text;
}

class Generator {
  public:
    Generator() : m_routes(routeCodes()), m_rng(0x56454C4F4D415231ULL) {
        for (const KtxSegment& segment : kKtxSegments) {
            m_ktx[pairKey(segment.a, segment.b)] = segment.minutes;
        }
        defineConventionalSegments();
    }

    std::vector<GeneratedFile> run() {
        for (const GroupPlan& plan : plans()) {
            if (plan.dirs & kDownOnly) {
                runGroup(plan, Direction::Down);
            }
            if (plan.dirs & kUpOnly) {
                runGroup(plan, Direction::Up);
            }
        }
        assignNumbers();
        std::vector<GeneratedFile> files;
        for (Direction direction : {Direction::Up, Direction::Down}) {
            for (int route = 0; route < 32; ++route) {
                files.push_back({TimetableFileName(route, direction), render(route, direction)});
            }
        }
        return files;
    }

  private:
    void defineConventionalSegments() {
        for (int route : kDefinitionOrder) {
            const Codes& codes = m_routes[route];
            double known = 0;
            int unknownWeight = 0;
            int dwell = 0;
            for (std::size_t i = 1; i < codes.size(); ++i) {
                if (const auto fixed = fixedSegment(codes[i - 1], codes[i])) {
                    known += *fixed;
                } else if (auto it = m_conventional.find(pairKey(codes[i - 1], codes[i]));
                           it != m_conventional.end()) {
                    known += it->second;
                } else {
                    unknownWeight += pairWeight(codes[i - 1], codes[i]);
                }
                if (i + 1 < codes.size() && mugunghwaStops(codes[i])) {
                    ++dwell;
                }
            }
            if (unknownWeight == 0) {
                continue;
            }
            const double scale =
                std::clamp((kRouteMinutes[route] - known - dwell) / unknownWeight, 0.5, 3.0);
            for (std::size_t i = 1; i < codes.size(); ++i) {
                if (fixedSegment(codes[i - 1], codes[i])) {
                    continue;
                }
                m_conventional.try_emplace(pairKey(codes[i - 1], codes[i]),
                                           pairWeight(codes[i - 1], codes[i]) * scale);
            }
        }
    }

    static std::optional<double> fixedSegment(std::u16string_view a, std::u16string_view b) {
        if (a == b) {
            return 0.0;
        }
        for (const auto& [x, y] : kVirtualPairs) {
            if (pairKey(a, b) == pairKey(x, y)) {
                return 1.0;
            }
        }
        return std::nullopt;
    }

    double segment(bool ktx, std::u16string_view a, std::u16string_view b) const {
        if (ktx) {
            return m_ktx.at(pairKey(a, b));
        }
        if (const auto fixed = fixedSegment(a, b)) {
            return *fixed;
        }
        return m_conventional.at(pairKey(a, b));
    }

    // Stations of a file in row order.
    Codes rowsOf(int route, Direction direction) const {
        Codes rows = m_routes[route];
        if (direction == Direction::Up) {
            std::reverse(rows.begin(), rows.end());
        }
        return rows;
    }

    static std::size_t indexOf(const Codes& rows, std::u16string_view code, bool last) {
        std::size_t found = rows.size();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] == code) {
                found = i;
                if (!last) {
                    break;
                }
            }
        }
        return found;
    }

    bool stopsAt(const GroupPlan& plan, std::u16string_view code, int pattern,
                 std::uint32_t salt) const {
        if (std::find(plan.skip.begin(), plan.skip.end(), code) != plan.skip.end()) {
            return false;
        }
        switch (plan.kind) {
            case Kind::Ktx:
                return ktxLevel(code) <= pattern;
            case Kind::Saemaeul:
                return isMajor(code);
            case Kind::Mugunghwa:
                return mugunghwaStops(code) || hashText(code, salt) % 100 < 10;
            case Kind::Tongil:
            case Kind::Nuriro:
                break;
        }
        return true;
    }

    std::vector<Stop> runTrain(const GroupPlan& plan, const Codes& rows, std::size_t begin,
                               std::size_t end, int departure, int pattern,
                               std::uint32_t salt) const {
        const bool ktx = plan.kind == Kind::Ktx;
        const double factor = ktx ? 1.0 : (plan.speed > 0 ? plan.speed : speedOf(plan.kind));
        const double dwell = ktx ? 2.0 : 1.0;
        std::vector<Stop> stops{{rows[begin], departure}};
        double t = departure;
        for (std::size_t i = begin + 1; i <= end; ++i) {
            t += segment(ktx, rows[i - 1], rows[i]) * factor;
            const auto at = [&] { return static_cast<int>(std::lround(t)); };
            if (rows[i] == rows[i - 1]) {
                // Second row of a doubled station: the departure after the turnaround.
                if (stops.back().code == rows[i]) {
                    t += kTurnaroundMinutes;
                    stops.push_back({rows[i], at()});
                }
                continue;
            }
            if (i == end) {
                stops.push_back({rows[i], at()});
                break;
            }
            if (!stopsAt(plan, rows[i], pattern, salt)) {
                continue;
            }
            if (rows[i + 1] == rows[i]) {
                stops.push_back({rows[i], at()});  // arrival; the next row gives the departure
            } else {
                t += dwell;
                stops.push_back({rows[i], at()});
            }
        }
        return stops;
    }

    bool collides(const std::vector<Stop>& stops) const {
        for (const Stop& stop : stops) {
            if (m_used.contains({stop.code, stop.minute})) {
                return true;
            }
        }
        return false;
    }

    std::vector<int> departures(const GroupPlan& plan) {
        if (!plan.times.empty()) {
            return plan.times;
        }
        std::vector<int> times;
        const int step = plan.count > 1 ? (plan.last - plan.first) / (plan.count - 1) : 0;
        for (int k = 0; k < plan.count; ++k) {
            int time = plan.first + (k == 0 ? 0 : (plan.last - plan.first) * k / (plan.count - 1));
            if (k > 0 && k + 1 < plan.count) {
                time += m_rng.between(-step / 5, step / 5);
            }
            times.push_back((time + 2) / 5 * 5);
        }
        return times;
    }

    static int numberBase(const GroupPlan& plan) {
        int base = 1200;
        switch (plan.kind) {
            case Kind::Ktx:
                base = plan.route == 17 ? 500 : 100;
                break;
            case Kind::Saemaeul:
                base = 1000;
                break;
            case Kind::Nuriro:
                base = 1700;
                break;
            case Kind::Tongil:
                base = 1900;
                break;
            case Kind::Mugunghwa:
                break;
        }
        return base;
    }

    // Odd numbers away from 서울 (Down), even towards it; each series counts up through the
    // files in order, and within a file in column order.
    void assignNumbers() {
        std::map<std::pair<int, bool>, int> counters;
        for (Direction direction : {Direction::Down, Direction::Up}) {
            for (int route = 0; route < 32; ++route) {
                for (const Listing* listing : columnOrder(route, direction)) {
                    if (!listing->home) {
                        continue;
                    }
                    Train& train = m_trains[listing->train];
                    const bool down = direction == Direction::Down;
                    int& counter = counters[{train.numberBase, down}];
                    const int number = train.numberBase + 2 * counter + (down ? 1 : 2);
                    ++counter;
                    char text[32];
                    std::snprintf(text, sizeof text, "%04d", number);
                    train.number = ascii16(text);
                }
            }
        }
    }

    void runGroup(const GroupPlan& plan, Direction direction) {
        const Codes rows = rowsOf(plan.route, direction);
        std::size_t begin = indexOf(rows, plan.from, false);
        std::size_t end = indexOf(rows, plan.to, true);
        if (direction == Direction::Up) {
            begin = indexOf(rows, plan.to, false);
            end = indexOf(rows, plan.from, true);
        }
        const std::vector<int> times = departures(plan);
        const std::size_t restricted = plan.dayCodes.size();
        for (std::size_t k = 0; k < times.size(); ++k) {
            std::u16string code(baseCode(plan.kind));
            for (std::size_t j = 0; j < restricted; ++j) {
                if (k == (2 * j + 1) * times.size() / (2 * restricted)) {
                    code = plan.dayCodes[j];
                }
            }
            const int pattern = kKtxPatternCycle[m_rng.between(0, 9)];
            const auto salt = static_cast<std::uint32_t>(m_rng.next());
            std::vector<Stop> stops = runTrain(plan, rows, begin, end, times[k], pattern, salt);
            for (int tries = 1; !plan.pinned && tries < 30 && collides(stops); ++tries) {
                stops = runTrain(plan, rows, begin, end, times[k] + 2 * tries, pattern, salt);
            }
            for (const Stop& stop : stops) {
                m_used.insert({stop.code, stop.minute});
            }
            m_trains.push_back({code, u"", numberBase(plan), direction});
            const std::size_t id = m_trains.size() - 1;
            for (int target : plan.alsoIn) {
                project(id, stops, target, direction);
            }
            m_files[fileIndex(plan.route, direction)].push_back({id, std::move(stops), true});
        }
    }

    // The same train as the line file lists it: its stops on that line, times unchanged.
    void project(std::size_t id, const std::vector<Stop>& stops, int route, Direction direction) {
        const Codes rows = rowsOf(route, direction);
        Listing copy{id, {}, false};
        std::size_t next = 0;
        for (const std::u16string& row : rows) {
            for (std::size_t q = next; q < stops.size(); ++q) {
                if (stops[q].code == row) {
                    copy.stops.push_back(stops[q]);
                    next = q + 1;
                    break;
                }
            }
        }
        if (copy.stops.size() >= 2) {
            m_files[fileIndex(route, direction)].push_back(std::move(copy));
        }
    }

    // Trains in the order of their time at the file's first station, had they all started
    // there: close to the order at any station of the route.
    std::vector<const Listing*> columnOrder(int route, Direction direction) const {
        const Codes rows = rowsOf(route, direction);
        const bool ktx = route == 16 || route == 17;
        std::vector<double> offset(rows.size(), 0.0);
        for (std::size_t i = 1; i < rows.size(); ++i) {
            offset[i] = offset[i - 1] + segment(ktx, rows[i - 1], rows[i]);
        }
        std::vector<std::pair<std::pair<double, std::size_t>, const Listing*>> keyed;
        for (const Listing& listing : m_files[fileIndex(route, direction)]) {
            const std::size_t row = indexOf(rows, listing.stops.front().code, false);
            keyed.push_back(
                {{listing.stops.front().minute - offset[row], listing.train}, &listing});
        }
        std::sort(keyed.begin(), keyed.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<const Listing*> order;
        for (const auto& entry : keyed) {
            order.push_back(entry.second);
        }
        return order;
    }

    std::string render(int route, Direction direction) const {
        const Codes rows = rowsOf(route, direction);
        const std::vector<const Listing*> trains = columnOrder(route, direction);
        // cells[row][train]
        std::vector<std::vector<std::string>> cells(
            rows.size(), std::vector<std::string>(trains.size(), "9999"));
        for (std::size_t t = 0; t < trains.size(); ++t) {
            std::size_t next = 0;
            for (const Stop& stop : trains[t]->stops) {
                while (next < rows.size() && rows[next] != stop.code) {
                    ++next;
                }
                if (next < rows.size()) {
                    cells[next][t] = cellText(stop.minute);
                    ++next;
                }
            }
        }
        std::string out;
        const auto narrow = [](std::u16string_view text) {
            return std::string(text.begin(), text.end());
        };
        out += "TYPE\t";
        for (const Listing* listing : trains) {
            out += narrow(m_trains[listing->train].code) + "\t";
        }
        out += "/\r\nNUMB\t";
        for (const Listing* listing : trains) {
            out += narrow(m_trains[listing->train].number) + "\t";
        }
        out += "/\r\n";
        for (std::size_t r = 0; r < rows.size(); ++r) {
            out += narrow(rows[r]) + "\t";
            for (const std::string& cell : cells[r]) {
                out += cell + "\t";
            }
            out += "/\r\n";
        }
        out += "=";
        return out;
    }

    std::array<Codes, 32> m_routes;
    Rng m_rng;
    std::map<PairKey, double> m_ktx;
    std::map<PairKey, double> m_conventional;
    std::set<std::pair<std::u16string, int>> m_used;
    std::vector<Train> m_trains;
    std::array<std::vector<Listing>, 64> m_files;
};

}  // namespace

std::vector<GeneratedFile> GenerateTimetables() {
    return Generator().run();
}

std::string WriteTimetables(const std::filesystem::path& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        return "cannot create " + directory.string() + ": " + error.message();
    }
    for (const GeneratedFile& file : GenerateTimetables()) {
        const std::filesystem::path path = directory / file.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << file.bytes;
        out.close();
        if (!out) {
            return "cannot write " + path.string();
        }
    }
    return {};
}

}  // namespace velomar::tools
