// The day the main screen answers for, and Next over trains that leave at one minute.
#include <gtest/gtest.h>

#include "screens/main_screen.h"
#include "settings/settings_store.h"
#include "support/day_number.h"
#include "support/timetable_world.h"
#include "timetable/calendar_date.h"

namespace velomar {
namespace {

using testing_support::TimetableWorld;
using Nos = std::vector<std::u16string>;

using testing_support::Day;

// 2025-12-01 is a Monday.
constexpr const char* kDates =
    "velomar-dates 1\n"
    "period 20251201 20251231\n"
    "pattern 1 1111100 20251201 20251231\n"
    "DownData_06.txt * 1\n";

struct DatedScreen {
    TimetableWorld world;
    FixedClock clock{{7, 0}, Day("20251201")};
    ResultRows list;
    MainScreen screen{Layout::Portrait,
                      {world.settings, world.directory, world.grid, world.messages, clock,
                       ScreenSize{480, 800}, world.squareDialogShown},
                      list};

    explicit DatedScreen(std::string_view table, const char* dates = nullptr) {
        world.addFile(6, Direction::Down, table);
        if (dates != nullptr) {
            world.reader.add("/fixture/TimeData/Dates.txt", dates);
        }
        world.setNumber(kFirstRunMarkerName, kFirstRunMarker);
        WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kStartStationName,
                         u"문산");
        WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kEndStationName,
                         u"도라산");
        screen.startUp();
    }
    Nos trainNos() const { return testing_support::TrainNos(list.rows); }
};

constexpr std::string_view kTwoTrains = R"(
TYPE  0000 0002
TRNO  0101 0102
0401  0710 0810
0403  0740 0840
)";

TEST(SearchDate, TodayTomorrowOrADayOfThePeriod) {
    SearchDate date;
    EXPECT_FALSE(date.shown());  // a set without dates
    EXPECT_FALSE(date.chooseDay(Day("20251224")));
    std::string error;
    LoadedDates loaded{DatesLoad::Loaded, ServiceDates::parse(kDates, error), {}, 0};
    date.setDates(loaded);
    ASSERT_TRUE(date.shown());
    const int today = Day("20251224");
    EXPECT_EQ(date.day(today), today);
    EXPECT_TRUE(date.chooseTomorrow(today));
    EXPECT_EQ(date.day(today + 1), today + 2);  // tomorrow follows the clock
    EXPECT_FALSE(date.chooseTomorrow(Day("20251231")));
    EXPECT_FALSE(date.chooseDay(Day("20260101")));
    EXPECT_TRUE(date.chooseDay(Day("20251206")));
    EXPECT_EQ(date.day(today + 5), Day("20251206"));  // a chosen day stays
    EXPECT_TRUE(date.inPeriod(today));
    const auto entries = DateEntries(date, today);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].text, u"12/6(토)");
    EXPECT_EQ(entries[1].text, u"오늘 12/24(수)");
    EXPECT_EQ(entries[2].text, u"내일 12/25(목)");
    EXPECT_EQ(entries[3].text, u"날짜 선택");
}

TEST(SearchDate, TheScreenAnswersForTodayOrTheChosenDay) {
    DatedScreen s(kTwoTrains, kDates);
    EXPECT_TRUE(s.screen.date().shown());
    s.screen.search();
    EXPECT_EQ(s.trainNos(), (Nos{u"0101", u"0102"}));  // a Monday
    ASSERT_TRUE(s.screen.date().chooseDay(Day("20251206")));
    s.screen.search();
    EXPECT_EQ(s.trainNos(), (Nos{u"0101"}));  // 0102 runs on weekdays only
    // A start is today again: the day is not kept.
    s.screen.startUp();
    EXPECT_EQ(s.screen.date().choice(), DateChoice::Today);
}

TEST(SearchDate, WithoutDatesEveryTrainOnEveryDay) {
    DatedScreen s(kTwoTrains);
    EXPECT_FALSE(s.screen.date().shown());
    s.clock.setToday(Day("20251206"));
    s.screen.search();
    EXPECT_EQ(s.trainNos(), (Nos{u"0101", u"0102"}));
}

TEST(SearchDate, DatesThatCannotBeReadAreAReadError) {
    DatedScreen s(kTwoTrains, "velomar-dates 1\nperiod 20251201\n");
    EXPECT_TRUE(s.screen.date().shown());
    s.world.messages.messages.clear();
    s.screen.search();
    EXPECT_TRUE(s.list.rows.empty());
    EXPECT_EQ(s.world.messages.messages,
              (std::vector<Message>{{u"Read Data File Error", u"Velomar"},
                                    {u"GetTimeTable() Error", u"Info"},
                                    {u"열차가 없습니다.", u"Velomar"}}));
}

// Next begins after the last train shown: 17:42 follows 17:15, and of four trains at 17:15
// none is skipped or shown twice, two to a page.
TEST(NextPage, BeginsWithTheFirstTrainAfterTheLastOneShown) {
    DatedScreen s(R"(
TYPE  0000 0000 0000 0000 0000 0000
TRNO  0161 0163 0165 0166 0168 0167
0401  1700 1715 1715 1715 1715 1742
0403  1730 1745 1745 1745 1745 1812
)");
    s.world.setNumber(kResultCountName, 2);
    s.screen.form().hourSelection = 17;
    s.screen.search();
    std::vector<Nos> pages{s.trainNos()};
    for (int i = 0; i < 2; ++i) {
        s.screen.next();
        pages.push_back(s.trainNos());
    }
    EXPECT_EQ(pages,
              (std::vector<Nos>{{u"0161", u"0163"}, {u"0165", u"0166"}, {u"0168", u"0167"}}));
    EXPECT_EQ(s.screen.form().hourSelection, 17);
    EXPECT_EQ(s.screen.form().minuteSelection, 1);  // the step of 17:15
    // Nothing follows 17:42; Search starts from the step it selected, 17:40, again.
    s.screen.next();
    EXPECT_TRUE(s.list.rows.empty());
    EXPECT_EQ(s.screen.form().minuteSelection, 4);
    s.screen.search();
    EXPECT_EQ(s.trainNos(), (Nos{u"0167"}));
}

}  // namespace
}  // namespace velomar
