// A timetable set with a further sheet and dates, through every command that reads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/host.h"
#include "support/cli_run.h"
#include "support/timetable_text.h"
#include "timetable/calendar_date.h"

namespace velomar::cli {
namespace {

namespace fs = std::filesystem;

// 경의선 Down, 문산(0401) - 도라산(0403): the file and its second sheet. 0201 leaves with 0101.
constexpr std::string_view kFile = R"(
TYPE  0000 0002
TRNO  0101 0102
0401  0710 0810
0403  0740 0840
)";
constexpr std::string_view kSheet = R"(
TYPE  0000 0001
TRNO  0201 0202
0401  0710 0900
0403  0745 0930
)";
// 2025-12-01 is a Monday, 12-06 a Saturday, 12-25 a Thursday and a holiday.
constexpr std::string_view kDates =
    "velomar-dates 1\n"
    "period 20251201 20251231\n"
    "pattern 1 1111100 20251201 20251231 -20251225\n"
    "pattern 2 0000011 20251201 20251231 +20251225\n"
    "DownData_06.txt * 1\n"
    "DownData_06.2.txt 2 *\n";

class CliDates : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("velomar_cli_dates_" + std::to_string(random()));
        fs::create_directories(m_root / "TimeData");
        write("DownData_06.txt", testing_support::TimetableText(kFile));
        write("DownData_06.2.txt", testing_support::TimetableText(kSheet));
        write("Dates.txt", kDates);
    }
    void TearDown() override { fs::remove_all(m_root); }
    void write(const std::string& name, std::string_view text) {
        std::ofstream(m_root / "TimeData" / name, std::ios::binary) << text;
    }
    std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    testing_support::CliRun run(std::vector<std::string> args) {
        return testing_support::RunCliIn(m_root, args);
    }
    std::string search(const char* date) {
        return run({"search", "문산", "도라산", "--time", "07:00", "--date", date, "--format",
                    "tsv"})
            .out;
    }
    fs::path m_root;
};

TEST_F(CliDates, SearchListsTheTrainsOfTheDayFromEverySheet) {
    EXPECT_EQ(search("20251201"),
              "0101\t07:10\t07:40\t무궁화\t106\t0710\n"
              "0102\t08:10\t08:40\tKTX\t106\t0810\n"
              "0202\t09:00\t09:30\t새마을\t1106\t0900\n");
    const std::string holiday =
        "0101\t07:10\t07:40\t무궁화\t106\t0710\n"
        "0201\t07:10\t07:45\t무궁화\t1106\t0710\n"
        "0202\t09:00\t09:30\t새마을\t1106\t0900\n";
    EXPECT_EQ(search("20251206"), holiday);
    EXPECT_EQ(search("20251225"), holiday);
    const auto board = run({"board", "문산", "--time", "07:00", "--date", "20251201"});
    EXPECT_EQ(board.out.find("0201"), std::string::npos);
    EXPECT_NE(board.out.find("0202"), std::string::npos);
    const auto journeys = run(
        {"journeys", "문산", "도라산", "--time", "08:00", "--date", "20251206", "--format", "tsv"});
    EXPECT_EQ(journeys.out.find("\t0102\t"), std::string::npos) << journeys.out;
    EXPECT_NE(journeys.out.find("\t0202\t"), std::string::npos) << journeys.out;
}

TEST_F(CliDates, ADayOutsideThePeriodOrDatesThatCannotBeReadFail) {
    for (const char* command : {"search", "board", "journeys"}) {
        std::vector<std::string> args{command, "문산"};
        if (std::string(command) != "board") {
            args.push_back("도라산");
        }
        args.insert(args.end(), {"--date", "20260101"});
        const auto r = run(args);
        EXPECT_EQ(r.status, 1) << command;
        EXPECT_NE(r.err.find(": 20260101 lies outside the timetables' period, 20251201 to "
                             "20251231"),
                  std::string::npos)
            << r.err;
    }
    const std::string today = GtfsDateText(TodayInKorea());
    if (today < "20251201" || today > "20251231") {
        const auto r = run({"search", "문산", "도라산"});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("today, " + today + ", lies outside"), std::string::npos) << r.err;
    }
    EXPECT_EQ(run({"search", "문산", "도라산", "--date", "20251232"}).status, 2);
    write("Dates.txt", "velomar-dates 1\nperiod 20251201\n");
    const auto broken = run({"search", "문산", "도라산", "--date", "20251201"});
    EXPECT_EQ(broken.status, 1);
    EXPECT_EQ(broken.err,
              "velomar-cli search: TimeData/Dates.txt: line 2: the period must follow the first "
              "line: period YYYYMMDD YYYYMMDD\n");
    EXPECT_EQ(run({"data"}).status, 1);
}

TEST_F(CliDates, DetailReadsTheSheetAndTheDay) {
    const auto saturday =
        run({"detail", "문산", "도라산", "0201", "1106", "--date", "20251206", "--format", "tsv"});
    EXPECT_EQ(saturday.out, "문산\t07:10\n도라산\t07:45\n");
    const auto monday = run({"detail", "문산", "도라산", "0201", "1106", "--date", "20251201"});
    EXPECT_EQ(monday.status, 1);
    EXPECT_EQ(monday.err, "velomar-cli detail: train 0201 does not run on 20251201\n");
    EXPECT_EQ(monday.out, "");
    const auto ics =
        run({"detail", "문산", "도라산", "0201", "1106", "--date", "20251225", "--format", "ics"});
    EXPECT_NE(ics.out.find("DTSTART;TZID=Asia/Seoul:20251225T071000"), std::string::npos);
    const auto missing = run({"detail", "문산", "도라산", "0201", "2106", "--date", "20251206"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.substr(0, 17), "Info: fopen Error");
}

TEST_F(CliDates, DataNamesThePeriodAndExportWritesSheetsAndDays) {
    EXPECT_NE(run({"data"}).out.find("dates: 20251201 to 20251231"), std::string::npos);
    ASSERT_EQ(run({"export-gtfs", (m_root / "feed").string()}).status, 0);
    const std::string trips = read(m_root / "feed" / "trips.txt");
    EXPECT_NE(trips.find("KTX,D1,D06-0102-02,도라산,0102,1,6,106,2,0002,KTX\r\n"),
              std::string::npos)
        << trips;
    EXPECT_NE(trips.find(",ALL_DAYS,D06.2-0202-02,도라산,0202,1,6,1106,2,"), std::string::npos);
    EXPECT_NE(read(m_root / "feed" / "calendar.txt").find("D2,0,0,0,0,0,1,1,20251201,20251231\r\n"),
              std::string::npos);
    EXPECT_EQ(read(m_root / "feed" / "calendar_dates.txt"),
              "service_id,date,exception_type\r\nD1,20251225,2\r\nD2,20251225,1\r\n");
}

TEST_F(CliDates, CheckReadsTheSheetsAndTheDates) {
    write("DownData_06.4.txt", testing_support::TimetableText(kFile));
    write("Dates.txt", std::string(kDates) + "DownData_06.3.txt *\n");
    const std::string out = run({"check"}).out;
    const std::string folder = (m_root / "TimeData").string();
    EXPECT_NE(out.find(folder + "/DownData_06.4.txt:0:0: sheet 4 is not read"), std::string::npos);
    EXPECT_NE(out.find(folder + "/Dates.txt:7:0: DownData_06.3.txt is no sheet that is read"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(" 4 trains, "), std::string::npos) << out;
}

TEST_F(CliDates, WithoutDatesTheDateChangesNothing) {
    fs::remove(m_root / "TimeData" / "Dates.txt");
    const std::string every = search("20251201");
    EXPECT_EQ(every, search("20260101"));
    EXPECT_NE(every.find("0201\t07:10"), std::string::npos);
    EXPECT_NE(run({"data"}).out.find("dates: none"), std::string::npos);
}

}  // namespace
}  // namespace velomar::cli
