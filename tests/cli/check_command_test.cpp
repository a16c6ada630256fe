#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"

namespace velomar::cli {
namespace {

struct CheckRun {
    int status;
    std::string out;
    std::string err;
};

CheckRun check(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    args.insert(args.begin(), "check");
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::filesystem::path sourceData() {
    const char* source = std::getenv("VELOMAR_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".") / "data";
}

TEST(CliCheck, ShippedDataIsCleanGivenEitherFolder) {
    for (const auto& dir : {sourceData(), sourceData() / "TimeData"}) {
        const CheckRun r = check({dir.string()});
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_TRUE(r.out.starts_with("64 files, ")) << r.out;
        EXPECT_TRUE(r.out.ends_with(" trains, 0 problems\n")) << r.out;
    }
    EXPECT_EQ(check({"--data", sourceData().string()}).status, 0);
}

TEST(CliCheck, ReportsProblemsAsFileLineColumn) {
    const auto dir = std::filesystem::temp_directory_path() / "velomar_check_test" / "TimeData";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "DownData_06.txt", std::ios::binary)
        << "TYPE\t0000\t/\r\nNUMB\t1201\t/\r\n0401\t1000\t/\r\n0733\t0950\t/\r\n"
           "0402\t1010\t/\r\n0403\t1020\t/\r\n=";
    const CheckRun r = check({dir.parent_path().string()});
    std::filesystem::remove_all(dir.parent_path());
    EXPECT_EQ(r.status, 1);
    const std::string expected = (dir / "DownData_06.txt").string() +
                                 ":4:2: train 1201 goes back in time: 0950 after 1000 on line 3\n";
    EXPECT_NE(r.out.find(expected), std::string::npos) << r.out;
    EXPECT_NE(
        r.out.find((dir / "UpData_00.txt").string() + ":0:0: file is missing or cannot be read\n"),
        std::string::npos);
    EXPECT_TRUE(r.out.ends_with("1 file, 1 train, 64 problems\n")) << r.out;
}

TEST(CliCheck, BadUsageAndMissingFolder) {
    EXPECT_EQ(check({"a", "b"}).status, 2);
    EXPECT_EQ(check({"--bogus"}).status, 2);
    const CheckRun r = check({"/nonexistent/velomar"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("is not a folder"), std::string::npos);
}

}  // namespace
}  // namespace velomar::cli
