// The dates each imported train runs on, as Dates.txt gives them to the readers.
#include <gtest/gtest.h>

#include "import_test_support.h"
#include "timetable/calendar_date.h"
#include "timetable/service_dates.h"

namespace velomar {
namespace {

using testing_support::FileRows;

// January 2024: 1st a Monday. Wednesday the 10th is a holiday: the weekday timetable is
// removed that day and the weekend one added. FRI runs on Friday the 5th only.
std::map<std::string, std::string> HolidayFeed() {
    auto files = testing_support::BaseFeed();
    files["stops.txt"] = "stop_id,stop_name\nMS,문산\nDR,도라산\n";
    files["calendar.txt"] =
        "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
        "WD,1,1,1,1,1,0,0,20240101,20240131\nWE,0,0,0,0,0,1,1,20240101,20240131\n";
    files["calendar_dates.txt"] =
        "service_id,date,exception_type\nWD,20240110,2\nWE,20240110,1\nFRI,20240105,1\n";
    files["trips.txt"] =
        "route_id,service_id,trip_id,trip_short_name\nM,WD,A,101\nM,WE,B,103\nM,FRI,C,105\n"
        "M,WD,D,107\nM,WE,E,107\nM,WD,F,109\nM,WE,G,109\n";
    files["stop_times.txt"] =
        "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
        "A,08:00:00,08:00:00,MS,1\nA,08:30:00,08:30:00,DR,2\n"
        "B,09:00:00,09:00:00,MS,1\nB,09:30:00,09:30:00,DR,2\n"
        "C,23:50:00,23:50:00,MS,1\nC,24:20:00,24:20:00,DR,2\n"
        "D,10:00:00,10:00:00,MS,1\nD,10:30:00,10:30:00,DR,2\n"
        "E,10:00:00,10:00:00,MS,1\nE,10:30:00,10:30:00,DR,2\n"
        "F,11:00:00,11:00:00,MS,1\nF,11:30:00,11:30:00,DR,2\n"
        "G,12:00:00,12:00:00,MS,1\nG,12:30:00,12:30:00,DR,2\n";
    return files;
}

struct Column {
    RouteCode sheet;
    int column;
};

// Where the Down sheets of 경의선 hold a train number.
std::vector<Column> ColumnsOf(const testing_support::FeedRun& run, std::string_view number) {
    std::vector<Column> out;
    for (int sheet = 1; sheet <= 2; ++sheet) {
        const auto rows = FileRows(run.file(6, true, sheet));
        for (std::size_t c = 1; rows.size() > 1 && c < rows[1].size(); ++c) {
            if (rows[1][c] == number) {
                out.push_back({RouteCode::of(6, Direction::Down, sheet), static_cast<int>(c)});
            }
        }
    }
    return out;
}

struct DayCase {
    const char* number;
    const char* day;
    bool runs;
};

TEST(ImportDates, EachTrainRunsOnTheDaysOfItsTrips) {
    const auto run = testing_support::ImportFiles(HolidayFeed());
    ASSERT_TRUE(run.ok) << run.error;
    ASSERT_TRUE(run.timetables.dates);
    std::string error;
    const auto dates = ServiceDates::parse(*run.timetables.dates, error);
    ASSERT_TRUE(dates) << error;
    EXPECT_EQ(dates->period(),
              (ServicePeriod{*GtfsDayNumber("20240101"), *GtfsDayNumber("20240131")}));
    const DayCase cases[] = {
        {"0101", "20240109", true},  {"0101", "20240106", false},  // weekdays, not Saturday
        {"0101", "20240110", false}, {"0103", "20240110", true},   // the holiday
        {"0103", "20240106", true},  {"0103", "20240109", false},
        {"0105", "20240105", true},  {"0105", "20240106", false},  // past midnight: Friday's
        {"0107", "20240106", true},  {"0107", "20240109", true},   // two trips, one train
    };
    for (const DayCase& c : cases) {
        const auto columns = ColumnsOf(run, c.number);
        ASSERT_EQ(columns.size(), 1u) << c.number;
        EXPECT_EQ(dates->runs(columns[0].sheet, columns[0].column, *GtfsDayNumber(c.day)), c.runs)
            << c.number << " on " << c.day;
    }
    // One number with other times on other days: two trains, the later one in sheet 2.
    const auto twice = ColumnsOf(run, "0109");
    ASSERT_EQ(twice.size(), 2u);
    EXPECT_EQ(twice[1].sheet, RouteCode::of(6, Direction::Down, 2));
    EXPECT_TRUE(dates->runs(twice[0].sheet, twice[0].column, *GtfsDayNumber("20240109")));
    EXPECT_TRUE(dates->runs(twice[1].sheet, twice[1].column, *GtfsDayNumber("20240106")));
    EXPECT_FALSE(dates->runs(twice[1].sheet, twice[1].column, *GtfsDayNumber("20240109")));
    EXPECT_EQ(run.report.trains, 6);
}

}  // namespace
}  // namespace velomar
