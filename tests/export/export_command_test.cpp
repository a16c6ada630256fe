#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "export_test_support.h"

namespace velomar::cli {
namespace {

using testing_support::SourceDirectory;
using testing_support::TempFolder;

struct ExportRun {
    int status;
    std::string out;
    std::string err;
};

ExportRun Export(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    args.insert(args.begin(), {"--data", (SourceDirectory() / "data").string(), "export-gtfs"});
    const int status = RunCli(args, out, err);
    return {status, out.str(), err.str()};
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

TEST(CliExportGtfs, CreatesTheFolderAndSummarisesOnStandardError) {
    TempFolder temp("velomar-cli-gtfs");
    const auto out = temp.path() / "new" / "feed";
    const ExportRun r = Export({out.string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string stopTimes = ReadText(out / "stop_times.txt");
    const auto records = std::count(stopTimes.begin(), stopTimes.end(), '\n') - 1;
    EXPECT_EQ(r.err, "export-gtfs: 7 files in " + out.string() +
                         " from 64 timetable files: 606 trips, " + std::to_string(records) +
                         " stop times\n");
    for (const char* name : {"agency.txt", "stops.txt", "routes.txt", "trips.txt", "stop_times.txt",
                             "calendar.txt", "feed_info.txt"}) {
        EXPECT_TRUE(std::filesystem::is_regular_file(out / name)) << name;
    }
}

TEST(CliExportGtfs, TakesTheValidityDates) {
    TempFolder temp("velomar-cli-gtfs-dates");
    const ExportRun r =
        Export({temp.path().string(), "--start-date", "20240301", "--end-date=20250228"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string calendar = ReadText(temp.path() / "calendar.txt");
    EXPECT_NE(calendar.find("\r\nDAILY,1,1,1,1,1,1,1,20240301,20250228\r\n"), std::string::npos)
        << calendar;
}

TEST(CliExportGtfs, RefusesBadUsage) {
    TempFolder temp("velomar-cli-gtfs-usage");
    const auto file = temp.path() / "feed.txt";
    std::ofstream(file) << "keep me";
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string x = (temp.path() / "x").string();
    const std::vector<Case> cases = {
        {{}, "expects one output folder, OUTDIR"},
        {{x, x + "2"}, "expects one output folder, OUTDIR"},
        {{file.string()}, file.string() + " exists and is not a folder"},
        {{x, "--start-date", "2010-01-01"},
         "--start-date must be a date YYYYMMDD, not '2010-01-01'"},
        {{x, "--end-date", "20100230"}, "--end-date must be a date YYYYMMDD, not '20100230'"},
        {{x, "--start-date", "20101231", "--end-date", "20100101"},
         "the end date 20100101 lies before the start date 20101231"},
        {{x, "--zip"}, "unknown option"},
    };
    for (const Case& c : cases) {
        const ExportRun r = Export(c.args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(c.args);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadText(file), "keep me");
    // nothing is created on bad usage
    EXPECT_FALSE(std::filesystem::exists(x));
}

TEST(CliExportGtfs, FailsWhenNoTimetableCanBeRead) {
    TempFolder temp("velomar-cli-gtfs-empty");
    std::ostringstream out;
    std::ostringstream err;
    const auto feed = temp.path() / "feed";
    const int status =
        RunCli({"--data", temp.path().string(), "export-gtfs", feed.string()}, out, err);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.str().find("UpData_00.txt:0:0: file is missing or cannot be read\n"),
              std::string::npos);
    EXPECT_TRUE(err.str().ends_with("velomar-cli export-gtfs: no timetable file could be read in " +
                                    (temp.path() / "TimeData").string() + "\n"))
        << err.str();
    EXPECT_FALSE(std::filesystem::exists(feed));
}

TEST(CliExportGtfs, HasHelpAndIsListed) {
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCli({"export-gtfs", "--help"}, out, err), 0);
    EXPECT_TRUE(out.str().starts_with("Usage: velomar-cli export-gtfs OUTDIR")) << out.str();
    std::ostringstream help;
    EXPECT_EQ(RunCli({"--help"}, help, err), 0);
    EXPECT_NE(help.str().find("  export-gtfs   write the timetables as a GTFS feed\n"),
              std::string::npos)
        << help.str();
}

}  // namespace
}  // namespace velomar::cli
