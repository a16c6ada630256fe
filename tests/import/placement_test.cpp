// Which files and sheets a train goes into, and what happens when a file is full.
#include <gtest/gtest.h>

#include "import/placement.h"
#include "import_test_support.h"

namespace velomar {
namespace {

using testing_support::BaseFeed;
using testing_support::ImportFiles;
using testing_support::TrainCells;

constexpr const char* kPlacementStops =
    "stop_id,stop_name\nMS,문산\nDR,도라산\nSE,서울\nYD,영등포\nDJ,대전\nYS,용산\nIS,익산\nJJ,"
    "전주\n"
    "SC,순천\nGY,광양\nJU,진주\n";

std::map<std::string, std::string> PlacementFeed(const std::string& trips,
                                                 const std::string& stopTimes,
                                                 const std::string& tripColumns = "") {
    auto files = BaseFeed();
    files["stops.txt"] = kPlacementStops;
    files["trips.txt"] = "route_id,service_id,trip_id,trip_short_name" + tripColumns + "\n" + trips;
    files["stop_times.txt"] =
        "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n" + stopTimes;
    files["calendar.txt"] += "SAT,0,0,0,0,0,1,0,20240101,20241231\n";
    return files;
}

// The files and sheets (by name) whose row of train numbers lists `number`.
std::vector<std::string> FilesWith(const testing_support::FeedRun& run, std::string_view number) {
    std::vector<std::string> out;
    for (const SheetLine& sheet : run.report.sheets) {
        if (!TrainCells(run.timetables.text(sheet.sheet), number).empty()) {
            out.push_back(TimetableFileName(sheet.sheet));
        }
    }
    return out;
}

// 용산 -> 전주 -> 순천 -> 진주: 전라선 (route 2) lists the first four calls, 경전선 (route 4,
// listed from 부전, so Up) the last three; no route has 용산 and 진주 both.
TEST(Placement, ATrainGoesIntoEachFileSomePairOfItsCallsNeeds) {
    const auto run = ImportFiles(PlacementFeed(
        "M,DAILY,T1,1501\n",
        "T1,06:00:00,06:00:00,YS,1\nT1,08:00:00,08:01:00,IS,2\nT1,08:20:00,08:21:00,JJ,3\n"
        "T1,10:00:00,10:10:00,SC,4\nT1,10:40:00,10:41:00,GY,5\nT1,11:40:00,11:40:00,JU,6\n"));
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(FilesWith(run, "1501"),
              (std::vector<std::string>{"UpData_04.txt", "DownData_02.txt"}));
    EXPECT_EQ(TrainCells(run.file(2, true), "1501"),
              (std::vector<std::string>{"code:0000", "0104:0600", "0030:0801", "0045:0821",
                                        "0051:1010"}));
    EXPECT_EQ(TrainCells(run.file(4, false), "1501"),
              (std::vector<std::string>{"code:0000", "0051:1010", "0068:1041", "0063:1140"}));
}

// A train that stops only where both lines list stations belongs to the line that fits it
// closest: a 서울-대전 KTX to the KTX line (route 16), not to 경부선; a train that also stops
// at 영등포 only 경부선 (and the through routes) can hold.
TEST(Placement, OnATieTheClosestLineTakesTheTrain) {
    const auto run = ImportFiles(PlacementFeed(
        "K,DAILY,T1,101\nM,DAILY,T2,1201\n",
        "T1,07:00:00,07:00:00,SE,1\nT1,07:55:00,07:55:00,DJ,2\n"
        "T2,07:10:00,07:10:00,SE,1\nT2,07:20:00,07:20:00,YD,2\nT2,09:00:00,09:00:00,DJ,3\n"));
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(FilesWith(run, "0101"), std::vector<std::string>{"DownData_16.txt"});
    EXPECT_EQ(FilesWith(run, "1201"), std::vector<std::string>{"DownData_00.txt"});
}

// `count` trains between 문산 and 도라산 (down: from 문산), `every` minutes apart.
std::string ShuttleTrips(int count, int firstNumber, const std::string& service, int firstMinute,
                         std::string& stopTimes, int every = 10, bool down = true) {
    std::string trips;
    for (int i = 0; i < count; ++i) {
        const std::string id = service + (down ? "D" : "U") + std::to_string(i);
        trips += "M," + service + "," + id + "," + std::to_string(firstNumber + 2 * i) + "\n";
        const int minute = firstMinute + i * every;
        char times[96];
        std::snprintf(times, sizeof times,
                      "%s,%02d:%02d:00,%02d:%02d:00,%s,1\n%s,%02d:%02d:00,%02d:%02d:00,%s,2\n",
                      id.c_str(), minute / 60, minute % 60, minute / 60, minute % 60,
                      down ? "MS" : "DR", id.c_str(), (minute + 20) / 60, (minute + 20) % 60,
                      (minute + 20) / 60, (minute + 20) % 60, down ? "DR" : "MS");
        stopTimes += times;
    }
    return trips;
}

// 80 trains want 경의선's Down file: the Saturday extra is the one that goes on to sheet 2.
TEST(Placement, AFullFileKeepsTheTrainsThatRunOnMostDays) {
    std::string stopTimes;
    std::string trips = ShuttleTrips(1, 3001, "SAT", 5 * 60, stopTimes);
    trips += ShuttleTrips(79, 1001, "DAILY", 5 * 60 + 5, stopTimes);
    const auto run = ImportFiles(PlacementFeed(trips, stopTimes));
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(FilesWith(run, "3001"), std::vector<std::string>{"DownData_06.2.txt"});
    EXPECT_EQ(run.report.tripsImported, 80);
    const auto rows = testing_support::FileRows(run.file(6, true));
    ASSERT_EQ(rows.at(1).size(), 80u);
    EXPECT_EQ(rows[1][1], "1001");
    EXPECT_EQ(rows[1][79], "1157");
}

// Four hundred trains a day each way on one route: the file and five further sheets a
// direction, each in time order, and the numbers each sheet holds once.
TEST(Placement, FourHundredTrainsADayFillSheetsWithoutLeavingOneOut) {
    std::string stopTimes;
    std::string trips = ShuttleTrips(400, 1, "DAILY", 4 * 60, stopTimes, 2, true);
    trips += ShuttleTrips(400, 2, "DAILY", 4 * 60, stopTimes, 2, false);
    const auto run = ImportFiles(PlacementFeed(trips, stopTimes));
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(run.report.trains, 800);
    EXPECT_EQ(run.report.tripsImported, run.report.tripsRead);
    for (const bool down : {false, true}) {
        std::vector<std::string> departures;
        for (int sheet = 1; sheet <= 6; ++sheet) {
            const auto rows = testing_support::FileRows(run.file(6, down, sheet));
            ASSERT_GE(rows.size(), 3u);
            EXPECT_EQ(rows[1].size() - 1, sheet < 6 ? 79u : 5u) << sheet;
            const auto& first = rows[down ? 2 : rows.size() - 1];
            EXPECT_TRUE(std::is_sorted(first.begin() + 1, first.end())) << sheet;
            departures.insert(departures.end(), first.begin() + 1, first.end());
        }
        std::sort(departures.begin(), departures.end());
        EXPECT_EQ(std::unique(departures.begin(), departures.end()) - departures.begin(), 400);
    }
    EXPECT_EQ(run.report.sheets.size(), 64u + 10u);
}

TEST(Placement, TripsOfOneTrainMergeAndANumberIsWrittenOncePerSheet) {
    auto files = PlacementFeed("M,WEEK,A,101\nM,SAT,B,101\nM,DAILY,C,103\nM,DAILY,D,103\n",
                               "A,08:00:00,08:00:00,MS,1\nA,08:30:00,08:30:00,DR,2\n"
                               "B,08:00:00,08:00:00,MS,1\nB,08:30:00,08:30:00,DR,2\n"
                               "C,09:00:00,09:00:00,MS,1\nC,09:30:00,09:30:00,DR,2\n"
                               "D,10:00:00,10:00:00,MS,1\nD,10:35:00,10:35:00,DR,2\n");
    files["calendar.txt"] += "WEEK,1,1,1,1,1,0,1,20240101,20241231\n";
    const auto run = ImportFiles(files);
    ASSERT_TRUE(run.ok) << run.error;
    // Every day but Saturday, plus Saturday: one train running daily.
    EXPECT_EQ(TrainCells(run.file(6, true), "0101").front(), "code:0000");
    EXPECT_EQ(run.report.shownOnMoreDays, 0);
    EXPECT_EQ(run.report.trains, 3);
    EXPECT_EQ(run.report.tripsImported, 4);
    // Two trains numbered 103 with other times cannot share a sheet.
    EXPECT_EQ(TrainCells(run.file(6, true), "0103"),
              (std::vector<std::string>{"code:0000", "0401:0900", "0403:0930"}));
    EXPECT_EQ(TrainCells(run.file(6, true, 2), "0103"),
              (std::vector<std::string>{"code:0000", "0401:1000", "0403:1035"}));
}

// Velomar's own export names the file and column of each train; a hint that does not fit
// the train's calls is ignored.
TEST(Placement, VelomarsOwnColumnsAreHonouredWhenTheyFit) {
    const auto run = ImportFiles(PlacementFeed(
        "M,DAILY,T1,1201,118,2\nM,DAILY,T2,1203,118,1\nM,DAILY,T3,1205,106,1\n",
        "T1,07:10:00,07:10:00,SE,1\nT1,09:00:00,09:00:00,DJ,2\n"
        "T2,08:10:00,08:10:00,SE,1\nT2,10:00:00,10:00:00,DJ,2\n"
        "T3,09:10:00,09:10:00,SE,1\nT3,09:20:00,09:20:00,YD,2\nT3,11:00:00,11:00:00,DJ,3\n",
        ",velomar_route_code,velomar_column"));
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(FilesWith(run, "1201"), std::vector<std::string>{"DownData_18.txt"});
    EXPECT_EQ(FilesWith(run, "1205"), std::vector<std::string>{"DownData_00.txt"});
    const auto rows = testing_support::FileRows(run.file(18, true));
    EXPECT_EQ(rows.at(1), (std::vector<std::string>{"NUMB", "1203", "1201"}));
}

}  // namespace
}  // namespace velomar
