#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "support/plain_timetable_reader.h"
#include "timetable/data_check.h"
#include "timetable/file_reader.h"
#include "timetable/text_decoding.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"
#include "timetable/train_codes.h"
#include "tools/timetable_generator.h"

namespace velomar {
namespace {

std::filesystem::path shippedFolder() {
    const char* source = std::getenv("VELOMAR_SOURCE_DIR");
    return std::filesystem::path(source ? source : ".") / "data" / "TimeData";
}

struct Train {
    std::u16string code;
    std::u16string number;
    std::map<std::u16string, std::u16string> times;  // station code -> cell (last row wins)
    std::vector<std::u16string> cells;               // in row order, "9999" included
};

// The trains of one shipped file, as the program's reader loads them.
std::vector<Train> trainsOf(int route, Direction direction) {
    DiskFileReader reader;
    const auto bytes = ReadWholeFile(reader, shippedFolder() / TimetableFileName(route, direction));
    EXPECT_TRUE(bytes.has_value());
    TimetableGrid grid;
    ReadTimetableText(DecodeTimetableText(bytes.value_or("=")), grid);
    std::vector<Train> trains;
    for (int c = 1; c < kGridColumns; ++c) {
        if (grid.cell(1, c) == kNoTime) {
            continue;
        }
        Train train{std::u16string(grid.cell(0, c)), std::u16string(grid.cell(1, c)), {}, {}};
        for (int r = 2; r < kGridRows; ++r) {
            train.cells.emplace_back(grid.cell(r, c));
            if (grid.cell(r, c) != kNoTime) {
                train.times[std::u16string(grid.cell(r, 0))] = grid.cell(r, c);
            }
        }
        trains.push_back(std::move(train));
    }
    return trains;
}

int minutes(std::u16string_view cell) {
    const int hour =
        cell[0] == u'3' ? 24 + (cell[1] - u'0') : (cell[0] - u'0') * 10 + (cell[1] - u'0');
    return hour * 60 + (cell[2] - u'0') * 10 + (cell[3] - u'0');
}

// Running times from one station to another of the trains of a type that serve both.
std::vector<int> runningTimes(int route, Direction direction, std::u16string_view type,
                              std::u16string_view from, std::u16string_view to) {
    std::vector<int> out;
    for (const Train& train : trainsOf(route, direction)) {
        if (TrainTypeOf(train.code) != type || !train.times.contains(std::u16string(from)) ||
            !train.times.contains(std::u16string(to))) {
            continue;
        }
        out.push_back(minutes(train.times.at(std::u16string(to))) -
                      minutes(train.times.at(std::u16string(from))));
    }
    return out;
}

TEST(SampleTimetables, RegeneratingGivesTheShippedFilesByteForByte) {
    const std::vector<tools::GeneratedFile> files = tools::GenerateTimetables();
    ASSERT_EQ(files.size(), 64u);
    DiskFileReader reader;
    for (const tools::GeneratedFile& file : files) {
        const auto shipped = ReadWholeFile(reader, shippedFolder() / file.name);
        ASSERT_TRUE(shipped.has_value()) << file.name;
        EXPECT_TRUE(*shipped == file.bytes)
            << file.name << " differs; rerun velomar-generate-timetables data/TimeData";
    }
    EXPECT_EQ(files.front().name, "UpData_00.txt");
    EXPECT_EQ(files.back().name, "DownData_31.txt");
}

TEST(SampleTimetables, GenerationIsRepeatable) {
    const auto a = tools::GenerateTimetables();
    const auto b = tools::GenerateTimetables();
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_TRUE(a[i].bytes == b[i].bytes) << a[i].name;
    }
}

TEST(SampleTimetables, ShippedSetChecksClean) {
    const DataCheckResult result = CheckTimetableData(DiskFileReader(), shippedFolder());
    EXPECT_EQ(result.filesChecked, 64);
    for (const DataDiagnostic& d : result.diagnostics) {
        ADD_FAILURE() << d.file << ":" << d.line << ":" << d.column << ": " << d.message;
    }
}

TEST(SampleTimetables, KtxSeoulToBusanTakesTwoFortyToThreeHours) {
    const auto down = runningTimes(16, Direction::Down, u"KTX", u"0001", u"0020");
    const auto up = runningTimes(16, Direction::Up, u"KTX", u"0020", u"0001");
    ASSERT_GE(down.size(), 40u);
    ASSERT_GE(up.size(), 40u);
    for (int t : down) {
        EXPECT_TRUE(t >= 160 && t <= 180) << t;
    }
    for (int t : up) {
        EXPECT_TRUE(t >= 160 && t <= 180) << t;
    }
}

TEST(SampleTimetables, ConventionalSeoulToBusanMatchesTheType) {
    const auto mugunghwa = runningTimes(0, Direction::Down, u"무궁화", u"0001", u"0020");
    ASSERT_GE(mugunghwa.size(), 5u);
    for (int t : mugunghwa) {
        EXPECT_TRUE(t >= 300 && t <= 340) << t;
    }
    const auto saemaeul = runningTimes(0, Direction::Up, u"새마을", u"0020", u"0001");
    ASSERT_GE(saemaeul.size(), 5u);
    for (int t : saemaeul) {
        EXPECT_TRUE(t >= 270 && t <= 300) << t;
    }
}

TEST(SampleTimetables, EveryTrainCodeAppearsAndFilesStayWithinLimits) {
    std::set<std::u16string> codes;
    for (Direction direction : {Direction::Up, Direction::Down}) {
        for (int route = 0; route < 32; ++route) {
            const auto trains = trainsOf(route, direction);
            EXPECT_GE(trains.size(), 1u) << route;
            EXPECT_LE(trains.size(), 79u) << route;
            for (const Train& train : trains) {
                codes.insert(train.code);
                // Odd numbers away from 서울 (Down files), even towards it.
                const int number = std::stoi(std::string(train.number.begin(), train.number.end()));
                EXPECT_EQ(number % 2, direction == Direction::Down ? 1 : 0) << number;
            }
        }
    }
    for (const TrainCodeInfo& info : kTrainCodes) {
        EXPECT_TRUE(codes.contains(std::u16string(info.code)))
            << std::string(info.code.begin(), info.code.end());
    }
}

TEST(SampleTimetables, SpecialCasesForTheSearchAreThere) {
    // A through train listed in its line's file too, with the same times.
    const auto line = trainsOf(0, Direction::Down);
    const auto through = trainsOf(18, Direction::Down);
    bool shared = false;
    for (const Train& t : through) {
        for (const Train& l : line) {
            if (t.number == l.number) {
                shared = true;
                EXPECT_EQ(t.code, l.code);
                for (const auto& [station, time] : l.times) {
                    EXPECT_EQ(t.times.at(station), time);
                }
            }
        }
    }
    EXPECT_TRUE(shared);

    // A 새마을 and a KTX leave 서울 at the same minute.
    bool sameMinute = false;
    for (const Train& k : trainsOf(16, Direction::Down)) {
        for (const Train& s : line) {
            sameMinute = sameMinute || (k.times.contains(u"0001") && s.times.contains(u"0001") &&
                                        k.times.at(u"0001") == s.times.at(u"0001"));
        }
    }
    EXPECT_TRUE(sameMinute);

    // The last KTX of the day arrives after midnight.
    bool afterMidnight = false;
    for (const Train& k : trainsOf(16, Direction::Down)) {
        afterMidnight = afterMidnight || k.times.at(u"0020")[0] == u'3';
    }
    EXPECT_TRUE(afterMidnight);

    // Route 27 lists 순천 in two rows (29 and 30 in Down order); a train has both times.
    const auto route27 = trainsOf(27, Direction::Down);
    ASSERT_FALSE(route27.empty());
    EXPECT_NE(route27.front().cells[29], kNoTime);
    EXPECT_LT(route27.front().cells[29], route27.front().cells[30]);

    // Both 누리로 codes on route 28, 통일호 on route 7.
    std::set<std::u16string> nuriro;
    for (const Train& t : trainsOf(28, Direction::Up)) {
        nuriro.insert(t.code);
    }
    EXPECT_EQ(nuriro, (std::set<std::u16string>{u"0004", u"0014"}));
    EXPECT_EQ(trainsOf(7, Direction::Down).front().code, u"0003");
}

}  // namespace
}  // namespace velomar
