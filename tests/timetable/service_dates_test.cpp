#include <gtest/gtest.h>

#include <algorithm>

#include "support/day_number.h"
#include "timetable/calendar_date.h"
#include "timetable/service_dates.h"

namespace velomar {
namespace {

using testing_support::Day;

// 2025-12-01 is a Monday; 12-25 a Thursday.
constexpr const char* kDates = R"(velomar-dates 1
# weekdays, not on Christmas, and one Saturday
period 20251201 20251231
pattern 7 1111100 20251201 20251231 -20251225 +20251227

UpData_16.txt 7 * 7
DownData_16.2.txt 7
)";

TEST(ServiceDates, ReadsPatternsAndTheirColumns) {
    std::string error;
    const auto dates = ServiceDates::parse(kDates, error);
    ASSERT_TRUE(dates) << error;
    const RouteCode up(16);
    EXPECT_TRUE(dates->runs(up, 1, Day("20251224")));
    EXPECT_FALSE(dates->runs(up, 1, Day("20251225")));  // removed
    EXPECT_TRUE(dates->runs(up, 1, Day("20251227")));   // added Saturday
    EXPECT_FALSE(dates->runs(up, 1, Day("20251228")));  // Sunday
    EXPECT_TRUE(dates->runs(up, 2, Day("20251228")));   // "*": every day
    EXPECT_TRUE(dates->runs(up, 4, Day("20251228")));   // beyond the line: every day
    EXPECT_TRUE(dates->runs(RouteCode(1116), 1, Day("20251201")));
    EXPECT_TRUE(dates->runs(RouteCode(17), 1, Day("20251228")));  // sheet not given
    EXPECT_FALSE(dates->runs(up, 2, Day("20260101")));            // outside the period
    // What is written reads back the same.
    const auto again = ServiceDates::parse(dates->text(), error);
    ASSERT_TRUE(again) << error;
    EXPECT_EQ(again->text(), dates->text());
}

TEST(ServiceDates, RefusesWhatIsNotADatesFile) {
    const std::string head = "velomar-dates 1\nperiod 20251201 20251231\n";
    struct Case {
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"velomar-dates 2\n", "line 1: not a dates file"},
        {"velomar-dates 1\n", "gives no period"},
        {"velomar-dates 1\nperiod 20251231 20251201\n", "line 2: the period ends before"},
        {head + "pattern 1 1111100 20251201 20260101\n", "line 3: 20260101 lies outside"},
        {head + "pattern 1 11111 20251201 20251231\n", "weekday flags"},
        {head + "pattern 1 1111100 20251201 20251231 20251205\n", "neither +YYYYMMDD"},
        {head + "UpData_16.txt 1\n", "UpData_16.txt: pattern 1 is not given"},
        {head + "UpData_16.txt x\n", "neither a pattern id nor *"},
        {head + "UpData_40.txt 1\n", "neither a pattern nor a timetable file"},
        {head + "UpData_16.txt *\nUpData_16.txt *\n", "line 4: UpData_16.txt is given twice"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ServiceDates::parse(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(ServiceDates, ReadsOnlyWhatTheSheetsAskedForNeed) {
    const std::string text = std::string(kDates) +
                             "pattern 8 1111111 20251201 20251231 +2025\n"
                             "UpData_17.txt 8 *\n"
                             "UpData_18.txt x\n";
    const std::vector<RouteCode> wanted{RouteCode(16), RouteCode(1116)};
    ServiceDates::ParseError error;
    const auto dates = ServiceDates::parse(text, error, &wanted);
    ASSERT_TRUE(dates) << error.text();
    EXPECT_FALSE(dates->runs(RouteCode(16), 1, Day("20251225")));
    EXPECT_EQ(dates->patternCount(), 1);  // pattern 8 is not read
    // A pattern the sheets use is read at its own line.
    const std::vector<RouteCode> seventeen{RouteCode(17)};
    EXPECT_FALSE(ServiceDates::parse(text, error, &seventeen));
    EXPECT_EQ(error.text(), "line 8: '2025' is not a date YYYYMMDD");
    // For the period alone nothing after it is read.
    const std::vector<RouteCode> none;
    EXPECT_TRUE(ServiceDates::parse(text + "nonsense\n", error, &none));
}

TEST(DayPattern, TakesTheWeekdaysWithFewestExceptions) {
    // Monday to Friday of three weeks but for one Wednesday, and one Sunday.
    std::vector<int> days;
    for (int d = Day("20251201"); d <= Day("20251219"); ++d) {
        if (WeekdayOf(d) < 5 && d != Day("20251203")) {
            days.push_back(d);
        }
    }
    days.push_back(Day("20251214"));
    std::sort(days.begin(), days.end());
    const DayPattern pattern = DayPattern::of(days);
    EXPECT_EQ(pattern.weekdays, kWeekdays);
    EXPECT_EQ(pattern.removed, std::vector<int>{Day("20251203")});
    EXPECT_EQ(pattern.added, std::vector<int>{Day("20251214")});
    EXPECT_EQ(pattern.runningWeekdays(), kWeekdays | kSunday);
    for (int d = pattern.first; d <= pattern.last; ++d) {
        EXPECT_EQ(pattern.runs(d), std::binary_search(days.begin(), days.end(), d));
    }
}

}  // namespace
}  // namespace velomar
