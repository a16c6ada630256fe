#include <gtest/gtest.h>

#include "search/train_detail.h"
#include "support/timetable_world.h"

namespace velomar {
namespace {

using testing_support::TimetableWorld;
using Messages = std::vector<Message>;
using Texts = std::vector<std::u16string>;

// 호남경전전라, route 27, Down file, from 벌교(0089) on: 순천(0051) stands twice, then
// 덕양(0052), a code no route knows (0999), 여천(0139), 여수(0053).
// Train 0701 appears in two columns; the last one is the train's column.
constexpr std::string_view kNightRoute27 = R"(
TYPE  0000 0000 0001 0002
TRNO  0701 0702 0701 0703
0089  2300 0600 2330 0800
0051  2340 0640 3005 9999
0051  2345 0645 3010 0820
0052  9999 0650 9999 0825
0999  2355 9999 3020 0830
0139  2359 9999 3025 0835
0053  3005 0710 3040 0840
)";

struct DetailRun {
    TimetableWorld world;
    CurrentTimetableFile current;
    std::u16string departure = u"벌교";
    std::u16string arrival = u"여수";

    DetailRun() { world.addFile(27, Direction::Down, kNightRoute27); }
    TrainDetailResult show(std::u16string_view trainNo, RouteCode code) {
        return ShowTrainDetail(trainNo, code, departure, arrival, current,
                               {world.directory, world.grid, world.messages});
    }
};

TEST(TrainDetail, ListsStopsFromDepartureToArrivalSkippingNonStops) {
    DetailRun d;
    const TrainDetailResult r = d.show(u"0701", RouteCode(127));
    ASSERT_EQ(r.status, TrainDetailStatus::Stops);
    EXPECT_EQ(r.stops.stationNames, (Texts{u"벌교", u"순천", u"순천", u"0999", u"여천", u"여수"}));
    EXPECT_EQ(r.stops.times, (Texts{u"2330", u"0005", u"0010", u"0020", u"0025", u"0040"}));
    EXPECT_TRUE(d.world.messages.messages.empty());
    // The held texts are left as codes.
    EXPECT_EQ(d.departure, u"0089");
    EXPECT_EQ(d.arrival, u"0053");
}

TEST(TrainDetail, StopsBetweenInnerStations) {
    DetailRun d;
    d.departure = u"덕양";
    const TrainDetailResult r = d.show(u"0703", RouteCode(127));
    EXPECT_EQ(r.stops.stationNames, (Texts{u"덕양", u"0999", u"여천", u"여수"}));
    EXPECT_EQ(r.stops.times, (Texts{u"0825", u"0830", u"0835", u"0840"}));
}

TEST(TrainDetail, ArrivalBeforeDepartureListsNothing) {
    DetailRun d;
    std::swap(d.departure, d.arrival);
    const TrainDetailResult r = d.show(u"0702", RouteCode(127));
    EXPECT_EQ(r.status, TrainDetailStatus::Stops);
    EXPECT_EQ(r.stops.count(), 0u);
}

TEST(TrainDetail, UnknownTrainOrStationOpensAnEmptyList) {
    DetailRun d;
    EXPECT_EQ(d.show(u"0999", RouteCode(127)).stops.count(), 0u);
    d.departure = u"서울";
    EXPECT_EQ(d.show(u"0701", RouteCode(127)).stops.count(), 0u);
    EXPECT_TRUE(d.world.messages.messages.empty());
}

TEST(TrainDetail, NoTrainNumberOrRouteCodeDoesNothing) {
    DetailRun d;
    d.current = u"left open";
    EXPECT_EQ(d.show(u"", RouteCode(127)).status, TrainDetailStatus::Nothing);
    EXPECT_EQ(d.current, std::optional<std::u16string>(u"left open"));
    EXPECT_EQ(d.show(u"0701", RouteCode()).status, TrainDetailStatus::Nothing);
    EXPECT_FALSE(d.current.has_value());
    EXPECT_EQ(d.departure, u"벌교");  // nothing converted
    EXPECT_TRUE(d.world.messages.messages.empty());
}

TEST(TrainDetail, RouteCodeNamingNoFileIsAnError) {
    DetailRun d;
    for (int code : {32, 99, 132, -2, 1032, 999000}) {
        EXPECT_EQ(d.show(u"0701", RouteCode(code)).status, TrainDetailStatus::InvalidRouteCode)
            << code;
    }
    EXPECT_TRUE(d.world.messages.messages.empty());
}

TEST(TrainDetail, MissingFileShowsThreeMessagesAndAnEmptyList) {
    DetailRun d;
    d.world.grid.setCell(1, 1, u"0701");
    const TrainDetailResult r = d.show(u"0701", RouteCode(27));  // no Up file of route 27
    EXPECT_EQ(r.status, TrainDetailStatus::Stops);
    EXPECT_EQ(r.stops.count(), 0u);
    EXPECT_EQ(d.world.messages.messages, (Messages{{u"fopen Error", u"Info"},
                                                   {u"Read Data File Error", u"Velomar"},
                                                   {u"GetTimeTable() Error", u"Info"}}));
    EXPECT_EQ(d.world.grid, TimetableGrid());
}

TEST(TrainDetail, ReadsTheSheetItsRouteCodeNames) {
    DetailRun d;
    d.world.reader.add(d.world.directory.pathOf(RouteCode(1127)), testing_support::TimetableText(R"(
TYPE  0002
TRNO  0801
0089  0900
0053  0950
)"));
    EXPECT_EQ(d.show(u"0801", RouteCode(1127)).stops.times, (Texts{u"0900", u"0950"}));
    EXPECT_EQ(d.show(u"0801", RouteCode(127)).stops.count(), 0u);  // not in the file itself
    EXPECT_TRUE(d.world.messages.messages.empty());
    // A sheet that is not there is a file that cannot be opened.
    d.show(u"0801", RouteCode(2127));
    EXPECT_EQ(d.world.messages.messages.front(), (Message{u"fopen Error", u"Info"}));
}

TEST(StopList, KeepsAtMostAHundredStops) {
    StopList list;
    for (int i = 0; i < 120; ++i) {
        list.AddStop(u"역", u"0700");
    }
    EXPECT_EQ(list.count(), kStopListCapacity);
    EXPECT_EQ(list.times.size(), kStopListCapacity);
}

// The dialog and the CLI show a stop's time through this one rule.
TEST(StopTimeText, FourCharactersAsHoursAndMinutesAnythingElseAsItStands) {
    EXPECT_EQ(StopTimeText(u"0715"), u"07:15");
    EXPECT_EQ(StopTimeText(u"0015"), u"00:15");  // after DisplayTime
    EXPECT_EQ(StopTimeText(u"2400"), u"24:00");
    EXPECT_EQ(StopTimeText(u""), u"");
    EXPECT_EQ(StopTimeText(u"123"), u"123");
    EXPECT_EQ(StopTimeText(u"12345"), u"12345");
}

}  // namespace
}  // namespace velomar
