// The station matcher, the board, the journeys and the calendar export through the command
// line, on the sample timetables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "cli/cli.h"

namespace velomar::cli {
namespace {

namespace fs = std::filesystem;

fs::path SourceData() {
    const char* source = std::getenv("VELOMAR_SOURCE_DIR");
    return fs::path(source ? source : ".") / "data";
}

class CliTravel : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("velomar_cli_travel_" + std::to_string(random()));
        fs::create_directories(m_root);
    }
    void TearDown() override { fs::remove_all(m_root); }

    struct Run {
        int status;
        std::string out;
        std::string err;
    };
    Run run(std::vector<std::string> args, const fs::path& data = SourceData()) {
        args.insert(args.begin(), {"--data", data.string(), "--settings",
                                   (m_root / "settings.sqlite3").string()});
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCli(args, out, err);
        return {status, out.str(), err.str()};
    }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> out;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            out.push_back(line);
        }
        return out;
    }
    static std::vector<std::string> fields(const std::string& line) {
        std::vector<std::string> out;
        std::size_t at = 0;
        for (std::size_t tab; (tab = line.find('\t', at)) != std::string::npos; at = tab + 1) {
            out.push_back(line.substr(at, tab - at));
        }
        out.push_back(line.substr(at));
        return out;
    }

    fs::path m_root;
};

TEST_F(CliTravel, StationsMatchInitials) {
    const Run table = run({"stations", "--match", "ㄷㄷㄱ"});
    EXPECT_EQ(table.status, 0);
    EXPECT_EQ(table.out,
              "역이름  역코드  노선  일치\n"
              "동대구  0015    11    initials\n");
    const Run tsv = run({"stations", "--match", "ㅅㅇ", "--format", "tsv", "--limit", "2"});
    EXPECT_EQ(tsv.out, "수원\t0003\t11\tinitials\n서울\t0001\t8\tinitials\n");
    const Run json = run({"stations", "--match=서을", "--format=json", "--limit=1"});
    EXPECT_EQ(json.out,
              "[\n  {\"name\": \"서울\", \"code\": \"0001\", \"routes\": 8, "
              "\"match\": \"near miss\"}\n]\n");
    const Run none = run({"stations", "--match", "xyz"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "velomar-cli stations: no station matches 'xyz'\n");
}

TEST_F(CliTravel, SearchAndDetailKeepTheirMessagesAndSuggest) {
    const Run search = run({"search", "서을", "부산"});
    EXPECT_EQ(search.status, 1);
    EXPECT_EQ(search.out, "");
    EXPECT_EQ(search.err, "Info: 열차를 찾을 수 없습니다.\ndid you mean: 서울\n");
    // The square layout goes on after the message; each unknown name gets its line.
    const Run square = run({"search", "서을", "부싼", "--layout", "square"});
    EXPECT_EQ(square.err,
              "Info: 열차를 찾을 수 없습니다.\nVelomar: 열차가 없습니다.\n"
              "did you mean: 서울\ndid you mean: 부산\n");
    // A station without trains, or one with trains: no suggestion.
    EXPECT_EQ(run({"search", "가야", "부산"}).err, "Info: 열차를 찾을 수 없습니다.\n");
    EXPECT_EQ(run({"search", "서울", "부산", "--time", "07:00"}).err, "");
    const Run detail = run({"detail", "서을", "부산", "0111", "116"});
    EXPECT_EQ(detail.status, 1);
    EXPECT_EQ(detail.err,
              "velomar-cli detail: no stops of train '0111' from '서을' to '부산' in "
              "DownData_16.txt\ndid you mean: 서울\n");
}

TEST_F(CliTravel, BoardListsEachTrainOnceInOrder) {
    const Run r = run({"board", "서울", "--time", "07:00", "--format", "tsv", "--limit", "1000"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto rows = lines(r.out);
    ASSERT_GT(rows.size(), 20u);
    EXPECT_EQ(rows[0], "0111\tKTX\t07:05\t부산\t09:47\t116\t0705");
    std::set<std::string> seen;
    std::string last;
    for (const std::string& row : rows) {
        const auto f = fields(row);
        ASSERT_EQ(f.size(), 7u) << row;
        EXPECT_TRUE(seen.insert(f[0] + " " + f[6]).second) << "twice: " << row;
        EXPECT_GE(f[6], "0700") << row;
        EXPECT_LE(last, f[6]) << row;  // raw cells: after-midnight ones sort last
        last = f[6];
    }
    const Run table = run({"board", "서울", "--time", "07:00", "--limit", "2"});
    EXPECT_EQ(table.out,
              "열차No  열 차   출발時  종착역  도착時\n"
              "0111    KTX     07:05   부산    09:47\n"
              "1205    무궁화  07:07   대전    08:51\n");
}

TEST_F(CliTravel, JourneysFromGangneungToBusan) {
    const Run r = run({"journeys", "강릉", "부산", "--time", "06:00", "--format", "tsv"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "06:50\t15:09\t499\t1\t1475\t무궁화\t125\t밀양\t14:22\t14:38\t0139\tKTX\t116\n"
              "07:10\t15:10\t480\t1\t1487\t무궁화\t130\t영주\t09:49\t10:10\t1429\t무궁화\t114\n"
              "08:00\t20:31\t751\t1\t1485\t무궁화\t129\t영주\t11:33\t15:30\t1433\t무궁화\t114\n"
              "13:10\t21:19\t489\t1\t1477\t무궁화\t125\t동대구\t20:00\t20:22\t0173\t(K)ABC\t116\n"
              "13:10\t21:33\t503\t0\t1477\t무궁화\t125\t\t\t\t\t\t\n");
    const Run json = run({"journeys", "서울", "부산", "--time", "22:50", "--format", "json"});
    EXPECT_EQ(json.out,
              "[\n  {\"departure\": \"22:52\", \"arrival\": \"01:40\", \"travelMinutes\": 168, "
              "\"changes\": 0, \"train1\": \"0195\", \"type1\": \"KTX\", \"routeCode1\": 116, "
              "\"changeStation\": null, \"changeArrival\": null, \"changeDeparture\": null, "
              "\"train2\": null, \"type2\": null, \"routeCode2\": null},\n"
              "  {\"departure\": \"22:54\", \"arrival\": \"04:15\", \"travelMinutes\": 321, "
              "\"changes\": 0, \"train1\": \"1227\", \"type1\": \"무궁화\", \"routeCode1\": 100, "
              "\"changeStation\": null, \"changeArrival\": null, \"changeDeparture\": null, "
              "\"train2\": null, \"type2\": null, \"routeCode2\": null}\n]\n");
    const Run late = run({"journeys", "강릉", "부산", "--time", "23:59"});
    EXPECT_EQ(late.status, 1);
    EXPECT_EQ(late.err,
              "velomar-cli journeys: no journey from '강릉' to '부산' leaves at or after 23:59 "
              "with at most one change\n");
}

TEST_F(CliTravel, CalendarEventOfATrainPastMidnight) {
    const Run r =
        run({"detail", "서울", "부산", "0191", "116", "--format", "ics", "--date", "20101231"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("BEGIN:VCALENDAR\r\nVERSION:2.0\r\n")) << r.out;
    EXPECT_NE(r.out.find("\r\nDTSTART;TZID=Asia/Seoul:20101231T220000\r\n"), std::string::npos);
    EXPECT_NE(r.out.find("\r\nDTEND;TZID=Asia/Seoul:20110101T004600\r\n"), std::string::npos);
    EXPECT_NE(r.out.find("\r\nUID:20101231-116-0191-0001-0020@velomar.invalid\r\n"),
              std::string::npos);
    EXPECT_TRUE(r.out.ends_with("END:VEVENT\r\nEND:VCALENDAR\r\n"));
    // The same train without stops between the stations: the usual message, no event.
    const Run none = run({"detail", "부산", "서울", "0191", "116", "--format", "ics"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
}

TEST_F(CliTravel, UnreadableFilesAreNamedAndTheAnswerIsIncomplete) {
    // 경의선's Down file only: 임진강's Up file is missing.
    const fs::path data = m_root / "data";
    fs::create_directories(data / "TimeData");
    fs::copy_file(SourceData() / "TimeData" / "DownData_06.txt",
                  data / "TimeData" / "DownData_06.txt");
    const Run r = run({"board", "임진강", "--time", "00:00", "--format", "tsv"}, data);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out, "");
    EXPECT_EQ(r.err, "velomar-cli board: cannot read " +
                         (data / "TimeData" / "UpData_06.txt").string() +
                         "; its trains are left out\n");
}

struct TravelUsageCase {
    std::vector<std::string> args;
    std::string errContains;
};

class CliTravelUsage : public CliTravel, public testing::WithParamInterface<TravelUsageCase> {};

TEST_P(CliTravelUsage, ExitsWithTwoAndSaysWhy) {
    const Run r = run(GetParam().args);
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find(GetParam().errContains), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliTravelUsage,
    testing::Values(
        TravelUsageCase{{"stations", "--match", " "}, "--match needs a text"},
        TravelUsageCase{{"stations", "--limit", "3"}, "go with --match"},
        TravelUsageCase{{"stations", "--match", "서", "--limit", "0"}, "--limit needs a count"},
        TravelUsageCase{{"stations", "--match", "서", "--format", "csv"}, "--format must be"},
        TravelUsageCase{{"board"}, "expects one station"},
        TravelUsageCase{{"board", "서울", "부산"}, "expects one station"},
        TravelUsageCase{{"board", "서울", "--time", "7:00"}, "--time must be HH:MM"},
        TravelUsageCase{{"board", "서울", "--time", "24:00"}, "--time must be HH:MM"},
        TravelUsageCase{{"board", "서울", "--type", "ITX"}, "--type must be"},
        TravelUsageCase{{"board", "서울", "--limit", "1001"}, "--limit needs a count"},
        TravelUsageCase{{"board", "서울", "--change-min", "5"}, "unknown option '--change-min'"},
        TravelUsageCase{{"journeys", "서울"}, "expects FROM and TO"},
        TravelUsageCase{{"journeys", "서울", "서울"}, "the same station"},
        TravelUsageCase{{"journeys", "서울", "부산", "--change-min", "601"}, "--change-min needs"},
        TravelUsageCase{{"journeys", "서울", "부산", "--change-min", "-1"}, "--change-min needs"},
        TravelUsageCase{
            {"detail", "서울", "부산", "0191", "116", "--format", "ics", "--date", "20100230"},
            "--date must be a date"}));

TEST_F(CliTravel, UnknownStationsSayNoRouteAndSuggest) {
    const Run board = run({"board", "서을"});
    EXPECT_EQ(board.status, 1);
    EXPECT_EQ(board.err, "velomar-cli board: no route serves '서을'\ndid you mean: 서울\n");
    const Run journeys = run({"journeys", "가야", "부싼"});
    EXPECT_EQ(journeys.status, 1);
    EXPECT_EQ(journeys.err,
              "velomar-cli journeys: no route serves '가야'\n"
              "velomar-cli journeys: no route serves '부싼'\ndid you mean: 부산\n");
}

}  // namespace
}  // namespace velomar::cli
