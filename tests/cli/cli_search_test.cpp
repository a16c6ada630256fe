#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "cli/cli.h"
#include "support/cli_run.h"

namespace velomar::cli {
namespace {

namespace fs = std::filesystem;

// 경의선, route 6, Down file: 문산(0401) - 임진강(0402) - 도라산(0403).
//            0101    0102    0103    0104(누리로, after midnight)
//   문산     07:10   08:10   09:10   23:50
//   임진강   07:25   -       09:25   00:05
//   도라산   07:40   08:40   09:40   00:20
constexpr std::string_view kGyeonguiDown =
    "TYPE\t0000\t0002\t1112\t0004\t/\r\n"
    "TRNO\t0101\t0102\t0103\t0104\t/\r\n"
    "0401\t0710\t0810\t0910\t2350\t/\r\n"
    "0402\t0725\t9999\t0925\t3005\t/\r\n"
    "0403\t0740\t0840\t0940\t3020\t/\r\n"
    "=";

class CliSearch : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("velomar_cli_search_" + std::to_string(random()));
        fs::create_directories(m_root / "TimeData");
        std::ofstream(m_root / "TimeData" / "DownData_06.txt", std::ios::binary) << kGyeonguiDown;
    }
    void TearDown() override { fs::remove_all(m_root); }

    using Run = testing_support::CliRun;
    Run run(std::vector<std::string> args) { return testing_support::RunCliIn(m_root, args); }

    fs::path m_root;
};

TEST_F(CliSearch, TsvListsThePageAndStoresThePair) {
    const Run r = run({"search", "문산", "도라산", "--time", "07:05", "--format", "tsv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "0101\t07:10\t07:40\t무궁화\t106\t0710\n"
              "0102\t08:10\t08:40\tKTX\t106\t0810\n"
              "0103\t09:10\t09:40\t(K)ABC\t106\t0910\n"
              "0104\t23:50\t00:20\t누리로\t106\t2350\n");
    // The stored pair is the default of the next run; the minute entry is 0 of 07:05.
    const Run again = run({"search", "--time=09:20", "--format=tsv", "--type", "KTX"});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(again.err, "Velomar: 열차가 없습니다.\n");
    EXPECT_EQ(run({"search", "--time", "09:10", "--type", "(K)ABC", "--format", "tsv"}).status, 2);
    EXPECT_EQ(run({"search", "--time", "00:00", "--type", "3", "--format", "tsv"}).out,
              "0101\t07:10\t07:40\t무궁화\t106\t0710\n");
}

TEST_F(CliSearch, TableAlignsKoreanHeadersAsDoubleWidth) {
    const Run r = run({"search", "문산", "도라산", "--time", "23:00"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "열차No  출발時  도착時  열 차   소요\n"
              "0104    23:50   00:20   누리로  0:30\n");
}

TEST_F(CliSearch, JsonIsAnArrayOfObjects) {
    const Run r = run({"search", "문산", "도라산", "--time", "09:10", "--format", "json"});
    EXPECT_EQ(r.out,
              "[\n"
              "  {\"trainNo\": \"0103\", \"departure\": \"09:10\", \"arrival\": \"09:40\", "
              "\"type\": \"(K)ABC\", \"travelMinutes\": 30, \"routeCode\": 106, "
              "\"departureCell\": \"0910\"},\n"
              "  {\"trainNo\": \"0104\", \"departure\": \"23:50\", \"arrival\": \"00:20\", "
              "\"type\": \"누리로\", \"travelMinutes\": 30, \"routeCode\": 106, "
              "\"departureCell\": \"2350\"}\n"
              "]\n");
    EXPECT_EQ(run({"search", "가야", "서울", "--format", "json"}).out, "[]\n");
}

TEST_F(CliSearch, NextPagesThroughTheDay) {
    run({"search"});  // the first start writes the default page size
    ASSERT_EQ(run({"settings", "set", "--number", "ResultCount", "2"}).status, 0);
    const Run r =
        run({"search", "문산", "도라산", "--time", "07:00", "--next", "1", "--format", "tsv"});
    // The next page begins after the last train, 08:10.
    EXPECT_EQ(r.out,
              "0103\t09:10\t09:40\t(K)ABC\t106\t0910\n0104\t23:50\t00:20\t누리로\t106\t2350\n");
    const Run back =
        run({"search", "문산", "도라산", "--time", "09:00", "--prev", "1", "--format", "tsv"});
    EXPECT_EQ(back.out,
              "0101\t07:10\t07:40\t무궁화\t106\t0710\n0102\t08:10\t08:40\tKTX\t106\t0810\n");
}

TEST_F(CliSearch, SquareLayoutListsThePage) {
    const Run r = run({"search", "문산", "도라산", "--layout", "square", "--time", "00:00"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 5);
}

TEST_F(CliSearch, EmptyStationsPassOnWithTheirMessages) {
    const Run r = run({"search", "", "도라산"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Info: 출발역이 없습니다.\nInfo: 열차를 찾을 수 없습니다.\n");
    const Run square = run({"search", "문산", "", "--layout", "square"});
    EXPECT_EQ(
        square.err,
        "Info: 도착역이 없습니다.\nInfo: 열차를 찾을 수 없습니다.\nVelomar: 열차가 없습니다.\n");
}

TEST_F(CliSearch, MissingTimetableFileIsReported) {
    const Run r = run({"search", "도라산", "문산"});  // the Up file is not there
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        r.err,
        "Velomar: Read Data File Error\nInfo: GetTimeTable() Error\nVelomar: 열차가 없습니다.\n");
}

class CliSearchUsage : public CliSearch,
                       public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(CliSearchUsage, RejectsWithExitTwoAndAMessage) {
    const Run r = run(GetParam());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("velomar-cli"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    BadArguments, CliSearchUsage,
    testing::Values(std::vector<std::string>{"search", "--time", "24:00"},
                    std::vector<std::string>{"search", "--time", "7:5x"},
                    std::vector<std::string>{"search", "--time", "7:50"},
                    std::vector<std::string>{"search", "--time", "07:60"},
                    std::vector<std::string>{"search", "--time", "0730"},
                    std::vector<std::string>{"search", "--type", "6"},
                    std::vector<std::string>{"search", "--type", "ktx"},
                    std::vector<std::string>{"search", "--layout", "wide"},
                    std::vector<std::string>{"search", "--next", "-1"},
                    std::vector<std::string>{"search", "--next", "1", "--prev", "1"},
                    std::vector<std::string>{"search", "--format", "xml"},
                    std::vector<std::string>{"search", "문산"},
                    std::vector<std::string>{"detail", "문산", "도라산", "0101", "32"},
                    std::vector<std::string>{"detail", "문산", "도라산", "0101", "-1"},
                    std::vector<std::string>{"detail", "문산", "도라산", "0101", "132"},
                    std::vector<std::string>{"detail", "문산", "도라산", "0101", "1o6"},
                    std::vector<std::string>{"detail", "문산", "도라산", "", "106"},
                    std::vector<std::string>{"detail", "문산", "도라산", "0101"}));

TEST_F(CliSearch, DetailListsTheStops) {
    const Run r = run({"detail", "문산", "도라산", "0104", "106", "--format", "tsv"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "문산\t23:50\n임진강\t00:05\n도라산\t00:20\n");
    EXPECT_EQ(run({"detail", "문산", "도라산", "0102", "106"}).out,
              "역이름  시간\n문산    08:10\n도라산  08:40\n");
    EXPECT_EQ(run({"detail", "문산", "임진강", "0102", "106", "--format", "json"}).out,
              "[\n  {\"station\": \"문산\", \"time\": \"08:10\"}\n]\n");
}

TEST_F(CliSearch, DetailOfAMissingFileShowsTheThreeMessages) {
    const Run r = run({"detail", "문산", "도라산", "0101", "6"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Info: fopen Error\nVelomar: Read Data File Error\nInfo: GetTimeTable() Error\n");
}

}  // namespace
}  // namespace velomar::cli
