#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"

namespace velomar::cli {
namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun run(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

TEST(CliRoutes, PrintsUpAndDownMasks) {
    const CliRun r = run({"routes", "강릉", "동해"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "up: 31\ndown: 25 29 30\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(run({"routes", "가야", "서울"}).out, "up:\ndown:\n");
    EXPECT_EQ(run({"routes", "", "부산"}).out, "up:\ndown:\n");
}

TEST(CliStations, ListsTheWholeDirectory) {
    const CliRun r = run({"stations"});
    EXPECT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string line;
    std::vector<std::string> all;
    while (std::getline(lines, line)) {
        all.push_back(line);
    }
    ASSERT_EQ(all.size(), 405u);
    EXPECT_EQ(all.front(), "0\t가\t가야\t0476");
    EXPECT_EQ(all.back(), "13\t하\t희방사\t0178");
}

TEST(CliGrid, PrintsSeventyLinesOfEightyCells) {
    const auto path = std::filesystem::temp_directory_path() / "velomar_cli_grid_test.txt";
    std::ofstream(path, std::ios::binary) << "XXXX\tYYYY\t/\r\n0001\t0700\t/\r\n=";
    const CliRun r = run({"grid", path.string()});
    std::filesystem::remove(path);
    EXPECT_EQ(r.status, 0);
    std::istringstream lines(r.out);
    std::string first;
    std::getline(lines, first);
    EXPECT_TRUE(first.starts_with("XXXX\tYYYY\t9999\t")) << first;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 70);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\t'), 79);
}

TEST(CliGrid, UnreadableFileReportsTheLoaderMessage) {
    const CliRun r = run({"grid", "/nonexistent/UpData_00.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Velomar: Read Data File Error\n");
    EXPECT_EQ(r.out, "");
}

struct UsageCase {
    std::vector<std::string> args;
    int status;
    std::string errContains;
};

TEST(CliUsage, BadUsageExitsWithTwoAndSaysWhy) {
    const UsageCase cases[] = {
        {{}, 2, "Usage: velomar-cli"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"--bogus", "routes"}, 2, "unknown option '--bogus'"},
        {{"routes", "서울"}, 2, "expects two station names"},
        {{"routes", "서울", "부산", "--fast"}, 2, "unknown option '--fast'"},
        {{"routes", "\xff", "부산"}, 2, "not valid UTF-8"},
        {{"stations", "extra"}, 2, "takes no arguments"},
        {{"--data"}, 2, "needs a value"},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.errContains;
        EXPECT_NE(r.err.find(c.errContains), std::string::npos) << r.err;
    }
}

TEST(CliUsage, HelpForTheProgramAndEachCommand) {
    CliRun r = run({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("routes"), std::string::npos);
    for (const CliCommand& command : Commands()) {
        r = run({std::string(command.name), "--help"});
        EXPECT_EQ(r.status, 0) << command.name;
        EXPECT_EQ(r.out, command.usage);
        EXPECT_EQ(run({"help", std::string(command.name)}).out, command.usage);
    }
}

TEST(CliUsage, GlobalOptionsGoBeforeOrAfterTheCommand) {
    EXPECT_EQ(run({"--data", "/tmp", "routes", "서울", "부산"}).status, 0);
    EXPECT_EQ(run({"routes", "서울", "부산", "--data=/tmp"}).out, "up:\ndown: 0 16\n");
}

}  // namespace
}  // namespace velomar::cli
