// What velomar-cli prints: nothing from outside the program reaches the terminal as a
// control character, a grid row stays one line, and output that went nowhere fails the
// command with a message.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/terminal_output.h"
#include "support/cli_run.h"

namespace velomar::cli {
namespace {

namespace fs = std::filesystem;

std::string throughFilter(std::string_view bytes, bool byteByByte) {
    std::ostringstream target;
    {
        TerminalOutput filter(target.rdbuf());
        std::ostream out(&filter);
        if (byteByByte) {
            for (const char c : bytes) {
                out.put(c);
            }
        } else {
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
        EXPECT_TRUE(filter.finish());
    }
    return target.str();
}

TEST(TerminalOutput, EscapesWhatCouldSteerTheTerminal) {
    const struct {
        std::string_view in;
        std::string_view out;
    } cases[] = {
        {"서울\t07:00\n", "서울\t07:00\n"},
        {"\x1b[2J", "\\x1b[2J"},
        {"a\x07"
         "b",
         "a\\x07b"},
        {std::string_view("\0x", 2), "\\x00x"},
        {"CR LF\r\n", "CR LF\r\n"},  // calendar lines end so
        {"lone\rCR", "lone\\x0dCR"},
        {"\r\r\n", "\\x0d\r\n"},
        {"end\r", "end\\x0d"},
        {"\x7f", "\\x7f"},
        {"\xc2\x9b"
         "31m",
         "\\xc2\\x9b31m"},  // C1 CSI in UTF-8
        {"\x9b"
         "31m",
         "\\x9b31m"},                         // and as a bare byte
        {"\xc2\xa0", "\xc2\xa0"},             // U+00A0 is text
        {"\xe0\x80\xaf", "\\xe0\\x80\\xaf"},  // overlong
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},  // surrogate
        {"\xea\xb0", "\\xea\\xb0"},           // cut short at the end
        {"\xea\xb0"
         "A",
         "\\xea\\xb0A"},
        {"\xf0\x9f\x9a\x84", "\xf0\x9f\x9a\x84"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(throughFilter(c.in, false), c.out) << c.in;
        EXPECT_EQ(throughFilter(c.in, true), c.out) << "byte by byte: " << c.in;
    }
}

// A buffer that takes `room` bytes, then refuses everything.
class FullBuffer : public std::streambuf {
  public:
    explicit FullBuffer(std::size_t room) : m_room(room) {}
    std::string taken;

  protected:
    int_type overflow(int_type ch) override {
        if (taken.size() >= m_room) {
            return traits_type::eof();
        }
        taken += traits_type::to_char_type(ch);
        return ch;
    }

  private:
    std::size_t m_room;
};

TEST(CliOutputFailure, EveryCommandFailsWhenItsOutputGoesNowhere) {
    const fs::path data =
        fs::path(std::getenv("VELOMAR_SOURCE_DIR") ? std::getenv("VELOMAR_SOURCE_DIR") : ".") /
        "data";
    for (const std::size_t room : {std::size_t{0}, std::size_t{10}}) {
        FullBuffer full(room);
        std::ostream out(&full);
        std::ostringstream err;
        const int status = RunCli({"--data", data.string(), "stations"}, out, err);
        EXPECT_EQ(status, 1) << room;
        EXPECT_EQ(err.str(), "velomar-cli: could not write the output\n");
        EXPECT_EQ(full.taken.size(), room);
    }
}

#ifndef _WIN32
// The real program, its standard output on /dev/full: every command that prints, taken from
// the program's own list so that a new command cannot be missed.
TEST(CliOutputFailure, DevFullForEveryCommand) {
    const char* cli = VELOMAR_CLI_PATH;
    const std::string source =
        std::getenv("VELOMAR_SOURCE_DIR") ? std::getenv("VELOMAR_SOURCE_DIR") : ".";
    const std::string tmp = testing::TempDir();
    const std::string settings = tmp + "velomar_devfull.sqlite3";
    const std::string global =
        std::string(cli) + " --data " + source + "/data --settings " + settings + " ";
    const std::vector<std::pair<std::string, std::string>> commands = {
        {"routes", "서울 부산"},
        {"stations", ""},
        {"grid", source + "/data/TimeData/DownData_16.txt"},
        {"search", "서울 부산 --time 07:00"},
        {"detail", "서울 부산 0111 116"},
        {"board", "서울 --time 07:00"},
        {"journeys", "강릉 부산 --time 06:00"},
        {"settings", "list"},
        {"check", ""},
        {"export-gtfs", tmp + "velomar_devfull_feed"},  // reports on standard error only
        {"import-gtfs", "--help"},
        {"data", ""},
    };
    // The command list as --help gives it.
    std::vector<std::string> listed;
    {
        const std::string help = tmp + "velomar_devfull_help.txt";
        ASSERT_EQ(std::system((std::string(cli) + " --help > " + help).c_str()), 0);
        std::ifstream in(help);
        bool inList = false;
        for (std::string line; std::getline(in, line);) {
            if (line == "Commands:") {
                inList = true;
            } else if (inList && line.empty()) {
                break;
            } else if (inList) {
                listed.push_back(line.substr(2, line.find(' ', 2) - 2));
            }
        }
    }
    ASSERT_EQ(listed.size(), commands.size());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(listed[i], commands[i].first);
        const std::string errFile = tmp + "velomar_devfull_err.txt";
        const std::string line =
            global + commands[i].first + " " + commands[i].second + " > /dev/full 2> " + errFile;
        const int status = std::system(line.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << line;
        std::ifstream err(errFile);
        const std::string said((std::istreambuf_iterator<char>(err)), {});
        if (commands[i].first == "export-gtfs") {
            EXPECT_EQ(WEXITSTATUS(status), 0) << line << "\n" << said;
            continue;
        }
        EXPECT_EQ(WEXITSTATUS(status), 1) << line;
        EXPECT_NE(said.find("velomar-cli: could not write the output: No space left on device\n"),
                  std::string::npos)
            << line << "\n"
            << said;
    }
    std::error_code ignored;
    fs::remove_all(tmp + "velomar_devfull_feed", ignored);
    fs::remove(settings, ignored);
}
#endif

// A timetable whose cells and train numbers hold every kind of control character, read by
// every command that prints timetable text, in every format.
class HostileTimetable : public testing::Test {
  protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("velomar_hostile_" + std::to_string(random()));
        fs::create_directories(m_root / "TimeData");
        // 경의선 Down: 문산(0401) -> 도라산(0403). A cell may hold anything but TAB, "/" and "=".
        std::ofstream(m_root / "TimeData" / "DownData_06.txt", std::ios::binary)
            << "TYPE\t0000\t0002\t0\x1b[31m\t/\r\n"
               "TRNO\t01\x1b]0;owned\x07\t0102\x9b\t\x1b[2J\t/\r\n"
               "0401\t0710\t0810\x7f\t0910\x01\t/\r\n"
               "0402\t07\x1b"
               "15\t\n712\t0\r\x1b[1A\t/\r\n"
               "0403\t0740\t0840\t0940\t/\r\n"
               "=";
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    using Run = testing_support::CliRun;
    Run run(std::vector<std::string> args) { return testing_support::RunCliIn(m_root, args); }
    fs::path m_root;
};

// No byte below 0x20 but LF and TAB, no DEL, no C1 control.
void ExpectNothingRaw(const std::string& text, const std::string& what) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool c1 =
            c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        const bool bad =
            (c < 0x20 && c != '\n' && c != '\t') || c == 0x7F || c1 ||
            (c >= 0x80 && c <= 0x9F && (i == 0 || static_cast<unsigned char>(text[i - 1]) < 0x80));
        EXPECT_FALSE(bad) << what << ": byte " << static_cast<int>(c) << " at " << i << " in\n"
                          << text;
        if (bad) {
            return;
        }
    }
}

TEST_F(HostileTimetable, NoControlCharacterReachesTheTerminal) {
    const std::string file = (m_root / "TimeData" / "DownData_06.txt").string();
    const std::vector<std::vector<std::string>> commands = {
        {"search", "문산", "도라산", "--time", "07:00"},
        {"search", "문산", "도라산", "--time", "07:00", "--format", "tsv"},
        {"search", "문산", "도라산", "--time", "07:00", "--format", "json"},
        {"search", "문산", "임진강", "--time", "07:00"},
        {"detail", "문산", "도라산", "01\x1b]0;owned\x07", "6"},
        {"detail", "문산", "도라산", "0102\x9b", "6", "--format", "tsv"},
        {"board", "문산", "--time", "07:00"},
        {"board", "문산", "--time", "07:00", "--format", "tsv"},
        {"journeys", "문산", "도라산", "--time", "07:00"},
        {"grid", file},
        {"check"},
        {"check", m_root.string() + "/\x1b[31mnowhere"},
        {"export-gtfs", (m_root / "feed\x1b[31m").string()},
        {"stations", "--match", "\x1b[31m서울"},
        {"search", "\x1b[31m서울", "부산"},
    };
    for (const auto& args : commands) {
        const Run r = run(args);
        std::string what;
        for (const std::string& arg : args) {
            what += arg + ' ';
        }
        ExpectNothingRaw(r.out, "stdout of " + what);
        ExpectNothingRaw(r.err, "stderr of " + what);
    }
}

TEST_F(HostileTimetable, GridKeepsOneLinePerRow) {
    const Run r = run({"grid", (m_root / "TimeData" / "DownData_06.txt").string()});
    std::istringstream lines(r.out);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        rows.push_back(line);
    }
    ASSERT_EQ(rows.size(), 70u) << r.err;
    // The reader keeps four characters a cell: "07\x1b1", "5\n71", "20\r\x1b".
    EXPECT_TRUE(rows[3].starts_with("0402\t07\\x1b1\t5\\x0a71\t20\\x0d\\x1b\t9999")) << rows[3];
}

}  // namespace
}  // namespace velomar::cli
