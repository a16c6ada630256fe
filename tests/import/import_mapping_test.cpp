// Each mapping rule of the import on tiny feeds written inline.
#include <gtest/gtest.h>

#include "import/day_code.h"
#include "import/import_report.h"
#include "import/station_match.h"
#include "import/train_types.h"
#include "import_test_support.h"
#include "timetable/calendar_date.h"
#include "timetable/train_codes.h"

namespace velomar {
namespace {

using testing_support::BaseFeed;
using testing_support::ImportFiles;
using testing_support::TrainCells;

// 경의선 (route 6): 문산 0401, 운천 0733, 임진강 0402, 도라산 0403; route 27 lists 순천 0051
// twice (벌교 0089 before it, 덕양 0052 after it).
constexpr const char* kStops =
    "stop_id,stop_name,parent_station\n"
    "MS,문산,\nUC,운천,\nIJ,임진강,\nDR,도라산,\nBG,벌교,\nSC,순천,\nDY,덕양,\n"
    "PJ,파주,\n";

std::map<std::string, std::string> Feed(std::string trips, std::string stopTimes) {
    auto files = BaseFeed();
    files["stops.txt"] = kStops;
    files["trips.txt"] = "route_id,service_id,trip_id,trip_short_name\n" + trips;
    files["stop_times.txt"] =
        "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n" + stopTimes;
    return files;
}

struct StationCase {
    const char* name;
    const char16_t* expected;  // network name, or empty for none
    StopMatchKind kind;
};

class StationNames : public ::testing::TestWithParam<StationCase> {};

TEST_P(StationNames, MatchExactlyOrThroughARename) {
    const StopMatch match = MatchStationName(GetParam().name);
    EXPECT_EQ(match.kind, GetParam().kind) << GetParam().name;
    const std::u16string_view expected = GetParam().expected;
    if (expected.empty()) {
        EXPECT_EQ(match.station, -1) << GetParam().name;
    } else {
        ASSERT_GE(match.station, 0) << GetParam().name;
        EXPECT_EQ(NetworkStations()[static_cast<std::size_t>(match.station)].name, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, StationNames,
    ::testing::Values(StationCase{"서울", u"서울", StopMatchKind::Name},
                      StationCase{"  서울\t", u"서울", StopMatchKind::Name},
                      StationCase{"광주송정", u"송정리", StopMatchKind::Rename},
                      StationCase{"여수엑스포", u"여수", StopMatchKind::Rename},
                      StationCase{"태화강", u"울산", StopMatchKind::Rename},
                      StationCase{"광운대", u"성북", StopMatchKind::Rename},
                      StationCase{"쌍룡", u"쌍용", StopMatchKind::Rename},
                      // new stations, never their namesakes without the suffix
                      StationCase{"김천(구미)", u"", StopMatchKind::Unmatched},
                      StationCase{"울산(통도사)", u"", StopMatchKind::Unmatched},
                      StationCase{"서울역", u"", StopMatchKind::Unmatched},
                      StationCase{"", u"", StopMatchKind::Unmatched}));

TEST(StopMatching, PlatformsTakeTheirParentAndTheUserFileComesFirst) {
    const std::string stops =
        "stop_id,stop_name,parent_station\n"
        "P1,서울 1번 승강장,ST\n"  // the parent comes later in the file
        "ST,서울,\n"
        "GJ,김천(구미),\n"
        "X1,용산,\n"
        "X2,용산,\n"
        "P2,없는역 승강장,NOPE\n";
    StationOverrides overrides;
    std::string error;
    ASSERT_TRUE(ReadStationOverrides("# stop_id or name, then a station\nGJ\t김천\nX2\t-\n",
                                     "stations.tsv", overrides, error))
        << error;
    CsvTable table(std::make_unique<ViewByteSource>(stops), "stops.txt");
    FeedStops feed;
    ASSERT_TRUE(ReadFeedStops(table, overrides, feed, error)) << error;
    auto kind = [&](std::string_view id) {
        return feed.matches[static_cast<std::size_t>(feed.indexOf.find(id)->second)].kind;
    };
    EXPECT_EQ(kind("P1"), StopMatchKind::Parent);
    EXPECT_EQ(kind("ST"), StopMatchKind::Name);
    EXPECT_EQ(kind("GJ"), StopMatchKind::Override);
    EXPECT_EQ(kind("X1"), StopMatchKind::Name);
    EXPECT_EQ(kind("X2"), StopMatchKind::Ignored);
    EXPECT_EQ(kind("P2"), StopMatchKind::Unmatched);  // a parent that is not there
}

TEST(Overrides, NameTheLineOfABadEntry) {
    StationOverrides stations;
    TypeOverrides types;
    std::string error;
    EXPECT_FALSE(ReadStationOverrides("A\t서울\nB 서울\n", "s.tsv", stations, error));
    EXPECT_EQ(error, "s.tsv:2: expected KEY, a TAB and a station of the route tables or '-'");
    EXPECT_FALSE(ReadStationOverrides("A\t김천(구미)\n", "s.tsv", stations, error));
    EXPECT_EQ(error, "s.tsv:1: '김천(구미)' is not a station of the route tables or '-'");
    EXPECT_FALSE(ReadTypeOverrides("\xEF\xBB\xBFR1\tKTX\r\nR1\t0\r\n", "t.tsv", types, error));
    EXPECT_EQ(error, "t.tsv:2: 'R1' is given twice");
    EXPECT_TRUE(ReadTypeOverrides("ITX-청춘\t새마을\nR9\t-\n", "t.tsv", types, error)) << error;
    EXPECT_EQ(types.at("ITX-청춘"), 1);
    EXPECT_EQ(types.at("R9"), std::nullopt);
}

struct TypeCase {
    const char* name;
    std::optional<int> type;
};

class RouteNames : public ::testing::TestWithParam<TypeCase> {};

TEST_P(RouteNames, GiveTheTrainType) {
    EXPECT_EQ(TrainTypeOfRouteName(GetParam().name), GetParam().type) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, RouteNames,
    ::testing::Values(TypeCase{"KTX", 2}, TypeCase{"KTX-산천", 2}, TypeCase{"KTX-이음", 2},
                      TypeCase{"KTX-청룡", 2}, TypeCase{" KTX ", 2}, TypeCase{"ITX-새마을", 1},
                      TypeCase{"ITX-마음", 1}, TypeCase{"새마을", 1}, TypeCase{"무궁화", 0},
                      TypeCase{"무궁화호", 0}, TypeCase{"누리로", 4}, TypeCase{"통일호", 3},
                      TypeCase{"ITX-청춘", std::nullopt}, TypeCase{"KTXlike", std::nullopt},
                      TypeCase{"SRT", std::nullopt}, TypeCase{"", std::nullopt}));

struct DayCodeCase {
    int type;
    WeekDays days;
    const char16_t* code;
    bool exact;
};

class DayCodes : public ::testing::TestWithParam<DayCodeCase> {};

TEST_P(DayCodes, TakeTheFewestDaysThatIncludeTheTrainsDays) {
    const ChosenCode chosen = TrainCodeFor(GetParam().type, GetParam().days);
    EXPECT_EQ(chosen.code, GetParam().code);
    EXPECT_EQ(chosen.exact, GetParam().exact);
}

INSTANTIATE_TEST_SUITE_P(
    Days, DayCodes,
    ::testing::Values(
        DayCodeCase{0, kEveryDay, u"0000", true}, DayCodeCase{2, kFriday, u"1002", true},
        DayCodeCase{1, kSaturday | kSunday, u"0111", true}, DayCodeCase{2, kMonday, u"0022", true},
        DayCodeCase{0, kFriday | kSunday, u"1010", true}, DayCodeCase{4, kWeekdays, u"0014", true},
        // not one of the restrictions: the smallest that includes the days
        DayCodeCase{0, kFriday | kSaturday, u"1110", false},
        DayCodeCase{0, kMonday | kSaturday, u"0000", false},
        DayCodeCase{4, kMonday | 2, u"0014", false}, DayCodeCase{4, kSaturday, u"0004", false},
        // 통일호 has no restricted codes at all
        DayCodeCase{3, kMonday, u"0003", false}));

// The import of a week round-trips the letters the export writes for each code.
TEST(DayCodes, AgreeWithTheDayLettersOfEveryKnownCode) {
    for (const TrainCodeInfo& info : kTrainCodes) {
        const ChosenCode chosen = TrainCodeFor(info.code[3] - u'0', DaysOfTrainCode(info.code));
        EXPECT_EQ(chosen.code, info.code);
        EXPECT_TRUE(chosen.exact);
    }
}

// 2024-01-01 is a Monday. WEEKDAY runs Monday to Friday but not on the holiday of January 1st;
// EXTRA runs only on the Saturday it is added for; GONE is removed on its only day.
TEST(ImportCalendar, AppliesRemovedAndAddedDaysOfTheWeek) {
    auto files = Feed("M,WEEKDAY,T1,101\nM,EXTRA,T2,103\nM,GONE,T3,105\nM,DAILY,T4,107\n",
                      "T1,08:00:00,08:00:00,MS,1\nT1,08:30:00,08:30:00,DR,2\n"
                      "T2,09:00:00,09:00:00,MS,1\nT2,09:30:00,09:30:00,DR,2\n"
                      "T3,10:00:00,10:00:00,MS,1\nT3,10:30:00,10:30:00,DR,2\n"
                      "T4,11:00:00,11:00:00,MS,1\nT4,11:30:00,11:30:00,DR,2\n");
    files["calendar.txt"] +=
        "WEEKDAY,1,1,1,1,1,0,0,20240101,20241231\nGONE,0,0,1,0,0,0,0,20240101,20240107\n";
    files["calendar_dates.txt"] =
        "service_id,date,exception_type\r\nWEEKDAY,20240101,2\r\nEXTRA,20240106,1\r\n"
        "GONE,20240103,2\r\nWEEKDAY,20240301,2\r\n";
    GtfsImportOptions options;
    options.period.week = GtfsDayNumber("20240101");
    const auto run = ImportFiles(files, options);
    ASSERT_TRUE(run.ok) << run.error;
    const std::string file = run.file(6, true);
    EXPECT_EQ(TrainCells(file, "0101").front(), "code:0000");  // Tue-Fri: shown daily
    EXPECT_EQ(TrainCells(file, "0103").front(), "code:0100");  // (무)B
    EXPECT_EQ(TrainCells(file, "0105"), std::vector<std::string>{});
    EXPECT_EQ(TrainCells(file, "0107").front(), "code:0000");
    EXPECT_EQ(run.report.shownOnMoreDays, 1);
    EXPECT_EQ(run.report.skipped[static_cast<int>(SkipReason::NotInPeriod)], 1);
    EXPECT_EQ(run.report.tripsImported, 3);
    EXPECT_FALSE(run.timetables.dates);  // a week is written as day codes alone
}

TEST(ImportCalendar, DefaultPeriodRunsFromTheFirstToTheLastDayWithService) {
    auto files = Feed("M,S,T1,101\n", "T1,08:00:00,08:00:00,MS,1\nT1,08:30:00,08:30:00,DR,2\n");
    // Only calendar_dates.txt: the first added date that is not removed again.
    files.erase("calendar.txt");
    files["calendar_dates.txt"] =
        "service_id,date,exception_type\nS,20240320,1\nS,20240305,1\nS,20240305,2\n";
    const auto run = ImportFiles(files);
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(IsoDate(run.report.period.first), "2024-03-20");
    EXPECT_EQ(IsoDate(run.report.period.last), "2024-03-20");
    EXPECT_EQ(TrainCells(run.file(6, true), "0101").front(), "code:0000");  // a Wednesday
}

struct PeriodCase {
    const char* from;  // "" for none
    const char* to;
    const char* first;
    const char* last;
    bool cut;
};

// A calendar written to run until 2099: two years from its first day of service to the last
// day with service in them, or the days chosen, either end alone taking the feed's other one.
TEST(ImportCalendar, PeriodsAreTheFeedsOwnOrChosenAndAtMostTwoYears) {
    auto files = Feed("M,S,T1,101\n", "T1,08:00:00,08:00:00,MS,1\nT1,08:30:00,08:30:00,DR,2\n");
    files["calendar.txt"] =
        "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
        "end_date\nS,0,0,1,1,1,1,1,20240101,20991231\n";  // from Wednesday the 3rd
    const PeriodCase cases[] = {
        {"", "", "2024-01-03", "2026-01-02", true},
        {"20250301", "", "2025-03-01", "2027-02-28", true},  // to the Sunday before
        {"", "20240331", "2024-01-03", "2024-03-31", false},
        {"20240101", "20240107", "2024-01-01", "2024-01-07", false},
    };
    for (const PeriodCase& c : cases) {
        GtfsImportOptions options;
        options.period.from = *c.from ? GtfsDayNumber(c.from) : std::nullopt;
        options.period.to = *c.to ? GtfsDayNumber(c.to) : std::nullopt;
        const auto run = ImportFiles(files, options);
        ASSERT_TRUE(run.ok) << run.error;
        EXPECT_EQ(IsoDate(run.report.period.first), c.first) << c.from << c.to;
        EXPECT_EQ(IsoDate(run.report.period.last), c.last) << c.from << c.to;
        EXPECT_EQ(run.report.periodCut, c.cut) << c.from << c.to;
    }
}

TEST(ImportTimes, CellsHoldDeparturesAndTheArrivalAtTheLastCall) {
    const auto run = ImportFiles(
        Feed("M,DAILY,T1,1\nM,DAILY,T2,2\nM,DAILY,T3,3\nM,DAILY,T4,4\n",
             // departures, seconds cut off; the last call's arrival
             "T1,08:00:00,08:02:59,MS,1\nT1,,,UC,2\nT1,08:20:00,08:21:00,IJ,3\nT1,08:30:00,08:31:"
             "00,DR,4\n"
             // after midnight of the service day
             "T2,23:50:00,23:50:00,MS,1\nT2,24:15:00,24:16:00,DR,2\n"
             // later than 09:59 after midnight has no cell
             "T3,33:00:00,33:00:00,MS,1\nT3,34:00:00,34:00:00,DR,2\n"
             // stop_times need not be in stop_sequence order; a time alone serves as both
             "T4,,07:10:00,DR,20\nT4,07:00:00,,MS,10\n"));
    ASSERT_TRUE(run.ok) << run.error;
    const std::string& down = run.file(6, true);
    EXPECT_EQ(TrainCells(down, "0001"),
              (std::vector<std::string>{"code:0000", "0401:0802", "0402:0821", "0403:0830"}));
    EXPECT_EQ(TrainCells(down, "0002"),
              (std::vector<std::string>{"code:0000", "0401:2350", "0403:3015"}));
    EXPECT_EQ(TrainCells(down, "0003"), std::vector<std::string>{});
    EXPECT_EQ(TrainCells(down, "0004"),
              (std::vector<std::string>{"code:0000", "0401:0700", "0403:0710"}));
    EXPECT_EQ(run.report.skipped[static_cast<int>(SkipReason::TimesNotRepresentable)], 1);
}

TEST(ImportTimes, AStationListedTwiceGetsArrivalThenDeparture) {
    const auto run = ImportFiles(
        Feed("M,DAILY,D,1\nM,DAILY,U,2\n",
             "D,09:50:00,09:50:00,BG,1\nD,10:00:00,10:07:00,SC,2\nD,10:20:00,10:20:00,DY,3\n"
             "U,11:00:00,11:00:00,DY,1\nU,11:10:00,11:15:00,SC,2\nU,11:30:00,11:30:00,BG,3\n"));
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(TrainCells(run.file(27, true), "0001"),
              (std::vector<std::string>{"code:0000", "0089:0950", "0051:1000", "0051:1007",
                                        "0052:1020"}));
    EXPECT_EQ(TrainCells(run.file(27, false), "0002"),
              (std::vector<std::string>{"code:0000", "0052:1100", "0051:1110", "0051:1115",
                                        "0089:1130"}));
}

TEST(ImportTrips, ReportsTripsThatBecomeNoTrain) {
    auto files = Feed(
        "M,DAILY,T1,1\nM,DAILY,T2,2\nQ,DAILY,T3,3\nM,DAILY,T4,KTX1\nM,DAILY,T5,5\nM,DAILY,T6,6\n",
        "T1,08:00:00,08:00:00,PJ,1\nT1,08:10:00,08:10:00,MS,2\n"  // one network call
        "T2,08:00:00,08:00:00,PJ,1\n"                             // none
        "T3,08:00:00,08:00:00,MS,1\nT3,08:30:00,08:30:00,DR,2\n"
        "T4,08:00:00,08:00:00,MS,1\nT4,08:30:00,08:30:00,DR,2\n"    // T5 has no stop times
        "T6,09:00:00,09:00:00,DR,1\nT6,09:30:00,09:30:00,MS,2\n");  // the one train
    files["routes.txt"] += "Q,ITX-청춘,2\n";
    const auto run = ImportFiles(files);
    ASSERT_TRUE(run.ok) << run.error;
    const auto& skipped = run.report.skipped;
    EXPECT_EQ(skipped[static_cast<int>(SkipReason::FewerThanTwoCalls)], 3);
    EXPECT_EQ(skipped[static_cast<int>(SkipReason::TypeNotMapped)], 1);
    EXPECT_EQ(skipped[static_cast<int>(SkipReason::NumberNotWritable)], 1);
    EXPECT_EQ(run.report.tripsRead, 6);
    EXPECT_EQ(run.report.tripsImported, 1);
    EXPECT_EQ(run.report.unmappedTypes,
              (std::vector<std::pair<std::string, long>>{{"ITX-청춘", 1}}));
    // The unmatched stop is reported with its calls; it is never guessed.
    bool reported = false;
    for (const StationLine& line : run.report.stations) {
        if (line.stopName == "파주") {
            reported = line.networkName.empty() && line.calls == 2;
        }
    }
    EXPECT_TRUE(reported);
}

TEST(ImportTrips, TypesFileMapsARouteTheRulesLeaveOut) {
    auto files = Feed("Q,DAILY,T1,1\n", "T1,08:00:00,08:00:00,MS,1\nT1,08:30:00,08:30:00,DR,2\n");
    files["routes.txt"] += "Q,ITX-청춘,2\n";
    GtfsImportOptions options;
    options.types = {{"ITX-청춘", 1}};
    const auto run = ImportFiles(files, options);
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(TrainCells(run.file(6, true), "0001").front(), "code:0001");
}

TEST(ImportFiles, QuotedFieldsByteOrderMarksAndCrLfAreRead) {
    auto files =
        Feed("M,DAILY,T1,1\n", "T1,08:00:00,08:00:00,MS,1\r\nT1,08:30:00,08:30:00,P1,2\r\n");
    files["stops.txt"] =
        "\xEF\xBB\xBFstop_id,stop_name,parent_station\r\nMS,\"문산\",\r\n"
        "DR,\" 도라산 \",\r\nP1,\"도라산, 1번 \"\"승강장\"\"\",DR\r\n";
    files["trips.txt"] = "\xEF\xBB\xBF" + files["trips.txt"];
    const auto run = ImportFiles(files);
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_EQ(TrainCells(run.file(6, true), "0001"),
              (std::vector<std::string>{"code:0000", "0401:0800", "0403:0830"}));
}

TEST(ImportFiles, SourceTextTellsFeedPublisherLicenceAndPeriod) {
    auto files = Feed("M,DAILY,T1,1\n", "T1,08:00:00,08:00:00,MS,1\nT1,08:30:00,08:30:00,DR,2\n");
    files["feed_info.txt"] =
        "feed_publisher_name,feed_publisher_url,feed_lang,feed_version,feed_license\n"
        "한국철도,https://example.invalid,ko,2024-01,CC BY 4.0\n";
    files["agency.txt"] =
        "agency_name,agency_url,agency_timezone\n철도,https://a.invalid,Asia/Seoul\n";
    GtfsImportOptions options;
    options.feedName = "feed.zip";
    const auto run = ImportFiles(files, options);
    ASSERT_TRUE(run.ok) << run.error;
    EXPECT_TRUE(run.timetables.source.starts_with(
        "feed: feed.zip\r\npublisher: 한국철도 (https://example.invalid)\r\n"
        "agency: 철도 (https://a.invalid)\r\nlicence: CC BY 4.0\r\nattribution: 한국철도\r\n"
        "feed version: 2024-01\r\nservice period: 2024-01-01 to 2024-12-31\r\n"
        "period: 2024-01-01 to 2024-12-31 (the feed's service period)\r\n"
        "trips: 1 read, 1 imported\r\ntrains: 1 in 64 files and 0 further sheets\r\n\r\n"))
        << run.timetables.source;
}

}  // namespace
}  // namespace velomar
