#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "support/cli_run.h"

namespace velomar::cli {
namespace {

using testing_support::CliRun;
using testing_support::RunCliCaptured;

TEST(CliRoutes, PrintsUpAndDownMasks) {
    const CliRun r = RunCliCaptured({"routes", "강릉", "동해"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "up: 31\ndown: 25 29 30\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(RunCliCaptured({"routes", "가야", "서울"}).out, "up:\ndown:\n");
    EXPECT_EQ(RunCliCaptured({"routes", "", "부산"}).out, "up:\ndown:\n");
}

TEST(CliStations, ListsTheWholeDirectory) {
    const CliRun r = RunCliCaptured({"stations"});
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
    const CliRun r = RunCliCaptured({"grid", path.string()});
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
    const CliRun r = RunCliCaptured({"grid", "/nonexistent/UpData_00.txt"});
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
        const CliRun r = RunCliCaptured(c.args);
        EXPECT_EQ(r.status, c.status) << c.errContains;
        EXPECT_NE(r.err.find(c.errContains), std::string::npos) << r.err;
    }
}

TEST(CliUsage, HelpForTheProgramAndEachCommand) {
    CliRun r = RunCliCaptured({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("routes"), std::string::npos);
    for (const CliCommand& command : Commands()) {
        r = RunCliCaptured({std::string(command.name), "--help"});
        EXPECT_EQ(r.status, 0) << command.name;
        EXPECT_EQ(r.out, command.usage);
        EXPECT_EQ(RunCliCaptured({"help", std::string(command.name)}).out, command.usage);
    }
}

// Every command that takes a date takes the same ones: those whose whole range (the week
// from it, an event that ends after midnight) can be written with years of four digits.
TEST(CliUsage, DatesAreTakenOnlyWhereTheirRangeCanBeWritten) {
    const std::string range = " (dates from 00010101 to 99991224)";
    const std::string x = (std::filesystem::temp_directory_path() / "velomar_no_such_dir").string();
    const std::vector<std::string> ics = {"detail", "서울",     "부산", "0111",
                                          "116",    "--format", "ics",  "--date"};
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"import-gtfs", x, "--out", x, "--week", "99991225"},
         "--week must be a date YYYYMMDD, not '99991225'" + range},
        {{"export-gtfs", x, "--end-date", "99991231"},
         "--end-date must be a date YYYYMMDD, not '99991231'" + range},
        {{"export-gtfs", x, "--start-date", "00001231"},
         "--start-date must be a date YYYYMMDD, not '00001231'" + range},
    };
    for (const auto& [args, message] : refused) {
        const CliRun r = RunCliCaptured(args);
        EXPECT_EQ(r.status, 2) << args[0];
        EXPECT_NE(r.err.find(message + "\n"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(x));
    std::vector<std::string> last = ics;
    last.push_back("99991231");
    EXPECT_EQ(RunCliCaptured(last).status, 2);
    last.back() = "99991224";
    const CliRun event = RunCliCaptured(last);
    EXPECT_EQ(event.status, 0) << event.err;
    EXPECT_NE(event.out.find("DTEND;TZID=Asia/Seoul:99991224T094700\r\n"), std::string::npos)
        << event.out;
    for (const char* command : {"import-gtfs", "export-gtfs", "detail"}) {
        EXPECT_NE(RunCliCaptured({command, "--help"}).out.find("dates from 00010101 to 99991224"),
                  std::string::npos)
            << command;
    }
}

TEST(CliUsage, GlobalOptionsGoBeforeOrAfterTheCommand) {
    EXPECT_EQ(RunCliCaptured({"--data", "/tmp", "routes", "서울", "부산"}).status, 0);
    EXPECT_EQ(RunCliCaptured({"routes", "서울", "부산", "--data=/tmp"}).out, "up:\ndown: 0 16\n");
}

}  // namespace
}  // namespace velomar::cli
