// Timetable files that fail partway or never end, through every way the program reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "support/file_faults.h"
#include "support/timetable_text.h"
#include "timetable/data_check.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"
#include "timetable/timetable_reader.h"

namespace velomar {
namespace {

using testing_support::BorrowedSource;
using testing_support::EndlessSource;
using testing_support::FailingFileReader;

using testing_support::Repeat;

// Three lines of a Down file of route 7, about 2 KB: many reads in 64-byte pieces.
const std::string kFile = Repeat("0001\t0700\t0800\t/\r\n", 3) + Repeat("x", 2000) + "=";

MemoryFileReader EveryFile(const std::string& bytes) {
    MemoryFileReader files;
    const TimetableDirectory directory(files, "/data");
    for (int route = 0; route < 32; ++route) {
        for (Direction direction : {Direction::Up, Direction::Down}) {
            files.add(directory.pathOf(route, direction), bytes);
        }
    }
    return files;
}

class ReadFailsOnRead : public testing::TestWithParam<std::size_t> {
  protected:
    MemoryFileReader files = EveryFile(kFile);
    FailingFileReader failing{files, GetParam(), 64};
    TimetableDirectory directory{failing, "/data"};
};

// What the search and the detail view load through: a failure, the message, an empty grid.
TEST_P(ReadFailsOnRead, TheGridLoadReportsReadDataFileError) {
    TimetableGrid grid;
    grid.setCell(3, 3, u"1234");
    RecordingMessageSink messages;
    CurrentTimetableFile current;
    ASSERT_TRUE(OpenTimetableFile(directory, 7, Direction::Down, current, messages));
    EXPECT_FALSE(LoadTimetableGrid(current, grid, messages));
    EXPECT_EQ(failing.failures(), 1u);
    EXPECT_FALSE(current.has_value());
    EXPECT_TRUE(grid == TimetableGrid());
    EXPECT_EQ(messages.messages, (std::vector<Message>{{u"Read Data File Error", u"Velomar"}}));
}

// What the export loads through.
TEST_P(ReadFailsOnRead, TheQuietLoadSaysReadFailedAndLeavesTheGridReset) {
    TimetableGrid grid;
    grid.setCell(3, 3, u"1234");
    EXPECT_EQ(LoadTimetableFile(directory, 7, Direction::Down, grid), FileLoad::ReadFailed);
    EXPECT_TRUE(grid == TimetableGrid());
    EXPECT_EQ(LoadTimetableFile(directory, 7, Direction::Down, grid), FileLoad::Loaded)
        << "the next file reads as usual";
    EXPECT_EQ(grid.cell(2, 2), u"0800");
}

// The check lists the file with the error and goes on with the others.
TEST_P(ReadFailsOnRead, TheCheckReportsTheFileAndChecksTheRest) {
    const DataCheckResult result = CheckTimetableData(failing, "/data/TimeData");
    EXPECT_EQ(result.filesChecked, 63);
    std::vector<DataDiagnostic> failed;
    std::copy_if(result.diagnostics.begin(), result.diagnostics.end(), std::back_inserter(failed),
                 [](const DataDiagnostic& d) { return d.message.find("Read Data") == 0; });
    ASSERT_EQ(failed.size(), 1u) << testing::PrintToString(result.diagnostics.size());
    EXPECT_EQ(failed[0].file, "UpData_00.txt");
    EXPECT_EQ(failed[0].message, "Read Data File Error: a read failed after " +
                                     std::to_string((GetParam() - 1) * 64) +
                                     " bytes; the file is not checked");
}

// The first read, one in the middle, the one that would give the end mark.
INSTANTIATE_TEST_SUITE_P(Reads, ReadFailsOnRead, testing::Values(1u, 5u, 33u));

// Files that do not end, or end only after far more than the grid can hold: each reader
// stops once nothing more can be stored, or at the size limit.
struct EndlessCase {
    const char* label;
    std::string head;
    std::string pattern;
    std::uint64_t mostRead;       // bytes the readers may take
    std::string checkDiagnostic;  // what the check says about the file's size
};

void PrintTo(const EndlessCase& c, std::ostream* out) {
    *out << c.label;
}

const std::string kLimitMessage = "file is larger than 1048576 bytes (1 MiB): the rest is not read";
const std::string kRowsMessage = "more than 68 station rows: lines after line 70 are not read";

class EndlessFile : public testing::TestWithParam<EndlessCase> {};

TEST_P(EndlessFile, TheGridLoadStops) {
    EndlessSource source(GetParam().pattern, GetParam().head);
    CurrentTimetableFile current(std::make_unique<BorrowedSource>(source));
    TimetableGrid grid;
    RecordingMessageSink messages;
    EXPECT_TRUE(LoadTimetableGrid(current, grid, messages));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_LE(source.given(), GetParam().mostRead);
}

TEST_P(EndlessFile, TheCheckStopsAndSaysWhy) {
    EndlessSource source(GetParam().pattern, GetParam().head);
    DataCheckResult result;
    CheckTimetableSource(source, 7, Direction::Down, "DownData_07.txt", result);
    EXPECT_LE(source.given(), GetParam().mostRead);
    EXPECT_EQ(result.filesChecked, 1);
    EXPECT_LE(result.diagnostics.size(), kMaxListedProblems + 2);
    const auto said = std::find_if(
        result.diagnostics.begin(), result.diagnostics.end(),
        [](const DataDiagnostic& d) { return d.message == GetParam().checkDiagnostic; });
    EXPECT_NE(said, result.diagnostics.end()) << testing::PrintToString(result.diagnostics.size());
}

constexpr std::uint64_t kAtLimit = kTimetableFileLimit + 1;

INSTANTIATE_TEST_SUITE_P(
    Inputs, EndlessFile,
    testing::Values(EndlessCase{"one_endless_line", "", "0700\t", kAtLimit, kLimitMessage},
                    EndlessCase{"nul_bytes_as_in_a_sparse_file", "", std::string(1, '\0'), kAtLimit,
                                kLimitMessage},
                    EndlessCase{"tabs_only", "", "\t", kAtLimit, kLimitMessage},
                    EndlessCase{"utf16_endless_line", "\xFF\xFE", std::string("7\0\t\0", 4),
                                kAtLimit, kLimitMessage},
                    // Seventy lines end every reader: 70 x 12 bytes and the piece they arrived in.
                    EndlessCase{"endless_lines", "", "0001\t0700\t/\n", 4096, kRowsMessage},
                    EndlessCase{"grid_then_endless_junk",
                                Repeat(Repeat("0700\t", 80) + "/\r\n", 70), "x", 28420 + 4096,
                                kRowsMessage}),
    [](const auto& info) { return std::string(info.param.label); });

// A file of exactly the limit is read whole and is not said to be cut.
TEST(ReadFaults, AFileOfExactlyTheLimitIsNotCut) {
    EndlessSource exact("7", "", kTimetableFileLimit);
    TimetableGrid grid;
    EXPECT_EQ(ReadTimetableSource(exact, grid), SourceLoad::Loaded);
    EXPECT_EQ(exact.given(), kTimetableFileLimit);
    EndlessSource checked("7", "", kTimetableFileLimit);
    DataCheckResult result;
    CheckTimetableSource(checked, 7, Direction::Down, "DownData_07.txt", result);
    for (const DataDiagnostic& d : result.diagnostics) {
        EXPECT_EQ(d.message.find("larger than"), std::string::npos) << d.message;
    }
}

#ifdef __linux__
// A real file that cannot be read at all: the process's own memory at offset 0 gives EIO.
TEST(ReadFaults, ProcSelfMemAsADataFile) {
    DiskFileReader disk;
    const auto source = disk.openSource("/proc/self/mem");
    if (!source) {
        GTEST_SKIP() << "/proc/self/mem cannot be opened here";
    }
    TimetableGrid grid;
    RecordingMessageSink messages;
    CurrentTimetableFile current(disk.openSource("/proc/self/mem"));
    EXPECT_FALSE(LoadTimetableGrid(current, grid, messages));
    EXPECT_EQ(messages.messages, (std::vector<Message>{{u"Read Data File Error", u"Velomar"}}));
    DataCheckResult result;
    CheckTimetableSource(*source, 7, Direction::Down, "DownData_07.txt", result);
    ASSERT_EQ(result.diagnostics.size(), 1u);
    EXPECT_EQ(result.diagnostics[0].message,
              "Read Data File Error: a read failed after 0 bytes; the file is not checked");
    EXPECT_EQ(result.filesChecked, 0);
}
#endif

// A check that finds more problems than it lists says how many more there are.
TEST(ReadFaults, TheCheckListsAHundredProblemsPerFileAndCountsAll) {
    // 70 lines of 80 cells "12345": 5600 cells of the wrong length and more.
    const std::string bytes = Repeat(Repeat("12345\t", 80) + "/\n", 70) + "=";
    DataCheckResult result;
    CheckTimetableFile(bytes, 7, Direction::Down, "DownData_07.txt", result);
    ASSERT_EQ(result.diagnostics.size(), kMaxListedProblems + 1);
    EXPECT_GT(result.problems, 5600);
    EXPECT_EQ(result.diagnostics.back().message,
              std::to_string(result.problems - 100) + " more problems in this file are not listed");
    EXPECT_NE(std::find_if(result.diagnostics.begin(), result.diagnostics.end(),
                           [](const DataDiagnostic& d) {
                               return d.message == "cell '12345' is not four characters";
                           }),
              result.diagnostics.end());
}

}  // namespace
}  // namespace velomar
