#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "timetable/calendar_date.h"
#include "timetable/service_dates.h"
#include "travel/board.h"
#include "travel_fixture.h"

namespace velomar {
namespace {

using testing_support::TravelWorld;

// 경부선 (route 0) Down and 경부대구 (route 21) Down, a few of their stations:
//
//   서울 -- 천안 -- 대전 -- 동대구 (route 0 ends here in this fixture)
//                              \-- 영천 -- 포항 (route 21 goes on)
//
// 1091 is the same through train in both files; 1201 leaves 서울 at the same minute; 1203
// passes 서울; 1205 leaves a minute before 07:00; 1207 is a KTX late in the day; 1209 leaves
// after midnight.
constexpr std::string_view kLineDown = R"(
TYPE  0001 0000 0000 0000 0002 0000
TRNO  1091 1201 1203 1205 1207 1209
0001  0700 0700 9999 0659 2350 3015
0005  0745 0750 0800 0745 9999 3100
0010  0830 0840 0845 0830 3040 3140
0015  0930 9999 0950 9999 9999 9999
)";
constexpr std::string_view kThroughDown = R"(
TYPE  0001
TRNO  1091
0001  0700
0010  0830
0015  0930
0103  1000
0058  1030
)";
// 경부선 Up: 1092 ends at 서울, so it never leaves it.
constexpr std::string_view kLineUp = R"(
TYPE  0000
TRNO  1092
0015  0800
0010  0900
0001  1100
)";
// KTX route 16 Down: a number used again at another minute is another train.
constexpr std::string_view kKtxDown = R"(
TYPE  0002
TRNO  1091
0001  1400
0020  1640
)";

class Board : public testing::Test {
  protected:
    void SetUp() override {
        world.addFile(0, Direction::Down, kLineDown);
        world.addFile(0, Direction::Up, kLineUp);
        world.addFile(21, Direction::Down, kThroughDown);
        world.addFile(16, Direction::Down, kKtxDown);
        world.load();
    }
    std::vector<TrainRide> board(std::u16string_view station, int typeIndex, int earliest,
                                 std::size_t limit = 50) {
        return DepartureBoard(world.set, station, {typeIndex, earliest}, limit);
    }
    TravelWorld world;
};

TEST_F(Board, EachTrainOnceEarliestFirstAfterMidnightLast) {
    const std::vector<TrainRide> expected = {
        // The through train shows its own last station, from the file that runs furthest.
        {u"1091", u"새마을", u"0700", u"1030", RouteCode(121), u"서울", u"포항"},
        {u"1201", u"무궁화", u"0700", u"0840", RouteCode(100), u"서울", u"대전"},
        {u"1091", u"KTX", u"1400", u"1640", RouteCode(116), u"서울", u"부산"},
        {u"1207", u"KTX", u"2350", u"3040", RouteCode(100), u"서울", u"대전"},
        {u"1209", u"무궁화", u"3015", u"3140", RouteCode(100), u"서울", u"대전"},
    };
    EXPECT_EQ(board(u"서울", 0, 7 * 60), expected);
}

TEST_F(Board, TimeTypeAndLimit) {
    // 06:59 is in from 06:59 on; after-midnight trains pass any time, as in the search.
    EXPECT_EQ(board(u"서울", 0, 6 * 60 + 59).front().trainNo, u"1205");
    const auto late = board(u"서울", 0, 23 * 60 + 59);
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].trainNo, u"1209");
    const auto ktx = board(u"서울", 1, 0);
    ASSERT_EQ(ktx.size(), 2u);
    EXPECT_EQ(ktx[0].departureKey, u"1400");
    EXPECT_EQ(ktx[1].trainNo, u"1207");
    EXPECT_EQ(board(u"서울", 0, 0, 2).size(), 2u);
}

TEST_F(Board, StationsAlongTheWay) {
    // 천안: 1203 stops here although it passed 서울; 1207 passes 천안.
    std::vector<std::u16string> numbers;
    for (const TrainRide& d : board(u"천안", 0, 0)) {
        numbers.push_back(d.trainNo);
    }
    EXPECT_EQ(numbers, (std::vector<std::u16string>{u"1091", u"1205", u"1201", u"1203", u"1209"}));
    // 동대구: the Down trains of the line end here, the through train goes on; 1092 of the
    // Up file starts here.
    const std::vector<TrainRide> east = {
        {u"1092", u"무궁화", u"0800", u"1100", RouteCode(0), u"동대구", u"서울"},
        {u"1091", u"새마을", u"0930", u"1030", RouteCode(121), u"동대구", u"포항"},
    };
    EXPECT_EQ(board(u"동대구", 0, 0), east);
    // 포항 is the end of every file held: nothing leaves it.
    EXPECT_TRUE(board(u"포항", 0, 0).empty());
    EXPECT_TRUE(board(u"서을", 0, 0).empty());
}

TEST(BoardTwice, StationGivenInTwoRowsLeavesFromTheSecond) {
    // 호남경전전라 (route 27) Down lists 순천 twice: the arrival, then the departure.
    TravelWorld world;
    world.addFile(27, Direction::Down, R"(
TYPE  0000
TRNO  1501
0089  0950
0051  1000
0051  1005
0053  1040
)");
    world.load();
    const auto board = DepartureBoard(world.set, u"순천", {0, 0}, 10);
    ASSERT_EQ(board.size(), 1u);
    EXPECT_EQ(board[0].departureKey, u"1005");
    EXPECT_EQ(board[0].to, u"여수");
}

TEST_F(Board, ReadsSheetsAndTheDay) {
    // A second sheet of the KTX file: 1301 leaves at 14:00 too; 1303 runs on Saturdays only.
    world.reader.add(world.directory.pathOf(RouteCode(1116)), testing_support::TimetableText(R"(
TYPE  0002 0002
TRNO  1301 1303
0001  1400 1500
0020  1630 1730
)"));
    world.load();
    std::string error;
    const auto dates = ServiceDates::parse(
        "velomar-dates 1\nperiod 20251201 20251231\npattern 1 0000010 20251201 20251231\n"
        "DownData_16.2.txt * 1\n",
        error);
    ASSERT_TRUE(dates) << error;
    auto ktx = [&](const char* day) {
        std::vector<std::u16string> numbers;
        for (const TrainRide& d :
             DepartureBoard(world.set, u"서울", {1, 0, {&*dates, *GtfsDayNumber(day)}}, 10)) {
            numbers.push_back(d.trainNo + u"@" + d.departureKey);
        }
        return numbers;
    };
    EXPECT_EQ(ktx("20251205"),
              (std::vector<std::u16string>{u"1091@1400", u"1301@1400", u"1207@2350"}));
    EXPECT_EQ(ktx("20251206"), (std::vector<std::u16string>{u"1091@1400", u"1301@1400",
                                                            u"1303@1500", u"1207@2350"}));
}

TEST(BoardFiles, OnlyFilesWhoseTrainsCanLeaveTheStation) {
    // 강릉 ends routes 25, 29 and 30 in Down order and route 31 in Up order.
    EXPECT_EQ(BoardFiles(u"강릉"), (std::vector<RouteCode>{RouteCode(125), RouteCode(129),
                                                           RouteCode(130), RouteCode(31)}));
    EXPECT_TRUE(BoardFiles(u"가야").empty());
}

}  // namespace
}  // namespace velomar
