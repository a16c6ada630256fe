#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "support/cli_run.h"

namespace velomar::cli {
namespace {

namespace fs = std::filesystem;

using testing_support::CliRun;
using testing_support::RunCliCaptured;

// A data folder of its own per test; VELOMAR_DATA is cleared so the developer's does not
// leak in (each test runs in a process of its own).
class DataCommand : public testing::Test {
  protected:
    void SetUp() override {
        unsetenv("VELOMAR_DATA");
        m_folder = fs::temp_directory_path() /
                   ("velomar_data_command_" +
                    std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "TimeData");
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void writeSource(const std::string& bytes) const {
        std::ofstream(m_folder / "TimeData" / "SOURCE.txt", std::ios::binary) << bytes;
    }

    fs::path m_folder;
};

TEST_F(DataCommand, NamesTheFolderTheRuleAndTheSource) {
    writeSource("feed: 샘플 시간표\r\nexported: 2024-05-01\n");
    const CliRun r = RunCliCaptured({"--data", m_folder.string(), "data"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.starts_with("folder: " + m_folder.string() +
                                  "\nrule: given with --data\nlooked at, in order:\n  1 " +
                                  m_folder.string() + ": holds TimeData/ (in use)\n"))
        << r.out;
    EXPECT_NE(r.out.find("  2 $VELOMAR_DATA: not set\n"), std::string::npos) << r.out;
    EXPECT_TRUE(r.out.ends_with(
        "source (TimeData/SOURCE.txt):\n  feed: 샘플 시간표\n  exported: 2024-05-01\n"))
        << r.out;
    EXPECT_EQ(r.err, "");
}

TEST_F(DataCommand, EnvironmentVariableIsTheSecondRule) {
    setenv("VELOMAR_DATA", m_folder.c_str(), 1);
    const CliRun r = RunCliCaptured({"data"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("rule: given by $VELOMAR_DATA\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("  1 --data DIR: not given\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("source: no TimeData/SOURCE.txt\n"), std::string::npos) << r.out;
    // --help says the same.
    const CliRun help = RunCliCaptured({"--help"});
    EXPECT_NE(
        help.out.find("Data folder in use: " + m_folder.string() + "\n  (given by $VELOMAR_DATA;"),
        std::string::npos)
        << help.out;
}

TEST_F(DataCommand, SourceBytesAreEscapedForTheTerminal) {
    writeSource(std::string("title: \x1b[31mred\x07\n") + "bytes: \xff\xfe\n" +
                std::string("nul: a\0b\n", 9));
    const CliRun r = RunCliCaptured({"--data", m_folder.string(), "data"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("  title: \\x1b[31mred\\x07\n  bytes: \\xff\\xfe\n  nul: a\\x00b\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
}

TEST_F(DataCommand, HugeSourceIsCut) {
    writeSource(std::string(1 << 20, 'x') + "\n" + std::string(1000, 'y') + "\n");
    const CliRun r = RunCliCaptured({"--data", m_folder.string(), "data"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("(cut after 64 KiB)"), std::string::npos);
    EXPECT_LT(r.out.size(), 1200u * 1024);
    EXPECT_EQ(r.out.find("yyyy"), std::string::npos);
}

TEST_F(DataCommand, SourceThatIsNotAFileIsNotRead) {
    fs::create_directories(m_folder / "TimeData" / "SOURCE.txt");
    const CliRun r = RunCliCaptured({"--data", m_folder.string(), "data"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
}

TEST_F(DataCommand, FolderWithoutTimeDataFails) {
    const fs::path empty = m_folder / "empty";
    fs::create_directories(empty);
    const CliRun r = RunCliCaptured({"--data", empty.string(), "data"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("folder: " + empty.string() + "\n"), std::string::npos);
    EXPECT_EQ(r.err, "velomar-cli data: " + empty.string() + " holds no TimeData/\n");
}

TEST_F(DataCommand, PathsAreEscaped) {
    const CliRun r = RunCliCaptured({"--data", "/nowhere/\x1b]0;title\x07", "data"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("folder: /nowhere/\\x1b]0;title\\x07\n"), std::string::npos) << r.out;
}

TEST_F(DataCommand, BadUsageAndUnwritableOutput) {
    EXPECT_EQ(RunCliCaptured({"data", "extra"}).status, 2);
    EXPECT_EQ(RunCliCaptured({"data", "--bogus"}).status, 2);
    std::ostream closed(nullptr);  // every write fails
    std::ostringstream err;
    EXPECT_EQ(RunCli({"--data", m_folder.string(), "data"}, closed, err), 1);
    EXPECT_EQ(err.str(), "velomar-cli: could not write the output\n");
}

}  // namespace
}  // namespace velomar::cli
