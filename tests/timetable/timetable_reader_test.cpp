#include <gtest/gtest.h>

#include <string>

#include "platform/message_sink.h"
#include "support/plain_timetable_reader.h"
#include "timetable/file_reader.h"
#include "timetable/text_decoding.h"
#include "timetable/time_text.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {
namespace {

TimetableGrid load(std::u16string_view text) {
    TimetableGrid grid;
    ReadTimetableText(text, grid);
    return grid;
}

// Cells that are not "9999", as "row,col=text" in row-major order.
std::string filled(const TimetableGrid& grid) {
    std::string out;
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            const auto cell = grid.cell(r, c);
            if (cell == kNoTime) {
                continue;
            }
            // Appended piece by piece: GCC 12 warns (-Wrestrict, a false positive) about
            // `"literal" + std::string&&` in optimised builds.
            if (!out.empty()) {
                out += ' ';
            }
            out += std::to_string(r) + "," + std::to_string(c) + "=";
            for (char16_t ch : cell) {
                out += ch < 0x80 ? static_cast<char>(ch) : '?';
            }
        }
    }
    return out;
}

struct ReaderCase {
    const char* label;
    std::u16string_view text;
    std::string expected;
};

class Reader : public testing::TestWithParam<ReaderCase> {};

TEST_P(Reader, FillsTheGrid) {
    EXPECT_EQ(filled(load(GetParam().text)), GetParam().expected);
}

// "\t" ends a cell, "/" plus one character ends a line, "=" ends the file.
INSTANTIATE_TEST_SUITE_P(
    Format, Reader,
    testing::Values(
        ReaderCase{"end_mark_alone", u"=", ""},
        ReaderCase{"two_lines", u"XXXX\t0002\t/\n0001\t0700\t/\n=",
                   "0,0=XXXX 0,1=0002 1,0=0001 1,1=0700"},
        // Two TABs after a complete cell: one empty cell between.
        ReaderCase{"empty_cell_between", u"0001\t\t0702\t/\n=", "0,0=0001 0,2=0702"},
        ReaderCase{"leading_tab_is_empty_cell_0_0", u"\t0700\t/\n=", "0,1=0700"},
        // Cell directly followed by "/": afterData stays set, so the next line's leading TAB
        // only ends that state and stores nothing.
        ReaderCase{"tab_after_slash_line", u"0001\t0700/\n\t0800\t/\n=",
                   "0,0=0001 0,1=0700 1,0=0800"},
        ReaderCase{"char_after_slash_discarded_digit", u"1111/92222\t/\n=", "0,0=1111 1,0=2222"},
        ReaderCase{"char_after_slash_discarded_tab", u"1111\t/\t2222\t/\n=", "0,0=1111 1,0=2222"},
        ReaderCase{"end_mark_mid_line", u"0001\t0700\t07=15\t0800\t/\n0002\t/\n=",
                   "0,0=0001 0,1=0700"},
        ReaderCase{"shorter_line_keeps_rest_empty", u"1111\t2222\t3333\t/\n4444\t/\n=",
                   "0,0=1111 0,1=2222 0,2=3333 1,0=4444"},
        ReaderCase{"long_cell_split_after_four", u"1234567\t/\n=", "0,0=1234"},
        ReaderCase{"long_cell_rest_begins_next", u"12345678\t/\n=", "0,0=1234 0,1=5678"},
        ReaderCase{"short_cell_completed_after_tab", u"12\t34\t/\n=", "0,0=1234"},
        ReaderCase{"slash_in_cell_drops_it", u"12/\n3456\t/\n=", "1,0=3456"},
        // Bounded choices for input that would not fit.
        ReaderCase{"end_of_text_acts_as_end_mark", u"1111\t2222", "0,0=1111 0,1=2222"},
        ReaderCase{"end_right_after_slash", u"1111\t/", "0,0=1111"},
        // A lone TAB after an unfinished cell completes it with "9999" and the rest of the
        // nines start the next cell.
        ReaderCase{"lone_tab_after_partial_cell", u"12\t\t5678\t/\n=", "0,0=1299 0,1=9956"},
        ReaderCase{"lone_tab_after_three_chars", u"123\t\t/\n=", "0,0=1239"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Reader, IgnoresLinesBeyondRow69AndCellsBeyondColumn79) {
    std::u16string text;
    for (int r = 0; r < 75; ++r) {
        for (int c = 0; c < 85; ++c) {
            text += u"1234\t";
        }
        text += u"/\n";
    }
    text += u"=";
    const TimetableGrid grid = load(text);
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            ASSERT_EQ(grid.cell(r, c), u"1234") << r << "," << c;
        }
    }
}

TEST(Reader, NoEndMarkAndNoLineBreaksStaysBounded) {
    // 100 000 characters with no TAB, "/" or "=": one endless line of cells.
    const std::u16string text(100000, u'7');
    const TimetableGrid grid = load(text);
    EXPECT_EQ(grid.cell(0, 79), u"7777");
    EXPECT_EQ(grid.cell(1, 0), kNoTime);
}

TEST(Reader, TabsOnlyFillNothingBeyondTheLine) {
    const std::u16string text(1000, u'\t');
    EXPECT_EQ(filled(load(text)), "");
}

TEST(LoadTimetableGrid, WithoutAnOpenFileReportsAndClearsTheGrid) {
    TimetableGrid grid;
    grid.setCell(5, 5, u"1234");
    CurrentTimetableFile none;
    RecordingMessageSink messages;
    EXPECT_FALSE(LoadTimetableGrid(none, grid, messages));
    EXPECT_EQ(filled(grid), "");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0], (Message{u"Read Data File Error", u"Velomar"}));
}

TEST(LoadTimetableGrid, SecondLoadLeavesNothingOfTheFirst) {
    MemoryFileReader files;
    files.add("/base/TimeData/UpData_00.txt", "AAAA\tBBBB\tCCCC\t/\n0001\t0600\t0700\t/\n=");
    files.add("/base/TimeData/DownData_05.txt", "0015\t/\n=");
    const TimetableDirectory directory(files, "/base");
    TimetableGrid grid;
    RecordingMessageSink messages;
    CurrentTimetableFile current;

    ASSERT_TRUE(OpenTimetableFile(directory, 0, Direction::Up, current, messages));
    ASSERT_TRUE(LoadTimetableGrid(current, grid, messages));
    EXPECT_EQ(grid.cell(1, 2), u"0700");
    EXPECT_FALSE(current.has_value()) << "the load closes the file";

    ASSERT_TRUE(OpenTimetableFile(directory, 5, Direction::Down, current, messages));
    ASSERT_TRUE(LoadTimetableGrid(current, grid, messages));
    EXPECT_EQ(filled(grid), "0,0=0015");
    EXPECT_TRUE(messages.messages.empty());
}

TEST(OpenTimetableFile, RouteOutsideTheTableFailsWithTheDirectionsMessage) {
    MemoryFileReader files;
    const TimetableDirectory directory(files, "/base");
    RecordingMessageSink messages;
    CurrentTimetableFile current = std::u16string(u"stale");
    EXPECT_FALSE(OpenTimetableFile(directory, 32, Direction::Up, current, messages));
    EXPECT_FALSE(current.has_value());
    EXPECT_FALSE(OpenTimetableFile(directory, -1, Direction::Down, current, messages));
    const std::vector<Message> expected = {{u"[UP] 데이터 파일이 없습니다.", u"Info"},
                                           {u"[DOWN] 데이터 파일이 없습니다.", u"Info"}};
    EXPECT_EQ(messages.messages, expected);
}

TEST(OpenTimetableFile, MissingFileSucceedsWithNoCurrentFile) {
    MemoryFileReader files;
    const TimetableDirectory directory(files, "/base");
    RecordingMessageSink messages;
    CurrentTimetableFile current;
    EXPECT_TRUE(OpenTimetableFile(directory, 3, Direction::Down, current, messages));
    EXPECT_FALSE(current.has_value());
    EXPECT_TRUE(messages.messages.empty());
}

TEST(TimetablePath, NamesFilesByRouteAndDirection) {
    MemoryFileReader files;
    const TimetableDirectory directory(files, "/opt/velomar");
    EXPECT_EQ(directory.pathOf(0, Direction::Up), "/opt/velomar/TimeData/UpData_00.txt");
    EXPECT_EQ(directory.pathOf(31, Direction::Down), "/opt/velomar/TimeData/DownData_31.txt");
    EXPECT_EQ(TimetableFileName(5, Direction::Down), "DownData_05.txt");
}

TEST(RouteCode, NamesUpAndDownFiles) {
    EXPECT_EQ(RouteCode::of(7, Direction::Up).value(), 7);
    EXPECT_EQ(RouteCode::of(7, Direction::Down).value(), 107);
    EXPECT_EQ(RouteCode(131).route(), 31);
    EXPECT_EQ(RouteCode(131).direction(), Direction::Down);
    for (int bad : {-1, 32, 55, 99, 132}) {
        EXPECT_FALSE(RouteCode(bad).names_file()) << bad;
    }
    EXPECT_TRUE(RouteCode(100).names_file());
}

TEST(DisplayTime, TurnsAfterMidnightTimesIntoClockTimes) {
    const std::pair<std::u16string_view, std::u16string_view> cases[] = {{u"2359", u"2359"},
                                                                         {u"2999", u"2999"},
                                                                         {u"3000", u"0000"},
                                                                         {u"3015", u"0015"},
                                                                         {u"0000", u"0000"}};
    for (auto [cell, shown] : cases) {
        EXPECT_EQ(DisplayTime(cell), shown);
    }
    EXPECT_EQ(FormatClock(u"0735"), u"07:35");
    EXPECT_EQ(FormatClock(u"1902"), u"19:02");
}

}  // namespace
}  // namespace velomar
