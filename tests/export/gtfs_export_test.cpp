#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "export/gtfs_export.h"
#include "export_test_support.h"
#include "platform/staged_folder.h"
#include "platform/utf8.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"
#include "timetable/train_codes.h"

namespace velomar {
namespace {

using testing_support::CsvTable;
using testing_support::FeedFile;
using testing_support::FeedTable;
using testing_support::TempFolder;
using testing_support::TimetableText;

// A feed from fixture files given as (route, direction, table).
struct Fixture {
    MemoryFileReader reader;
    TimetableDirectory directory{reader, "/fixture"};
    GtfsFeed feed;
    std::string error;

    void add(int route, Direction direction, std::string_view table) {
        // CR LF line ends, as the sample files have them.
        reader.add(directory.pathOf(route, direction), TimetableText(table, "\r\n"));
    }
    bool build(const GtfsExportOptions& options = {}) {
        return BuildGtfsFeed(directory, options, feed, error);
    }
    std::vector<std::string> warningsAbout(std::string_view file) const {
        std::vector<std::string> out;
        for (const std::string& w : feed.warnings) {
            if (w.starts_with(file)) {
                out.push_back(w);
            }
        }
        return out;
    }
};

// The stop times of one trip as "STOP ARR DEP" lines, in sequence order.
std::vector<std::string> Calls(const GtfsFeed& feed, std::string_view tripId) {
    std::vector<std::string> calls;
    for (const auto& r : FeedTable(feed, "stop_times.txt").records) {
        if (r.at("trip_id") == tripId) {
            calls.push_back(r.at("stop_id") + " " + r.at("arrival_time") + " " +
                            r.at("departure_time"));
        }
    }
    return calls;
}

struct TimeCase {
    const char16_t* cell;
    const char* expected;
};

class GtfsTimeTest : public ::testing::TestWithParam<TimeCase> {};

TEST_P(GtfsTimeTest, ConvertsCell) {
    EXPECT_EQ(GtfsTime(GetParam().cell), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, GtfsTimeTest,
    ::testing::Values(TimeCase{u"0000", "00:00:00"}, TimeCase{u"0705", "07:05:00"},
                      TimeCase{u"2359", "23:59:00"},
                      // the small hours of the next day continue the service day's clock
                      TimeCase{u"3000", "24:00:00"}, TimeCase{u"3015", "24:15:00"},
                      TimeCase{u"3459", "28:59:00"}, TimeCase{u"3959", "33:59:00"},
                      // no time
                      TimeCase{u"9999", ""}, TimeCase{u"2400", ""}, TimeCase{u"2960", ""},
                      TimeCase{u"0760", ""}, TimeCase{u"07:5", ""}, TimeCase{u"073", ""},
                      TimeCase{u"07300", ""}, TimeCase{u"", ""}));

TEST(GtfsDate, AcceptsOnlyRealDays) {
    for (const char* good : {"20100101", "20101231", "20000229", "20240229", "19991130"}) {
        EXPECT_TRUE(IsGtfsDate(good)) << good;
    }
    for (const char* bad : {"20100229", "19000229", "20101301", "20100001", "20100100", "20100431",
                            "2010011", "201001011", "2010-1-1", "2010010a", ""}) {
        EXPECT_FALSE(IsGtfsDate(bad)) << bad;
    }
}

TEST(GtfsCsv, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvField("서울"), "서울");
    EXPECT_EQ(CsvField(""), "");
    EXPECT_EQ(CsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(CsvField("cr\r"), "\"cr\r\"");
    EXPECT_EQ(testing_support::ParseCsv("a,\"b,\"\"c\"\"\"\r\n,x\r\n"),
              (std::vector<testing_support::CsvRow>{{"a", "b,\"c\""}, {"", "x"}}));
}

// 경의선, route 6: 문산(0401) 임진강(0402) 도라산(0403).
//   0101 stops everywhere, 0103 passes 임진강, 0105 runs past midnight.
TEST(GtfsExport, WritesTripsAndStopTimesOfOneFile) {
    Fixture f;
    f.add(6, Direction::Down, R"(
TYPE  0000 1002 0003
TRNO  0101 0103 0105
0401  0510 0610 2350
0402  0520 9999 3005
0403  0540 0640 3020
)");
    ASSERT_TRUE(f.build()) << f.error;
    EXPECT_EQ(f.feed.timetableFiles, 1);
    EXPECT_EQ(f.feed.trips, 3);
    EXPECT_EQ(f.feed.stopTimes, 8);

    const CsvTable trips = FeedTable(f.feed, "trips.txt");
    ASSERT_EQ(trips.records.size(), 3u);
    const auto& first = trips.records[0];
    EXPECT_EQ(first.at("trip_id"), "D06-0101-01");
    EXPECT_EQ(first.at("trip_short_name"), "0101");
    EXPECT_EQ(first.at("direction_id"), "1");
    EXPECT_EQ(first.at("route_id"), "MUGUNGHWA");
    EXPECT_EQ(first.at("service_id"), "DAILY");
    EXPECT_EQ(first.at("trip_headsign"), "도라산");
    EXPECT_EQ(first.at("velomar_route_index"), "6");
    EXPECT_EQ(first.at("velomar_route_code"), "106");
    EXPECT_EQ(first.at("velomar_column"), "1");
    EXPECT_EQ(first.at("velomar_type_label"), "무궁화");
    EXPECT_EQ(trips.records[1].at("route_id"), "KTX");
    EXPECT_EQ(trips.records[1].at("service_id"), "FRI");
    EXPECT_EQ(trips.records[1].at("velomar_type_label"), "(K)A");
    EXPECT_EQ(trips.records[2].at("route_id"), "TONGIL");

    EXPECT_EQ(Calls(f.feed, "D06-0101-01"),
              (std::vector<std::string>{"0401 05:10:00 05:10:00", "0402 05:20:00 05:20:00",
                                        "0403 05:40:00 05:40:00"}));
    EXPECT_EQ(Calls(f.feed, "D06-0103-02"),
              (std::vector<std::string>{"0401 06:10:00 06:10:00", "0403 06:40:00 06:40:00"}));
    EXPECT_EQ(Calls(f.feed, "D06-0105-03"),
              (std::vector<std::string>{"0401 23:50:00 23:50:00", "0402 24:05:00 24:05:00",
                                        "0403 24:20:00 24:20:00"}));
    const CsvTable stopTimes = FeedTable(f.feed, "stop_times.txt");
    EXPECT_EQ(stopTimes.records[3].at("stop_sequence"), "1");
    EXPECT_EQ(stopTimes.records[4].at("stop_sequence"), "2");

    // The other 63 files are missing: each is named once, and the feed is still made.
    EXPECT_EQ(f.feed.warnings.size(), 63u);
    EXPECT_EQ(f.warningsAbout("UpData_06.txt"),
              std::vector<std::string>{"UpData_06.txt:0:0: file is missing or cannot be read"});
}

TEST(GtfsExport, WritesEveryFileWithItsHeader) {
    Fixture f;
    f.add(6, Direction::Up, R"(
TYPE  0000
TRNO  0102
0403  0700
0401  0730
)");
    ASSERT_TRUE(f.build({"20240101", "20241231"})) << f.error;
    std::vector<std::string> names;
    for (const GtfsFile& file : f.feed.files) {
        names.push_back(file.name);
        EXPECT_TRUE(file.content.ends_with("\r\n")) << file.name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{"agency.txt", "stops.txt", "routes.txt", "trips.txt",
                                               "stop_times.txt", "calendar.txt", "feed_info.txt"}));
    EXPECT_EQ(*FeedFile(f.feed, "agency.txt"),
              "agency_id,agency_name,agency_url,agency_timezone,agency_lang\r\n"
              "velomar,Velomar 샘플 철도,https://velomar.invalid,Asia/Seoul,ko\r\n");
    EXPECT_EQ(*FeedFile(f.feed, "calendar.txt"),
              "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
              "end_date\r\nDAILY,1,1,1,1,1,1,1,20240101,20241231\r\n");
    EXPECT_EQ(*FeedFile(f.feed, "routes.txt"),
              "route_id,agency_id,route_short_name,route_long_name,route_type\r\n"
              "KTX,velomar,KTX,,2\r\nSAEMAEUL,velomar,새마을,,2\r\nMUGUNGHWA,velomar,무궁화,,2\r\n"
              "TONGIL,velomar,통일호,,2\r\nNURIRO,velomar,누리로,,2\r\n");
    EXPECT_NE(FeedFile(f.feed, "feed_info.txt")->find(",ko,20240101,20241231,"), std::string::npos);

    // Every station of the route tables, once, without coordinates.
    const CsvTable stops = FeedTable(f.feed, "stops.txt");
    EXPECT_EQ(stops.header,
              (std::vector<std::string>{"stop_id", "stop_name", "stop_lat", "stop_lon"}));
    EXPECT_EQ(stops.records.size(), 298u);
    EXPECT_EQ(stops.records[0].at("stop_id"), "0001");
    EXPECT_EQ(stops.records[0].at("stop_name"), "서울");
    EXPECT_EQ(stops.records[0].at("stop_lat"), "");
    EXPECT_EQ(stops.records[0].at("stop_lon"), "");
    EXPECT_EQ(FeedTable(f.feed, "trips.txt").records.at(0).at("direction_id"), "0");
    EXPECT_EQ(FeedTable(f.feed, "trips.txt").records.at(0).at("trip_id"), "U06-0102-01");
}

// Each day letter of the type list (A Friday, B Saturday, C Sunday, D Monday) and 평일
// (Monday to Friday) must come out as the calendar days of the train's service.
TEST(GtfsExport, CalendarFollowsTheDayLettersOfEveryTrainCode) {
    std::string types = "TYPE";
    std::string numbers = "TRNO";
    std::string first = "0401";
    std::string second = "0403";
    for (std::size_t i = 0; i < kTrainCodes.size(); ++i) {
        types += " " + ToUtf8(kTrainCodes[i].code);
        numbers += " " + std::to_string(1000 + i);
        first += " 0600";
        second += " 0630";
    }
    Fixture f;
    f.add(6, Direction::Down, types + "\n" + numbers + "\n" + first + "\n" + second + "\n");
    ASSERT_TRUE(f.build()) << f.error;

    std::map<std::string, std::string> daysOf;  // service -> "1000000" (Monday first)
    for (const auto& r : FeedTable(f.feed, "calendar.txt").records) {
        daysOf[r.at("service_id")] = r.at("monday") + r.at("tuesday") + r.at("wednesday") +
                                     r.at("thursday") + r.at("friday") + r.at("saturday") +
                                     r.at("sunday");
        EXPECT_EQ(r.at("start_date"), "20100101");
        EXPECT_EQ(r.at("end_date"), "20101231");
    }
    const CsvTable trips = FeedTable(f.feed, "trips.txt");
    ASSERT_EQ(trips.records.size(), kTrainCodes.size());
    for (std::size_t i = 0; i < kTrainCodes.size(); ++i) {
        const std::u16string_view label = kTrainCodes[i].label;
        std::string expected = "0000000";
        if (label.find(u"평일") != std::u16string_view::npos) {
            expected = "1111100";
        } else if (label.find(u')') == std::u16string_view::npos) {
            expected = "1111111";
        } else {
            for (char16_t letter : label.substr(label.find(u')') + 1)) {
                const std::size_t day = letter == u'A'   ? 4
                                        : letter == u'B' ? 5
                                        : letter == u'C' ? 6
                                                         : 0;  // D
                expected[day] = '1';
            }
        }
        const std::string service = trips.records[i].at("service_id");
        EXPECT_EQ(daysOf[service], expected)
            << trips.records[i].at("velomar_train_code") << " -> " << service;
    }
    // Only the services in use are listed, each once.
    EXPECT_EQ(daysOf.size(), 9u);
}

// 전라선, route 27, lists 순천(0051) twice: arrival and departure.
TEST(GtfsExport, MergesAStationGivenInAdjacentRowsIntoOneCall) {
    Fixture f;
    f.add(27, Direction::Down, R"(
TYPE  0000 0000 0000
TRNO  1483 1485 1487
0052  1430 1530 1630
0051  1435 1535 9999
0051  1442 9999 1642
0139  1454 1554 1654
)");
    ASSERT_TRUE(f.build()) << f.error;
    EXPECT_EQ(Calls(f.feed, "D27-1483-01"),
              (std::vector<std::string>{"0052 14:30:00 14:30:00", "0051 14:35:00 14:42:00",
                                        "0139 14:54:00 14:54:00"}));
    EXPECT_EQ(Calls(f.feed, "D27-1485-02"),
              (std::vector<std::string>{"0052 15:30:00 15:30:00", "0051 15:35:00 15:35:00",
                                        "0139 15:54:00 15:54:00"}));
    EXPECT_EQ(Calls(f.feed, "D27-1487-03"),
              (std::vector<std::string>{"0052 16:30:00 16:30:00", "0051 16:42:00 16:42:00",
                                        "0139 16:54:00 16:54:00"}));
    EXPECT_EQ(f.feed.stopTimes, 9);
}

TEST(GtfsExport, LeavesOutWhatIsNoUsableStopAndSaysWhere) {
    Fixture f;
    // Column 1: a cell that is no time; column 2: a time that goes backwards; column 3: one
    // stop only; column 4: a code and number but no times; columns 5 on: never filled.
    f.add(6, Direction::Down, R"(
TYPE  0000 0000 0000 0000
TRNO  0101 0103 0105 0107
0401  0510 0610 0710 9999
0402  0565 0550 9999 9999
0403  0540 0640 9999 9999
)");
    ASSERT_TRUE(f.build()) << f.error;
    EXPECT_EQ(f.warningsAbout("DownData_06.txt"),
              (std::vector<std::string>{
                  "DownData_06.txt:4:2: '0565' is not a time; the stop is left out",
                  "DownData_06.txt:4:3: train 0103 goes back in time at 0550; the stop is left "
                  "out",
                  "DownData_06.txt:0:4: train 0105 calls at one station only; it is left out",
                  "DownData_06.txt:0:5: train 0107 has no times; it is left out",
              }));
    EXPECT_EQ(f.feed.trips, 2);
    EXPECT_EQ(Calls(f.feed, "D06-0101-01"),
              (std::vector<std::string>{"0401 05:10:00 05:10:00", "0403 05:40:00 05:40:00"}));
    EXPECT_EQ(Calls(f.feed, "D06-0103-02"),
              (std::vector<std::string>{"0401 06:10:00 06:10:00", "0403 06:40:00 06:40:00"}));
}

TEST(GtfsExport, KeepsUnknownStationsAndTrainCodes) {
    Fixture f;
    f.add(6, Direction::Down, R"(
TYPE  0009
TRNO  0101
0401  0510
7777  0520
)");
    ASSERT_TRUE(f.build()) << f.error;
    EXPECT_EQ(f.warningsAbout("DownData_06.txt"),
              std::vector<std::string>{"DownData_06.txt:4:1: station code '7777' is on no "
                                       "route; its stop is named by the code"});
    const CsvTable stops = FeedTable(f.feed, "stops.txt");
    EXPECT_EQ(stops.records.back().at("stop_id"), "7777");
    EXPECT_EQ(stops.records.back().at("stop_name"), "7777");
    const CsvTable trips = FeedTable(f.feed, "trips.txt");
    ASSERT_EQ(trips.records.size(), 1u);
    const auto& trip = trips.records[0];
    EXPECT_EQ(trip.at("route_id"), "OTHER");
    EXPECT_EQ(trip.at("service_id"), "DAILY");
    EXPECT_EQ(trip.at("velomar_type_label"), "");
    EXPECT_NE(FeedFile(f.feed, "routes.txt")->find("OTHER,velomar,기타,,2\r\n"), std::string::npos);
}

TEST(GtfsExport, FailsWithoutAnyFileOrWithBadDates) {
    Fixture f;
    EXPECT_FALSE(f.build());
    EXPECT_EQ(f.error, "no timetable file could be read in " +
                           (std::filesystem::path("/fixture") / "TimeData").string());
    EXPECT_EQ(f.feed.warnings.size(), 64u);

    f.add(6, Direction::Down, "TYPE 0000\nTRNO 0101\n0401 0510\n0403 0540\n");
    EXPECT_FALSE(f.build({"20100230", "20101231"}));
    EXPECT_EQ(f.error, "dates must be YYYYMMDD, not '20100230' and '20101231'");
    EXPECT_FALSE(f.build({"20101231", "20100101"}));
    EXPECT_EQ(f.error, "the end date 20100101 lies before the start date 20101231");
    EXPECT_TRUE(f.build({"20100101", "20100101"}));
}

TEST(GtfsWrite, CreatesTheFolderAndReplacesOnlyFeedFiles) {
    Fixture f;
    f.add(6, Direction::Down, "TYPE 0000\nTRNO 0101\n0401 0510\n0403 0540\n");
    ASSERT_TRUE(f.build()) << f.error;
    TempFolder temp("velomar-gtfs-write");
    const auto out = temp.path() / "a" / "b";
    std::string error;
    ASSERT_TRUE(WriteGtfsFeed(f.feed, out, error)) << error;
    std::ofstream(out / "trips.txt") << "stale";
    std::ofstream(out / "notes.md") << "mine";
    ASSERT_TRUE(WriteGtfsFeed(f.feed, out, error)) << error;

    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names,
              (std::set<std::string>{"agency.txt", "calendar.txt", "feed_info.txt", "notes.md",
                                     "routes.txt", "stop_times.txt", "stops.txt", "trips.txt"}));
    std::ifstream trips(out / "trips.txt", std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(trips)), {});
    EXPECT_EQ(written, *FeedFile(f.feed, "trips.txt"));
}

TEST(GtfsWrite, RefusesAFileInPlaceOfTheFolder) {
    TempFolder temp("velomar-gtfs-refuse");
    const auto file = temp.path() / "feed";
    std::ofstream(file) << "not a folder";
    GtfsFeed feed;
    feed.files = {{"agency.txt", "x\r\n"}};
    std::string error;
    EXPECT_FALSE(WriteGtfsFeed(feed, file, error));
    EXPECT_EQ(error, file.string() + " exists and is not a folder");
    EXPECT_FALSE(WriteGtfsFeed(feed, file / "below", error));
    EXPECT_TRUE(std::filesystem::is_regular_file(file));
}

// A feed that cannot be written whole leaves the old one as it was: no new trips.txt beside
// an old stop_times.txt, and no staging folder left behind.
TEST(GtfsWrite, AFailedWriteReplacesNothing) {
    TempFolder temp("velomar-gtfs-partial");
    const auto out = temp.path() / "feed";
    GtfsFeed old;
    old.files = {{"trips.txt", "old trips\r\n"}, {"stop_times.txt", "old times\r\n"}};
    std::string error;
    ASSERT_TRUE(WriteGtfsFeed(old, out, error)) << error;
    std::ofstream(out / "notes.md") << "mine";

    GtfsFeed broken;
    // The second file cannot be created (its folder does not exist): the write fails there.
    broken.files = {{"trips.txt", "new trips\r\n"}, {"no-such-folder/stop_times.txt", "x"}};
    EXPECT_FALSE(WriteGtfsFeed(broken, out, error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    auto read = [&](const char* name) {
        std::ifstream in(out / name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    EXPECT_EQ(read("trips.txt"), "old trips\r\n");
    EXPECT_EQ(read("stop_times.txt"), "old times\r\n");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"notes.md", "stop_times.txt", "trips.txt"}));

    // Into a folder that does not exist yet: nothing at all is left.
    EXPECT_FALSE(WriteGtfsFeed(broken, temp.path() / "new", error));
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "new"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp.path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

#ifndef _WIN32
// A folder, a link or a pipe where a feed file goes is the user's, not the export's: refused
// with the reason, and nothing replaced or removed.
TEST(GtfsWrite, RefusesAnythingButAPlainFileWhereAFeedFileGoes) {
    namespace fs = std::filesystem;
    TempFolder temp("velomar-gtfs-place");
    const fs::path out = temp.path() / "feed";
    const fs::path place = out / "stops.txt";
    GtfsFeed feed;
    feed.files = {{"agency.txt", "new\r\n"}, {"stops.txt", "new\r\n"}};
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"a folder",
         [&] {
             fs::create_directories(place / "important");
             std::ofstream(place / "important" / "file") << "mine";
         }},
        {"a symbolic link", [&] { fs::create_symlink(temp.path() / "elsewhere", place); }},
        {"a named pipe", [&] { ASSERT_EQ(::mkfifo(place.c_str(), 0600), 0); }},
    };
    for (const auto& [what, make] : cases) {
        fs::remove_all(out);
        fs::create_directories(out);
        std::ofstream(out / "agency.txt") << "old";
        make();
        const fs::file_type before = fs::symlink_status(place).type();
        std::string error;
        EXPECT_FALSE(WriteGtfsFeed(feed, out, error)) << what;
        EXPECT_EQ(error, place.string() + " is " + what +
                             ", not a file of the feed: nothing was replaced (move it away, or "
                             "write the feed into another folder)");
        EXPECT_EQ(fs::symlink_status(place).type(), before) << what;
        EXPECT_TRUE(before != fs::file_type::directory || fs::exists(place / "important" / "file"));
        std::ifstream agency(out / "agency.txt");
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(agency)), {}), "old") << what;
        EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 2) << what;
    }
}

// What killed runs left: an old TimeData moved aside whose replacement never came is put
// back, other run folders go; anything else, however like them it is named, stays.
TEST(StagedFolder, CleansUpOnlyTheFoldersOfKilledRuns) {
    namespace fs = std::filesystem;
    TempFolder temp("velomar-staged-leftovers");
    const fs::path dir = temp.path();
    auto plant = [&](const char* name) {
        fs::create_directories(dir / name);
        std::ofstream(dir / name / "SOURCE.txt") << name;
    };
    plant(".TimeData.velomar-old-17");
    plant(".TimeData.velomar-new-18");
    plant(".TimeData.velomar-new-x");  // not a run's name
    plant("mine");
    fs::create_directory_symlink(dir / "mine", dir / ".TimeData.velomar-new-19");
    {
        StagedFolder staged;
        std::string error;
        ASSERT_TRUE(staged.begin(dir / "TimeData", StagedFolder::Replace::WholeFolder, error))
            << error;
    }  // never committed
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"TimeData", ".TimeData.velomar-new-x",
                                            ".TimeData.velomar-new-19", "mine"}));
    std::ifstream source(dir / "TimeData" / "SOURCE.txt");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(source)), {}),
              ".TimeData.velomar-old-17");
    EXPECT_TRUE(fs::exists(dir / "mine" / "SOURCE.txt"));
}
#endif

}  // namespace
}  // namespace velomar
