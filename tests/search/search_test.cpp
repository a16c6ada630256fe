#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "search/search.h"
#include "settings/settings_store.h"
#include "support/timetable_world.h"
#include "timetable/calendar_date.h"

namespace velomar {
namespace {

using testing_support::TimetableWorld;

// ---------------------------------------------------------------------------------------------
// TimeKey

struct KeyCase {
    int hour;
    int minute;
    std::u16string_view key;
};

class TimeKeyTable : public testing::TestWithParam<KeyCase> {};

TEST_P(TimeKeyTable, FormatsHourAndMinuteStep) {
    EXPECT_EQ(TimeKey(GetParam().hour, GetParam().minute), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(Keys, TimeKeyTable,
                         testing::Values(KeyCase{7, 3, u"073"}, KeyCase{15, 0, u"1500"},
                                         KeyCase{9, 1, u"091"}, KeyCase{0, 0, u"0000"},
                                         KeyCase{23, 5, u"235"}, KeyCase{10, 2, u"102"},
                                         KeyCase{-1, 0, u"0-100"}, KeyCase{-1, 3, u"0-13"}));

TEST(TimeKey, AdmitsByOrdinalTextComparison) {
    EXPECT_LE(TimeKey(7, 0), u"0700");
    EXPECT_LE(TimeKey(9, 1), u"0910");
    EXPECT_GT(TimeKey(9, 1), u"0909");
    EXPECT_LE(TimeKey(7, 3), u"0730");
    EXPECT_GT(TimeKey(7, 3), u"0729");
    // A missing hour lies below every time of the day; after-midnight cells pass any key.
    EXPECT_LT(TimeKey(-1, 0), u"0000");
    EXPECT_LE(TimeKey(23, 5), u"3015");
}

// ---------------------------------------------------------------------------------------------
// Page size, InsertResult

struct PageSizeCase {
    std::uint32_t stored;
    std::size_t capacity;
    std::size_t effective;
};

class PageSizeTable : public testing::TestWithParam<PageSizeCase> {};

TEST_P(PageSizeTable, ClampsIntoSupportedRange) {
    EXPECT_EQ(EffectivePageSize(GetParam().stored, GetParam().capacity), GetParam().effective);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PageSizeTable,
                         testing::Values(PageSizeCase{0, 14, 0}, PageSizeCase{1, 14, 2},
                                         PageSizeCase{2, 9, 2}, PageSizeCase{7, 14, 7},
                                         PageSizeCase{9, 9, 9}, PageSizeCase{14, 9, 9},
                                         PageSizeCase{14, 14, 14}, PageSizeCase{15, 14, 14},
                                         PageSizeCase{0xFFFFFFFFu, 14, 14}));

std::vector<std::u16string> keys(const ResultPage& page) {
    std::vector<std::u16string> out;
    for (std::size_t i = 0; i < page.capacity; ++i) {
        out.push_back(page[i].departureKey);
    }
    return out;
}

ResultPage freshPage(std::size_t capacity) {
    ResultPage page(capacity);
    ResetPage(page);
    return page;
}

void offer(ResultPage& page, std::size_t p, std::u16string_view dep,
           std::u16string_view no = u"0001") {
    InsertResult(page, p, no, dep, u"1200", u"KTX", RouteCode(0));
}

TEST(InsertResult, KeepsTheEarliestInOrderAndDropsTheSameTrainOfferedAgain) {
    ResultPage page = freshPage(9);
    for (auto dep : {u"0900", u"0700", u"3015", u"0800", u"0700", u"2350"}) {
        offer(page, 3, dep);
    }
    EXPECT_TRUE(page.anyFound);
    EXPECT_EQ(keys(page), (std::vector<std::u16string>{u"0700", u"0800", u"0900", u"9999", u"9999",
                                                       u"9999", u"9999", u"9999", u"9999"}));
}

TEST(InsertResult, TrainsLeavingAtOneMinuteAreAllListedInTheOrderOffered) {
    ResultPage page = freshPage(9);
    offer(page, 3, u"0700", u"0101");
    offer(page, 3, u"0700", u"0202");
    offer(page, 3, u"0700", u"0101");  // the first again, from another file
    offer(page, 3, u"0650", u"0303");
    EXPECT_EQ((std::vector<std::u16string>{page[0].trainNo, page[1].trainNo, page[2].trainNo}),
              (std::vector<std::u16string>{u"0303", u"0101", u"0202"}));
    // A full page keeps the first offered of a minute that does not fit.
    offer(page, 3, u"0650", u"0404");
    EXPECT_EQ(page[2].trainNo, u"0101");
}

TEST(InsertResult, FillsTheSlotFromTheCells) {
    ResultPage page = freshPage(14);
    InsertResult(page, 14, u"0451", u"3015", u"3105", u"(K)A", RouteCode(103));
    // Filled field by field: GCC 12 at -O3 takes the braced form's empty names for
    // uninitialised (-Wmaybe-uninitialized).
    ResultSlot expected;
    expected.trainNo = u"0451";
    expected.typeLabel = u"(K)A";
    expected.departureKey = u"3015";
    expected.arrivalCell = u"3105";
    expected.routeCode = RouteCode(103);
    expected.departureText = u"0015";
    expected.arrivalText = u"0105";
    EXPECT_EQ(page[0], expected);
}

TEST(InsertResult, PageSizeZeroWritesNoSlotButCountsTheTrain) {
    ResultPage page = freshPage(9);
    offer(page, 0, u"0700");
    EXPECT_TRUE(page.anyFound);
    EXPECT_EQ(page[0].departureKey, u"9999");
}

TEST(InsertResult, NeverWritesBeyondTheCapacity) {
    ResultPage page = freshPage(9);
    for (int h = 10; h < 23; ++h) {
        offer(page, 14, TimeKey(h, 0));
    }
    offer(page, 14, u"0500");
    EXPECT_EQ(page[0].departureKey, u"0500");
    EXPECT_EQ(page[8].departureKey, u"1700");
    // Slots past the layout's capacity stay as reset.
    EXPECT_EQ(page.resultSlots[9].departureKey, u"9999");
}

// ---------------------------------------------------------------------------------------------
// Prev and Next

ResultPage pageWith(std::vector<std::u16string_view> departures, std::size_t capacity = 14) {
    ResultPage page = freshPage(capacity);
    for (std::size_t i = 0; i < departures.size(); ++i) {
        page[i].departureKey = departures[i];
    }
    return page;
}

struct BandCase {
    std::u16string_view key;
    PagingOutcome outcome;
};

class PrevBands : public testing::TestWithParam<BandCase> {};

TEST_P(PrevBands, ChoosesAnEarlierHourFromTheFirstTrain) {
    EXPECT_EQ(PrevPage(pageWith({GetParam().key})), GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(Bands, PrevBands,
                         testing::Values(BandCase{u"0705", PagingOutcome::selectHour(5)},
                                         BandCase{u"1000", PagingOutcome::selectHour(5)},
                                         BandCase{u"1001", PagingOutcome::selectHour(8)},
                                         BandCase{u"0030", PagingOutcome::selectHour(0)},
                                         BandCase{u"0200", PagingOutcome::selectHour(1)},
                                         BandCase{u"0500", PagingOutcome::selectHour(2)},
                                         BandCase{u"2359", PagingOutcome::selectHour(20)},
                                         BandCase{u"3015", PagingOutcome::searchAgain()},
                                         BandCase{u"9999", PagingOutcome::searchAgain()},
                                         BandCase{u"0000", PagingOutcome::searchAgain()}));

struct NextCase {
    std::u16string_view key;
    int hour;  // -1: the hour stays (search again)
    int minuteEntry;
};

class NextSteps : public testing::TestWithParam<NextCase> {};

TEST_P(NextSteps, BeginAfterTheLastTrainOfAFullPageInItsStep) {
    ResultPage page = pageWith({u"0600", u"0610", GetParam().key}, 9);
    page[2].trainNo = u"0165";
    const PagingOutcome outcome = NextPage(page, 3);
    EXPECT_EQ(outcome.kind, GetParam().hour < 0 ? PagingOutcome::Kind::SearchAgain
                                                : PagingOutcome::Kind::SelectHourAndSearch);
    EXPECT_EQ(outcome.hour, GetParam().hour);
    EXPECT_EQ(outcome.minuteEntry, GetParam().minuteEntry);
    EXPECT_EQ(outcome.after, (PageBound{std::u16string(GetParam().key), {u"0165"}}));
}

INSTANTIATE_TEST_SUITE_P(Steps, NextSteps,
                         testing::Values(NextCase{u"1715", 17, 1}, NextCase{u"0730", 7, 3},
                                         NextCase{u"0800", 8, 0}, NextCase{u"0000", 0, 0},
                                         NextCase{u"2359", 23, 5},
                                         // After midnight every hour admits the train.
                                         NextCase{u"3015", -1, -1}));

TEST(Paging, NextAtAMinuteTheLastPageEndedAtTooKeepsWhatItShowed) {
    ResultPage page = pageWith({u"0700", u"0700"}, 9);
    page[0].trainNo = u"0103";
    page[1].trainNo = u"0104";
    const PageBound before{u"0700", {u"0101", u"0102"}};
    EXPECT_EQ(NextPage(page, 2, before).after,
              (PageBound{u"0700", {u"0101", u"0102", u"0103", u"0104"}}));
    EXPECT_EQ(NextPage(page, 2, PageBound{u"0650", {u"0100"}}).after,
              (PageBound{u"0700", {u"0103", u"0104"}}));
}

TEST(Paging, DoesNothingBeforeAnySearch) {
    const ResultPage untouched(14);
    EXPECT_EQ(PrevPage(untouched), PagingOutcome::nothing());
    EXPECT_EQ(NextPage(untouched, 14), PagingOutcome::nothing());
}

TEST(Paging, NextOnAPageNotFullRepeatsTheSearch) {
    EXPECT_EQ(NextPage(pageWith({u"0700", u"0800"}), 14), PagingOutcome::searchAgain());
}

TEST(Paging, NextWithPageSizeZeroDoesNothing) {
    EXPECT_EQ(NextPage(pageWith({u"0700"}), 0), PagingOutcome::nothing());
}

// ---------------------------------------------------------------------------------------------
// ShowPage

TEST(ShowPage, ListsFilledSlotsWithClockTimes) {
    ResultPage page = freshPage(14);
    InsertResult(page, 14, u"0101", u"0735", u"1902", u"KTX", RouteCode(0));
    InsertResult(page, 14, u"0102", u"3015", u"3120", u"", RouteCode(100));
    ResultRows list;
    ShowPage(page, 14, list);
    const std::vector<ResultRow> expected{{0, u"0101", u"07:35", u"19:02", u"KTX"},
                                          {1, u"0102", u"00:15", u"01:20", u""}};
    EXPECT_EQ(list.rows, expected);
}

// ---------------------------------------------------------------------------------------------
// RunSearch over small timetables

// 경의선, route 6, Down file: 문산(0401) - 운천(0733) - 임진강(0402) - 도라산(0403).
// 문산 -> 도라산 is served by this file alone.
constexpr std::string_view kRoute6 = R"(
TYPE  0002 0000 0003 0004 0014 7777 0001
TRNO  0101 0102 0103 0104 0105 0106 0107
0401  0900 0700 0800 2350 3015 0930 9999
0733  0910 9999 0810 2400 3025 0940 1000
0402  0920 0720 9999 3005 3035 0950 1010
0403  0930 0730 0830 3015 3045 1000 1020
)";

struct SearchRun {
    TimetableWorld world;
    SearchQuery query;
    ResultPage page{14};
    ResultRows list;
    CurrentTimetableFile current;

    explicit SearchRun(std::size_t capacity = 14) : page(capacity) {
        world.setNumber(kResultCountName, 14);
        query.startStation = u"문산";
        query.endStation = u"도라산";
        query.typeIndex = 0;
        query.hourIndex = 0;
        query.minuteIndex = 0;
    }
    // As the main screen runs a search: "ResultCount" read just before it, the pair stored
    // (in one transaction) when the search ran to its end.
    void run(NoRouteRule rule = NoRouteRule::ClearListAndEnd) {
        world.messages.messages.clear();
        query.storedPageSize = kFallbackPageSize;
        ReadNumberSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kResultCountName,
                          &query.storedPageSize);
        const SearchEnd end = RunSearch(query, page, list, current,
                                        {world.directory, world.grid, world.messages}, rule);
        if (end == SearchEnd::Finished) {
            SettingsTransaction transaction(world.settings);
            WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kStartStationName,
                             query.startStation);
            WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kEndStationName,
                             query.endStation);
            transaction.commit();
        }
    }
    std::vector<std::u16string> trainNos() const { return testing_support::TrainNos(list.rows); }
};

using Nos = std::vector<std::u16string>;
using Messages = std::vector<Message>;

TEST(RunSearch, ListsTrainsEarliestFirstWithAfterMidnightLast) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0102", u"0103", u"0101", u"0106", u"0104", u"0105"}));
    EXPECT_TRUE(s.world.messages.messages.empty());
    ASSERT_EQ(s.list.rows.size(), 6u);
    EXPECT_EQ(s.list.rows[4], (ResultRow{4, u"0104", u"23:50", u"00:15", u"누리로"}));
    EXPECT_EQ(s.list.rows[5], (ResultRow{5, u"0105", u"00:15", u"00:45", u"누(평일)"}));
    EXPECT_EQ(s.list.rows[3].typeLabel, u"");  // code 7777 is unknown
    EXPECT_EQ(s.page[0].routeCode, RouteCode(106));
    // The stations are names again and stored as the last pair.
    EXPECT_EQ(s.query.startStation, u"문산");
    EXPECT_EQ(s.world.text(kStartStationName), u"문산");
    EXPECT_EQ(s.world.text(kEndStationName), u"도라산");
}

TEST(RunSearch, TimeKeyAdmitsFromTheChosenMinuteAndAfterMidnightAlways) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.query.hourIndex = 23;
    s.query.minuteIndex = 5;
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0104", u"0105"}));
    s.query.hourIndex = 9;
    s.query.minuteIndex = 0;
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0101", u"0106", u"0104", u"0105"}));
}

TEST(RunSearch, MissingHourAdmitsEveryDeparture) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.query.hourIndex = -1;
    s.run();
    EXPECT_EQ(s.list.rows.size(), 6u);
}

struct FilterCase {
    int typeIndex;
    Nos trainNos;
};

class TypeFilter : public testing::TestWithParam<FilterCase> {};

TEST_P(TypeFilter, ListsOnlyCodesOfTheType) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.query.typeIndex = GetParam().typeIndex;
    s.run();
    EXPECT_EQ(s.trainNos(), GetParam().trainNos);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TypeFilter,
    testing::Values(FilterCase{0, {u"0102", u"0103", u"0101", u"0106", u"0104", u"0105"}},
                    FilterCase{1, {u"0101"}}, FilterCase{3, {u"0102"}}, FilterCase{4, {u"0103"}},
                    FilterCase{5, {u"0104", u"0105"}}, FilterCase{2, {}}));

TEST(RunSearch, NoSelectionKeepsThePreviousFilter) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.query.typeIndex = 4;
    s.run();
    s.query.typeIndex = -1;
    s.run();
    EXPECT_EQ(s.query.typeFilter, u"통일호");
    EXPECT_EQ(s.trainNos(), (Nos{u"0103"}));
}

// Each file offers its first P + 1 passing trains in column order, whatever their times.
constexpr std::string_view kManyTrains = R"(
TYPE  0000 0000 0000 0000 0000
TRNO  0201 0202 0203 0204 0205
0401  0900 0800 0700 0600 0500
0403  0930 0830 0730 0630 0530
)";

TEST(RunSearch, EachFileOffersAtMostOneMoreThanThePage) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kManyTrains);
    s.world.setNumber(kResultCountName, 2);
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0203", u"0202"}));
}

TEST(RunSearch, StoredPageSizeAboveCapacityFillsOnlyTheLayoutsSlots) {
    SearchRun s(kSquareCapacity);
    s.world.addFile(6, Direction::Down, kRoute6);
    s.world.setNumber(kResultCountName, 3);
    s.run();
    EXPECT_EQ(s.list.rows.size(), 3u);
    s.world.setNumber(kResultCountName, 14);
    s.run();
    EXPECT_EQ(s.query.pageSize, 9u);
    EXPECT_EQ(s.world.number(kResultCountName), 14u);  // the stored value is left alone
}

TEST(RunSearch, StoredOneListsTwoTrains) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.world.setNumber(kResultCountName, 1);
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0102", u"0103"}));
}

TEST(RunSearch, StoredZeroGivesAnEmptyListAndNoMessage) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.world.setNumber(kResultCountName, 0);
    s.run();
    EXPECT_TRUE(s.list.rows.empty());
    EXPECT_TRUE(s.world.messages.messages.empty());
    EXPECT_TRUE(s.page.anyFound);
    EXPECT_EQ(s.page[0].departureKey, u"9999");
}

TEST(RunSearch, UnavailableStoreFallsBackToSevenTrains) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, R"(
TYPE  0000 0000 0000 0000 0000 0000 0000 0000 0000
TRNO  0301 0302 0303 0304 0305 0306 0307 0308 0309
0401  0100 0200 0300 0400 0500 0600 0700 0800 0900
0403  0130 0230 0330 0430 0530 0630 0730 0830 0930
)");
    s.world.settings.setUnavailable(true);
    s.run();
    EXPECT_EQ(s.list.rows.size(), 7u);
    EXPECT_EQ(s.list.rows.back().trainNo, u"0307");
}

// 전라선 (route 2) and 호남경전전라 (route 27) both serve 순천(0051) -> 여수(0053) Down.
// Train 0401 stands in both files at 10:00; route 27 also has an earlier train.
constexpr std::string_view kRoute2 = R"(
TYPE  0000 0001 0000
TRNO  0401 0402 0403
0051  1000 1100 1200
0052  1010 1110 1210
0053  1030 1130 1230
)";
constexpr std::string_view kRoute27 = R"(
TYPE  0000 0002 0000
TRNO  0401 0501 0502
0089  0930 0600 1100
0051  1000 0700 1100
0051  1000 0701 1101
0053  1040 0740 1140
)";

TEST(RunSearch, OverlappingRoutesListATrainOnceAndSortAcrossFiles) {
    SearchRun s;
    s.world.addFile(2, Direction::Down, kRoute2);
    s.world.addFile(27, Direction::Down, kRoute27);
    s.query.startStation = u"순천";
    s.query.endStation = u"여수";
    s.run();
    // The later 순천 row counts: 0502 leaves at 11:01, one minute after 0402.
    EXPECT_EQ(s.trainNos(), (Nos{u"0501", u"0401", u"0402", u"0502", u"0403"}));
    EXPECT_EQ(s.page[0].routeCode, RouteCode(127));
    EXPECT_EQ(s.page[1].routeCode, RouteCode(102));
    EXPECT_EQ(s.list.rows[1].arrival, u"10:30");  // the copy offered first stays
}

TEST(RunSearch, LaterFileTrainPushesTheLastTrainOffAFullPage) {
    SearchRun s;
    s.world.addFile(2, Direction::Down, kRoute2);
    s.world.addFile(27, Direction::Down, kRoute27);
    s.world.setNumber(kResultCountName, 3);
    s.query.startStation = u"순천";
    s.query.endStation = u"여수";
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0501", u"0401", u"0402"}));
}

TEST(RunSearch, TrainsLeavingAtOneMinuteAreAllListedFromOneFileOrTwo) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, R"(
TYPE  0000 0001
TRNO  0601 0602
0401  0800 0800
0403  0830 0845
)");
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0601", u"0602"}));
    // 0401 is one train in both files; 0501 leaves 순천 at 10:00 as well.
    SearchRun two;
    two.world.addFile(2, Direction::Down, kRoute2);
    two.world.addFile(27, Direction::Down, R"(
TYPE  0000 0002
TRNO  0401 0501
0051  1000 1000
0053  1040 1035
)");
    two.query.startStation = u"순천";
    two.query.endStation = u"여수";
    two.run();
    EXPECT_EQ(two.trainNos(), (Nos{u"0401", u"0501", u"0402", u"0403"}));
}

// Route 6 Down in a file and a sheet; the sheet's trains are every day or weekdays only.
constexpr std::string_view kSheet2 = R"(
TYPE  0001 0000 0000 0000
TRNO  0201 0202 0203 0204
0401  0705 1100 1200 1300
0403  0735 1130 1230 1330
)";

TEST(RunSearch, SheetsAreFurtherFilesOfTheirRouteDirection) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.world.reader.add(s.world.directory.pathOf(RouteCode(1106)),
                       testing_support::TimetableText(kSheet2));
    s.world.setNumber(kResultCountName, 3);
    s.run();
    // Each sheet offers its own first P + 1 trains, so the sheet's 07:05 gets its place.
    EXPECT_EQ(s.trainNos(), (Nos{u"0102", u"0201", u"0103"}));
    EXPECT_EQ(s.page[1].routeCode, RouteCode(1106));
    // A missing file stops the search as before, whatever sheets follow it.
    SearchRun gap;
    gap.world.reader.add(gap.world.directory.pathOf(RouteCode(1106)),
                         testing_support::TimetableText(kSheet2));
    gap.run();
    EXPECT_TRUE(gap.list.rows.empty());
    EXPECT_EQ(gap.world.messages.messages.at(1), (Message{u"GetTimeTable() Error", u"Info"}));
}

TEST(RunSearch, ListsTheTrainsThatRunOnTheDay) {
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.world.reader.add(s.world.directory.pathOf(RouteCode(1106)),
                       testing_support::TimetableText(kSheet2));
    // 2025-12-06 is a Saturday; only the file's first train and the sheet's last have days.
    s.world.reader.add("/fixture/TimeData/Dates.txt",
                       "velomar-dates 1\nperiod 20251201 20251231\n"
                       "pattern 4 1111100 20251201 20251231\n"
                       "DownData_06.txt 4\nDownData_06.2.txt * * * 4\n");
    s.query.hourIndex = 11;
    s.query.serviceDay = *GtfsDayNumber("20251206");
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0202", u"0203", u"0104", u"0105"}));
    s.query.serviceDay = *GtfsDayNumber("20251205");
    s.run();
    EXPECT_EQ(s.trainNos(), (Nos{u"0202", u"0203", u"0204", u"0104", u"0105"}));
    s.query.serviceDay = *GtfsDayNumber("20260101");  // outside the period: no train runs
    s.run();
    EXPECT_TRUE(s.list.rows.empty());
}

TEST(RunSearch, StopsAtTheFirstFileLackingAStationRow) {
    SearchRun s;
    // Route 2's file has no 여수 row: route 27 is never read.
    s.world.addFile(2, Direction::Down, R"(
TYPE  0000
TRNO  0401
0051  1000
)");
    s.world.addFile(27, Direction::Down, kRoute27);
    s.query.startStation = u"순천";
    s.query.endStation = u"여수";
    s.run();
    EXPECT_TRUE(s.list.rows.empty());
    EXPECT_EQ(s.world.messages.messages, (Messages{{u"열차가 없습니다.", u"Velomar"}}));
    EXPECT_EQ(s.world.text(kStartStationName), u"순천");
}

TEST(RunSearch, UnreadableFileStopsAndShowsTrainsFoundSoFar) {
    SearchRun s;
    s.world.addFile(2, Direction::Down, kRoute2);  // route 27's file is missing
    s.query.startStation = u"순천";
    s.query.endStation = u"여수";
    s.run();
    EXPECT_EQ(s.world.messages.messages, (Messages{{u"Read Data File Error", u"Velomar"},
                                                   {u"GetTimeTable() Error", u"Info"}}));
    // Route 2's trains are still shown.
    EXPECT_EQ(s.trainNos(), (Nos{u"0401", u"0402", u"0403"}));
}

TEST(RunSearch, MissingFileWithNothingFoundSaysSoAfterTheLoadErrors) {
    SearchRun s;
    s.run();
    EXPECT_EQ(s.world.messages.messages, (Messages{{u"Read Data File Error", u"Velomar"},
                                                   {u"GetTimeTable() Error", u"Info"},
                                                   {u"열차가 없습니다.", u"Velomar"}}));
}

struct NoRouteCase {
    const char* label;
    std::u16string_view from;
    std::u16string_view to;
    NoRouteRule rule;
    Messages messages;
    bool stored;
};

class NoRoute : public testing::TestWithParam<NoRouteCase> {};

TEST_P(NoRoute, MessagesAndListDependOnTheLayout) {
    const NoRouteCase& c = GetParam();
    SearchRun s;
    s.world.addFile(6, Direction::Down, kRoute6);
    s.run();  // a search with trains first
    ASSERT_FALSE(s.list.rows.empty());
    WriteTextSetting(s.world.settings, kSettingsRoot, kSettingsKeyPath, kStartStationName, u"X");
    s.query.startStation = c.from;
    s.query.endStation = c.to;
    s.run(c.rule);
    EXPECT_EQ(s.world.messages.messages, c.messages);
    // Square keeps the old rows; portrait empties the list.
    EXPECT_EQ(s.list.rows.empty(), c.rule == NoRouteRule::ClearListAndEnd);
    EXPECT_EQ(s.page[0].departureKey, u"9999");
    EXPECT_EQ(s.world.text(kStartStationName), c.stored ? std::u16string(c.from) : u"X");
}

const Message kNoDeparture{u"출발역이 없습니다.", u"Info"};
const Message kNoArrival{u"도착역이 없습니다.", u"Info"};
const Message kNoRoute{u"열차를 찾을 수 없습니다.", u"Info"};
const Message kNoTrain{u"열차가 없습니다.", u"Velomar"};

INSTANTIATE_TEST_SUITE_P(
    Layouts, NoRoute,
    testing::Values(
        NoRouteCase{
            "portrait_unknown", u"가야", u"서울", NoRouteRule::ClearListAndEnd, {kNoRoute}, false},
        NoRouteCase{
            "square_unknown", u"가야", u"서울", NoRouteRule::GoOn, {kNoRoute, kNoTrain}, true},
        NoRouteCase{"portrait_no_departure",
                    u"",
                    u"서울",
                    NoRouteRule::ClearListAndEnd,
                    {kNoDeparture, kNoRoute},
                    false},
        NoRouteCase{"square_no_departure",
                    u"",
                    u"",
                    NoRouteRule::GoOn,
                    {kNoDeparture, kNoRoute, kNoTrain},
                    true},
        NoRouteCase{"portrait_no_arrival",
                    u"서울",
                    u"",
                    NoRouteRule::ClearListAndEnd,
                    {kNoArrival, kNoRoute},
                    false},
        NoRouteCase{"square_no_arrival",
                    u"서울",
                    u"",
                    NoRouteRule::GoOn,
                    {kNoArrival, kNoRoute, kNoTrain},
                    true}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace velomar
