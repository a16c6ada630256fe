#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "travel/journeys.h"
#include "travel_fixture.h"

namespace velomar {
namespace {

using testing_support::TravelWorld;

// 충북선 (route 12) Down ends at 제천, where 태백선 (route 9) Down begins; no route has both
// 대전 and 영월, so every journey changes at 제천 (the last station of the first train, the
// first of the second):
//
//   대전 -- 충주 -- 봉양 -- 제천 == 제천 -- 쌍용 -- 영월 -- 정선
constexpr std::string_view kChungbuk = R"(
TYPE  0000 0000 0000
TRNO  1101 1103 1105
0010  0700 0800 2200
0073  0830 0930 2300
0175  0900 9999 2330
0093  0920 1010 2350
)";
// 1601 leaves 제천 ten minutes after 1101 arrives; 1603 passes 영월; 1609 passes 제천 and
// so cannot be boarded there; 1607 runs after midnight.
constexpr std::string_view kTaebaek = R"(
TYPE  0000 0000 0000 0000 0000
TRNO  1601 1603 1605 1609 1607
0093  0930 1015 1025 9999 3005
0116  0945 1030 1040 1012 3020
0117  1000 9999 1055 1025 3035
0200  1100 1130 1150 1120 3130
)";

struct Expected {
    std::u16string_view first;
    std::u16string_view second;  // empty for a direct train
    int departure;
    int arrival;
};

std::vector<Expected> Shape(const std::vector<Journey>& journeys) {
    std::vector<Expected> out;
    for (const Journey& j : journeys) {
        out.push_back({j.legs.front().trainNo,
                       j.legs.size() > 1 ? std::u16string_view(j.legs[1].trainNo) : u"",
                       j.departure, j.arrival});
    }
    return out;
}

bool operator==(const Expected& a, const Expected& b) {
    return a.first == b.first && a.second == b.second && a.departure == b.departure &&
           a.arrival == b.arrival;
}

void PrintTo(const Expected& e, std::ostream* os) {
    *os << std::string(e.first.begin(), e.first.end()) << "/"
        << std::string(e.second.begin(), e.second.end()) << " " << e.departure << "-" << e.arrival;
}

constexpr int At(int hour, int minute) {
    return hour * 60 + minute;
}

struct ChangeCase {
    const char* name;
    int earliest;
    int change;
    int type;
    std::vector<Expected> expected;
};

class ChangeAtJecheon : public testing::TestWithParam<ChangeCase> {};

TEST_P(ChangeAtJecheon, FindsTheBestJourneys) {
    TravelWorld world;
    world.addFile(12, Direction::Down, kChungbuk);
    world.addFile(9, Direction::Down, kTaebaek);
    const ChangeCase& c = GetParam();
    const JourneyQuery query{u"대전", u"영월", {c.type, c.earliest}, c.change, 10};
    EXPECT_EQ(Shape(FindJourneys(world.load(), query)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ChangeAtJecheon,
    testing::Values(
        // Ten minutes are enough at ten minutes' change time. 1103 waits for 1605: 1603
        // does not stop at 영월 and 1609 not at 제천. 1105 reaches the next day.
        ChangeCase{"TenMinutes",
                   At(6, 0),
                   10,
                   0,
                   {{u"1101", u"1601", At(7, 0), At(10, 0)},
                    {u"1103", u"1605", At(8, 0), At(10, 55)},
                    {u"1105", u"1607", At(22, 0), At(24, 35)}}},
        // Eleven: 1101 misses 1601 and would reach 영월 no earlier than 1103, which leaves
        // later.
        ChangeCase{
            "TooShort",
            At(6, 0),
            11,
            0,
            {{u"1103", u"1605", At(8, 0), At(10, 55)}, {u"1105", u"1607", At(22, 0), At(24, 35)}}},
        // Sixteen: 1103 misses 1605 and waits for the night train, 1105 misses it.
        ChangeCase{
            "LongChange",
            At(6, 0),
            16,
            0,
            {{u"1101", u"1605", At(7, 0), At(10, 55)}, {u"1103", u"1607", At(8, 0), At(24, 35)}}},
        ChangeCase{
            "FromTheTime",
            At(7, 1),
            10,
            0,
            {{u"1103", u"1605", At(8, 0), At(10, 55)}, {u"1105", u"1607", At(22, 0), At(24, 35)}}},
        ChangeCase{"Late", At(23, 59), 10, 0, {}},
        // Every train of a journey has the type asked for.
        ChangeCase{"NoKtx", At(0, 0), 10, 1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Journeys, LegsNameTheirStationsFilesAndCells) {
    TravelWorld world;
    world.addFile(12, Direction::Down, kChungbuk);
    world.addFile(9, Direction::Down, kTaebaek);
    const auto journeys = FindJourneys(world.load(), {u"대전", u"영월", {0, At(21, 0)}, 10, 10});
    ASSERT_EQ(journeys.size(), 1u);
    const Journey& j = journeys[0];
    EXPECT_EQ(j.changes(), 1);
    EXPECT_EQ(j.legs[0],
              (TrainRide{u"1105", u"무궁화", u"2200", u"2350", RouteCode(112), u"대전", u"제천"}));
    EXPECT_EQ(j.legs[1],
              (TrainRide{u"1607", u"무궁화", u"3005", u"3035", RouteCode(109), u"제천", u"영월"}));
}

// 경부선 (route 0) and 경부대구 (route 21) both list the through train 1091; 대구선 (route 5)
// runs 동대구 - 포항 with 2001 and 2003:
//
//   서울 -- 대전 -- 동대구 -- 영천 -- 포항
constexpr std::string_view kLine = R"(
TYPE  0001 0000
TRNO  1091 1093
0001  0700 0650
0010  0830 0820
0015  0930 0930
)";
constexpr std::string_view kThrough = R"(
TYPE  0001 0000
TRNO  1091 1093
0001  0700 0650
0010  0830 0820
0015  0930 0930
0103  1000 1010
0058  1030 1040
)";
constexpr std::string_view kDaegu = R"(
TYPE  0000 0000
TRNO  2001 2003
0015  0940 0930
0103  0955 0945
0058  1010 1000
)";
// 경부동해남부 (route 19) also serves 서울 - 포항; the search reads its file first and stops
// at a file without the two stations, so it is there, without trains.
constexpr std::string_view kNoTrains = R"(
TYPE
TRNO
0001
0058
)";

void AddSeoulPohang(TravelWorld& world, std::string_view daegu) {
    world.addFile(0, Direction::Down, kLine);
    world.addFile(19, Direction::Down, kNoTrains);
    world.addFile(21, Direction::Down, kThrough);
    world.addFile(5, Direction::Down, daegu);
}

TEST(Journeys, DirectTrainsBesideChanges) {
    TravelWorld world;
    AddSeoulPohang(world, kDaegu);
    const TimetableSet& set = world.load();
    // 1091 direct arrives 10:30, with a change to 2001 10:10: both leave at 07:00, so the
    // direct train stays. 1093 leaves earlier and arrives later than 1091 with the change,
    // directly and with its own change to 2001: both go.
    const std::vector<Expected> expected = {{u"1091", u"2001", At(7, 0), At(10, 10)},
                                            {u"1091", u"", At(7, 0), At(10, 30)}};
    EXPECT_EQ(Shape(FindJourneys(set, {u"서울", u"포항", {0, 0}, 10, 10})), expected);
    // The direct trains are the search's, by its rules: the through file's.
    const auto direct = DirectJourneys(set, {u"서울", u"포항", {0, 0}, 10, 10});
    ASSERT_EQ(direct.size(), 2u);
    EXPECT_EQ(direct[0].legs[0].trainNo, u"1093");
    EXPECT_EQ(direct[0].legs[0].routeCode, RouteCode(121));
    // At zero minutes 2003, leaving 동대구 as 1091 arrives, is a change to make.
    EXPECT_EQ(Shape(FindJourneys(set, {u"서울", u"포항", {0, 0}, 0, 10})).front(),
              (Expected{u"1091", u"2003", At(7, 0), At(10, 0)}));
}

TEST(Journeys, TheSameTrainInAnotherFileIsNoChange) {
    // Only a slow train leaves 동대구 for 포항 besides the through train.
    TravelWorld world;
    AddSeoulPohang(world, R"(
TYPE  0000
TRNO  2005
0015  1000
0058  1100
)");
    const TimetableSet& set = world.load();
    // With no time needed to change, 1091 of the line file meets 1091 of the through file at
    // 동대구 at the same minute: staying on it is no change, so no journey changes to it.
    const JourneyQuery query{u"서울", u"포항", {0, 0}, 0, 10};
    for (const Journey& j : OneChangeJourneys(set, query, JourneyFiles(u"서울", u"포항"))) {
        ASSERT_EQ(j.legs.size(), 2u);
        EXPECT_NE(j.legs[0].trainNo, j.legs[1].trainNo);
    }
    EXPECT_EQ(Shape(FindJourneys(set, query)),
              (std::vector<Expected>{{u"1091", u"", At(7, 0), At(10, 30)}}));
}

TEST(Journeys, FilesAreThoseThatCanLeaveOrReach) {
    // 강릉 leaves on routes 25, 29, 30 (Down) and 31 (Up); 영월 lies between the ends of
    // routes 9 and 31 and is reached both ways on each.
    EXPECT_EQ(JourneyFiles(u"강릉", u"영월"),
              (std::vector<RouteCode>{RouteCode(9), RouteCode(109), RouteCode(125), RouteCode(129),
                                      RouteCode(130), RouteCode(31), RouteCode(131)}));
}

// ---------------------------------------------------------------------------------------------
// Which journeys beat which.

Journey Made(int legs, int departure, int arrival, std::u16string_view train = u"0000") {
    Journey j;
    for (int i = 0; i < legs; ++i) {
        j.legs.push_back({std::u16string(train), u"", u"", u"", RouteCode(0), u"", u""});
    }
    j.departure = departure;
    j.arrival = arrival;
    return j;
}

struct ParetoCase {
    const char* name;
    std::vector<Journey> candidates;
    std::vector<std::size_t> kept;  // indices into candidates, in the order listed
};

class Pareto : public testing::TestWithParam<ParetoCase> {};

TEST_P(Pareto, KeepsWhatNothingBeats) {
    std::vector<Journey> expected;
    for (std::size_t i : GetParam().kept) {
        expected.push_back(GetParam().candidates[i]);
    }
    const auto kept = ParetoJourneys(GetParam().candidates);
    ASSERT_EQ(kept.size(), expected.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        EXPECT_EQ(kept[i].departure, expected[i].departure) << i;
        EXPECT_EQ(kept[i].arrival, expected[i].arrival) << i;
        EXPECT_EQ(kept[i].changes(), expected[i].changes()) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Pareto,
    testing::Values(
        ParetoCase{"DirectStaysBesideFasterChangeAtTheSameMinute",
                   {Made(1, At(6, 50), At(15, 13)), Made(2, At(6, 50), At(15, 9))},
                   {1, 0}},
        ParetoCase{"EarlierAndLaterGoesWhateverTheChanges",
                   {Made(1, At(6, 50), At(15, 13)), Made(2, At(7, 10), At(15, 10))},
                   {1}},
        ParetoCase{"SlowerChangeAtTheSameMinuteGoes",
                   {Made(2, At(7, 0), At(10, 30)), Made(2, At(7, 0), At(10, 0))},
                   {1}},
        ParetoCase{"EqualTimesFewerChangesWin",
                   {Made(2, At(7, 0), At(10, 0)), Made(1, At(7, 0), At(10, 0))},
                   {1}},
        ParetoCase{
            "EqualJourneysOnce", {Made(1, At(7, 0), At(10, 0)), Made(1, At(7, 0), At(10, 0))}, {0}},
        ParetoCase{"TwoTrainsAtTheSameTimesBoth",
                   {Made(1, At(7, 0), At(10, 0)), Made(1, At(7, 0), At(10, 0), u"0001")},
                   {0, 1}},
        ParetoCase{"OvertakenDirectGoes",
                   {Made(1, At(7, 0), At(10, 0)), Made(1, At(7, 10), At(10, 0))},
                   {1}},
        // Leaving earlier to arrive as early without a change is worth listing.
        ParetoCase{"EarlierDirectBesideLaterChange",
                   {Made(2, At(7, 10), At(10, 0)), Made(1, At(7, 0), At(10, 0))},
                   {1, 0}},
        ParetoCase{"OrderedByDeparture",
                   {Made(1, At(9, 0), At(11, 0)), Made(1, At(8, 0), At(10, 0)),
                    Made(2, At(8, 30), At(10, 30))},
                   {1, 2, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velomar
