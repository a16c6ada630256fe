#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "timetable/data_check.h"
#include "timetable/file_reader.h"

namespace velomar {
namespace {

// Route 6 (경의선) has four stations: 문산 0401, 운천 0733, 임진강 0402, 도라산 0403.
// A clean Down file with two trains; lines 3-6 are the stations:
//
//   TYPE  0000  0003
//   NUMB  1201  1901
//   0401  1000  1100
//   0733  1005  9999
//   0402  1010  1110
//   0403  1020  1120
std::string file(const std::vector<std::string>& lines, bool endMark = true) {
    std::string out;
    for (const std::string& line : lines) {
        out += line + "/\r\n";
    }
    return out + (endMark ? "=" : "");
}

std::vector<std::string> cleanLines() {
    return {"TYPE\t0000\t0003\t", "NUMB\t1201\t1901\t", "0401\t1000\t1100\t",
            "0733\t1005\t9999\t", "0402\t1010\t1110\t", "0403\t1020\t1120\t"};
}

// Diagnostics as "LINE:COLUMN: MESSAGE".
std::vector<std::string> check(const std::string& bytes, Direction direction = Direction::Down) {
    DataCheckResult result;
    CheckTimetableFile(bytes, 6, direction, "DownData_06.txt", result);
    std::vector<std::string> out;
    for (const DataDiagnostic& d : result.diagnostics) {
        EXPECT_EQ(d.file, "DownData_06.txt");
        out.push_back(std::to_string(d.line) + ":" + std::to_string(d.column) + ": " + d.message);
    }
    return out;
}

struct BrokenCase {
    const char* label;
    std::string bytes;
    std::vector<std::string> expected;  // position and a part of each message, in order
};

class BrokenFile : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFile, IsReportedWhereItIs) {
    const std::vector<std::string> found = check(GetParam().bytes);
    ASSERT_EQ(found.size(), GetParam().expected.size()) << testing::PrintToString(found);
    for (std::size_t i = 0; i < found.size(); ++i) {
        const std::string& want = GetParam().expected[i];
        const std::string position = want.substr(0, want.find(' ') + 1);
        EXPECT_TRUE(found[i].starts_with(position)) << found[i] << " / " << want;
        EXPECT_NE(found[i].find(want.substr(position.size())), std::string::npos)
            << found[i] << " / " << want;
    }
}

std::vector<std::string> with(std::size_t index, std::string line) {
    std::vector<std::string> lines = cleanLines();
    lines[index] = std::move(line);
    return lines;
}

std::string wideFile(std::size_t trains) {
    std::vector<std::string> lines = cleanLines();
    for (std::size_t i = 2; i < trains; ++i) {
        lines[0] += "0000\t";
        lines[1] += std::to_string(2000 + i) + "\t";
        lines[2] += "1200\t";
        lines[5] += "1230\t";
    }
    return file(lines);
}

std::string tallFile() {
    std::vector<std::string> lines = cleanLines();
    for (int i = 0; i < 65; ++i) {
        lines.push_back("0403\t9999\t9999\t");
    }
    return file(lines);
}

INSTANTIATE_TEST_SUITE_P(
    Data, BrokenFile,
    testing::Values(
        BrokenCase{"clean", file(cleanLines()), {}},
        BrokenCase{"after_midnight_counts_as_later",
                   file({"TYPE\t0000\t", "NUMB\t1201\t", "0401\t2350\t", "0733\t3005\t",
                         "0402\t3010\t", "0403\t3020\t"}),
                   {}},
        BrokenCase{"no_end_mark", file(cleanLines(), false), {"7:0: end mark '=' is missing"}},
        BrokenCase{
            "cell_not_a_time", file(with(3, "0733\t10a5\t9999\t")), {"4:2: '10a5' is not a time"}},
        BrokenCase{"hour_out_of_range",
                   file(with(3, "0733\t2405\t9999\t")),
                   {"4:2: '2405' is not a time"}},
        BrokenCase{"short_cell",
                   file(with(3, "0733\t105\t9999\t")),
                   {"4:2: '105' is not four characters"}},
        BrokenCase{"unknown_station",
                   file(with(3, "0999\t1005\t9999\t")),
                   {"0:0: 운천 (0733) of route 6 (경의선) has no row",
                    "4:1: unknown station code '0999'"}},
        BrokenCase{"station_off_route",
                   file(with(3, "0001\t1005\t9999\t")),
                   {"0:0: 운천 (0733)", "4:1: 서울 (0001) is not on route 6"}},
        BrokenCase{"rows_out_of_order",
                   file({"TYPE\t0000\t", "NUMB\t1201\t", "0401\t1000\t", "0402\t1010\t",
                         "0733\t1015\t", "0403\t1020\t"}),
                   {"5:1: 운천 (0733) is out of the route's order for a Down file"}},
        BrokenCase{"time_goes_back",
                   file(with(4, "0402\t1003\t1110\t")),
                   {"5:2: train 1201 goes back in time: 1003 after 1005 on line 4"}},
        BrokenCase{"unknown_train_code",
                   file(with(0, "TYPE\t0005\t0003\t")),
                   {"1:2: unknown train code '0005'"}},
        BrokenCase{"train_without_times",
                   file({"TYPE\t0000\t0001\t", "NUMB\t1201\t1001\t", "0401\t1000\t", "0733\t1005\t",
                         "0402\t1010\t", "0403\t1020\t"}),
                   {"2:3: train 1001 has no times"}},
        BrokenCase{"duplicate_number",
                   file(with(1, "NUMB\t1201\t1201\t")),
                   {"2:3: train number '1201' is also in cell 2"}},
        BrokenCase{"bad_number",
                   file(with(1, "NUMB\t12x1\t1901\t")),
                   {"2:2: train number '12x1' is not four digits"}},
        BrokenCase{"label_is_a_station_code",
                   file(with(1, "0401\t1201\t1901\t")),
                   {"2:1: row label '0401' is a station code"}},
        BrokenCase{"slash_without_line_break",
                   "TYPE\t0000\t/XNUMB\t1201\t/\r\n=",
                   {"0:0: 문산", "0:0:", "0:0:", "0:0:", "1:0: '/' is not followed by a line break",
                    "2:2: train 1201 has no times"}},
        BrokenCase{"line_break_without_slash",
                   file(with(2, "0401\t1000\t1100\t\n")),
                   {"3:0: line break without '/'", "4:1: unknown station code '9999'"}},
        BrokenCase{"eighty_trains", wideFile(80), {"1:81: more than 79 trains"}},
        BrokenCase{"seventy_nine_trains_fit", wideFile(79), {}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DataCheck, MoreThanSixtyEightStationRowsIsReported) {
    const std::vector<std::string> found = check(tallFile());
    EXPECT_NE(std::find(found.begin(), found.end(),
                        "71:0: more than 68 station rows: lines after line 70 are not read"),
              found.end())
        << testing::PrintToString(found);
}

TEST(DataCheck, AnUpFileMustListTheStationsInReverse) {
    const std::vector<std::string> found = check(file(cleanLines()), Direction::Up);
    ASSERT_FALSE(found.empty());
    EXPECT_NE(found.back().find("out of the route's order for an Up file"), std::string::npos)
        << testing::PrintToString(found);
}

TEST(DataCheck, AcceptsUtf16WithByteOrderMark) {
    const std::string ascii = file(cleanLines());
    std::string utf16 = "\xFF\xFE";
    for (char ch : ascii) {
        utf16 += ch;
        utf16 += '\0';
    }
    EXPECT_EQ(check(utf16), std::vector<std::string>{});
}

TEST(DataCheck, ReportsMissingFilesAndCountsTrains) {
    MemoryFileReader reader;
    reader.add("data/TimeData/DownData_06.txt", file(cleanLines()));
    const DataCheckResult result = CheckTimetableData(reader, "data/TimeData");
    EXPECT_EQ(result.filesChecked, 1);
    EXPECT_EQ(result.trains, 2);
    ASSERT_EQ(result.diagnostics.size(), 63u);
    EXPECT_EQ(result.diagnostics.front(),
              (DataDiagnostic{"UpData_00.txt", 0, 0, "file is missing or cannot be read"}));
    EXPECT_EQ(result.diagnostics.back().file, "DownData_31.txt");
}

// Diagnostics about sheets and dates, as "FILE:LINE: MESSAGE".
std::vector<std::string> setProblems(const std::map<std::string, std::string>& files) {
    MemoryFileReader reader;
    for (const auto& [name, bytes] : files) {
        reader.add("data/TimeData/" + name, bytes);
    }
    std::vector<std::string> out;
    for (const DataDiagnostic& d : CheckTimetableData(reader, "data/TimeData").diagnostics) {
        if (d.file.starts_with("DownData_06") || d.file == "Dates.txt") {
            out.push_back(d.file + ":" + std::to_string(d.line) + ": " + d.message);
        }
    }
    return out;
}

TEST(DataCheck, SheetsAreCheckedAsFilesUpToTheFirstOneMissing) {
    const std::string clean = file(cleanLines());
    std::vector<std::string> broken = cleanLines();
    broken[3] = "0733\t0955\t9999\t";  // backwards
    const auto found = setProblems({{"DownData_06.txt", clean},
                                    {"DownData_06.2.txt", file(broken)},
                                    {"DownData_06.4.txt", clean}});
    ASSERT_EQ(found.size(), 2u) << testing::PrintToString(found);
    EXPECT_NE(found[0].find("DownData_06.2.txt:4: train 1201 goes back in time"),
              std::string::npos);
    EXPECT_EQ(found[1],
              "DownData_06.4.txt:0: sheet 4 is not read: a sheet before it is missing, and "
              "sheets are read up to the first one missing");
}

TEST(DataCheck, DatesAreCheckedAgainstTheSheets) {
    const std::string clean = file(cleanLines());
    const std::string head = "velomar-dates 1\nperiod 20251201 20251231\n";
    EXPECT_EQ(setProblems({{"DownData_06.txt", clean},
                           {"Dates.txt", head + "pattern 1 1111100 20251201 20251231\n"
                                                "DownData_06.txt 1 * 1\n"
                                                "DownData_06.2.txt *\n"}}),
              (std::vector<std::string>{
                  "Dates.txt:4: DownData_06.txt gives days for 3 columns, but has 2 trains",
                  "Dates.txt:5: DownData_06.2.txt is no sheet that is read; its dates are not "
                  "used"}));
    EXPECT_EQ(setProblems({{"DownData_06.txt", clean},
                           {"Dates.txt", head + "pattern 1 1111100 20251201 20260101\n"}}),
              std::vector<std::string>{"Dates.txt:3: 20260101 lies outside the period"});
}

}  // namespace
}  // namespace velomar
