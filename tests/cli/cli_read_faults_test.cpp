// Every command that reads timetable files, on files that cannot be read to their end and
// on files far larger than a timetable: a message and an exit status, never an exception,
// never the whole file in memory.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "support/cli_run.h"

namespace velomar::cli {
namespace {

namespace fs = std::filesystem;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// Peak memory of this process so far, in KiB.
long PeakRssKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A data folder whose 64 timetable files all lead to one file.
class CliReadFaults : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("velomar_read_faults_" + std::to_string(random()));
        fs::create_directories(m_root / "TimeData");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    void everyFileIs(const fs::path& target) {
        for (const char* direction : {"UpData", "DownData"}) {
            for (int route = 0; route < 32; ++route) {
                char name[32];
                std::snprintf(name, sizeof name, "%s_%02d.txt", direction, route);
                fs::create_symlink(target, m_root / "TimeData" / name);
            }
        }
    }

    using Run = testing_support::CliRun;
    Run run(std::vector<std::string> args) { return testing_support::RunCliIn(m_root, args); }

    fs::path m_root;
};

#ifdef __linux__
// /proc/self/mem opens as a plain file of size 0, and its first read fails with EIO.
TEST_F(CliReadFaults, AFileWhoseReadsFailGivesReadDataFileErrorInEveryCommand) {
    everyFileIs("/proc/self/mem");
    const std::string kLoadError = "Velomar: Read Data File Error\n";

    const Run grid = run({"grid", "/proc/self/mem"});
    EXPECT_EQ(grid.status, 1);
    EXPECT_EQ(grid.out, "");
    EXPECT_EQ(grid.err, kLoadError);

    const Run search = run({"search", "문산", "도라산"});
    EXPECT_EQ(search.status, 1);
    EXPECT_NE(search.err.find(kLoadError + "Info: GetTimeTable() Error\n"), std::string::npos)
        << search.err;

    const Run detail = run({"detail", "문산", "도라산", "0101", "106"});
    EXPECT_EQ(detail.status, 1);
    EXPECT_NE(detail.err.find(kLoadError + "Info: GetTimeTable() Error\n"), std::string::npos)
        << detail.err;

    // The board and the journeys leave an unreadable file out and say which.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"board", "문산"}, {"journeys", "문산", "도라산"}}) {
        const Run travel = run(args);
        EXPECT_EQ(travel.status, 1) << args[0];
        EXPECT_NE(travel.err.find("Data_06.txt; its trains are left out\n"), std::string::npos)
            << travel.err;
    }

    const Run check = run({"check"});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(Count(check.out,
                    ":0:0: Read Data File Error: a read failed after 0 bytes; the "
                    "file is not checked\n"),
              64u)
        << check.out;
    EXPECT_TRUE(check.out.ends_with("0 files, 0 trains, 64 problems\n")) << check.out;

    const Run exported = run({"export-gtfs", (m_root / "feed").string()});
    EXPECT_EQ(exported.status, 1);
    EXPECT_EQ(Count(exported.err, ":0:0: Read Data File Error: a read failed\n"), 64u)
        << exported.err;
    EXPECT_NE(exported.err.find("no timetable file could be read"), std::string::npos);
}

// One file of the pair's two cannot be read: the page shows the other file's trains, and
// the exit status says the answer is not whole.
TEST_F(CliReadFaults, APageWithoutAFileThatCannotBeReadIsAFailure) {
    const fs::path samples = fs::path(VELOMAR_CLI_PATH).parent_path() / "TimeData";
    for (const auto& entry : fs::directory_iterator(samples)) {
        fs::copy_file(entry.path(), m_root / "TimeData" / entry.path().filename());
    }
    fs::remove(m_root / "TimeData" / "DownData_16.txt");
    fs::create_symlink("/proc/self/mem", m_root / "TimeData" / "DownData_16.txt");
    const Run search = run({"search", "서울", "부산", "--time", "07:00", "--format", "tsv"});
    EXPECT_EQ(search.status, 1);
    EXPECT_TRUE(search.out.starts_with("1003\t07:35\t12:19\t새마을\t100")) << search.out;
    EXPECT_EQ(search.out.find("KTX"), std::string::npos);
    EXPECT_NE(search.err.find("Velomar: Read Data File Error\nInfo: GetTimeTable() Error\n"),
              std::string::npos)
        << search.err;
}
#endif

// A sparse file of 4 GiB (VELOMAR_HUGE_FILE_BYTES to change it) as every timetable file:
// each command reads at most 1 MiB of each file and keeps only pieces of it in memory.
TEST_F(CliReadFaults, AHugeFileIsReadOnlyToTheSizeLimit) {
    const char* size = std::getenv("VELOMAR_HUGE_FILE_BYTES");
    const std::uintmax_t bytes =
        size != nullptr ? std::strtoull(size, nullptr, 10) : std::uintmax_t{4} << 30;
    const fs::path huge = m_root / "huge.txt";
    std::ofstream(huge, std::ios::binary) << "0401\t0700\t";
    fs::resize_file(huge, bytes);
    everyFileIs(huge);
    const long before = PeakRssKib();

    const Run check = run({"check"});
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(Count(check.out,
                    ":1:0: file is larger than 1048576 bytes (1 MiB): the rest is "
                    "not read\n"),
              64u)
        << check.out.substr(0, 2000);
    EXPECT_NE(check.out.find("64 files, "), std::string::npos);

    const Run grid = run({"grid", huge.string()});
    EXPECT_EQ(grid.status, 0);
    EXPECT_EQ(Count(grid.out, "\n"), 70u);
    EXPECT_TRUE(grid.out.starts_with("0401\t0700\t")) << grid.out.substr(0, 40);

    const Run search = run({"search", "문산", "도라산"});
    EXPECT_EQ(search.status, 1);
    EXPECT_NE(search.err.find("Velomar: 열차가 없습니다."), std::string::npos) << search.err;

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"board", "문산"}, {"journeys", "문산", "도라산"}}) {
        const Run travel = run(args);
        EXPECT_EQ(travel.status, 1) << args[0];
        EXPECT_EQ(travel.err.find("cannot read"), std::string::npos) << travel.err;
    }

    // The output of check is the largest thing kept; a whole file would be 4 GiB.
    EXPECT_LT(PeakRssKib() - before, 64 * 1024) << "KiB more at the peak";
}

}  // namespace
}  // namespace velomar::cli
