#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "support/plain_timetable_reader.h"
#include "support/timetable_text.h"
#include "timetable/file_reader.h"
#include "timetable/text_decoding.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"
#include "timetable/timetable_reader.h"

// The loader reads a file in pieces, decodes each piece and takes well-formed cells whole.
// Whatever the input, it must give the grid, result and messages of the plain path: decode
// the whole file, then ReadTimetableText one character at a time.

namespace velomar {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    bool loaded = false;
    std::vector<Message> messages;
    TimetableGrid grid;
};

Outcome PlainLoad(const std::optional<std::string>& bytes) {
    Outcome out;
    RecordingMessageSink messages;
    // Stale content first: a load must replace all of it.
    out.grid.setCell(5, 5, u"1234");
    out.grid.reset();
    if (bytes) {
        ReadTimetableText(DecodeTimetableText(*bytes), out.grid);
        out.loaded = true;
    } else {
        messages.showMessage(u"Read Data File Error", kAppTitle);
    }
    out.messages = messages.messages;
    return out;
}

Outcome FileLoad(const std::optional<std::string>& bytes) {
    MemoryFileReader files;
    const TimetableDirectory directory(files, "/data");
    if (bytes) {
        files.add(directory.pathOf(7, Direction::Down), *bytes);
    }
    Outcome out;
    out.grid.setCell(5, 5, u"1234");
    RecordingMessageSink messages;
    CurrentTimetableFile current;
    EXPECT_TRUE(OpenTimetableFile(directory, 7, Direction::Down, current, messages));
    out.loaded = LoadTimetableGrid(current, out.grid, messages);
    EXPECT_FALSE(current.has_value()) << "the load closes the file";
    out.messages = messages.messages;
    return out;
}

// Hands out the bytes in pieces of 1 to `largest` bytes, in a fixed irregular pattern, and
// can fail after a given number of bytes.
class ChoppySource : public ByteSource {
  public:
    ChoppySource(std::string bytes, std::size_t largest,
                 std::optional<std::size_t> failAfter = std::nullopt)
        : m_bytes(std::move(bytes)), m_largest(largest), m_failAfter(failAfter) {}
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        if (m_failAfter && m_at >= *m_failAfter) {
            return std::nullopt;
        }
        m_turn = (m_turn * 7 + 3) % 11;
        std::size_t n = std::min({capacity, m_bytes.size() - m_at, 1 + m_turn % m_largest});
        std::copy_n(m_bytes.data() + m_at, n, buffer);
        m_at += n;
        return n;
    }

  private:
    std::string m_bytes;
    std::size_t m_largest;
    std::optional<std::size_t> m_failAfter;
    std::size_t m_at = 0;
    std::size_t m_turn = 0;
};

TimetableGrid ChoppyLoad(const std::string& bytes, std::size_t largest) {
    TimetableGrid grid;
    ChoppySource source(bytes, largest);
    EXPECT_EQ(ReadTimetableSource(source, grid), SourceLoad::Loaded);
    return grid;
}

std::u16string ChoppyDecode(const std::string& bytes, std::size_t piece) {
    TimetableTextDecoder decoder;
    std::u16string out;
    std::string pending;
    std::size_t at = 0;
    bool last = false;
    while (!last) {
        const std::size_t n = std::min(piece, bytes.size() - at);
        pending.append(bytes, at, n);
        at += n;
        last = n == 0;
        std::u16string chars(pending.size() + 1, u'\0');
        const auto step = decoder.decode(pending, last, chars.data());
        out.append(chars.data(), step.written);
        pending.erase(0, step.used);
    }
    return out;
}

// Row and column of the first cell that differs, for a readable failure.
std::string FirstDifference(const TimetableGrid& a, const TimetableGrid& b) {
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            if (a.cell(r, c) != b.cell(r, c)) {
                return "cell (" + std::to_string(r) + ", " + std::to_string(c) + ")";
            }
        }
    }
    return "none";
}

void ExpectSameAsPlain(const std::string& bytes, const std::string& name) {
    SCOPED_TRACE(name);
    const Outcome plain = PlainLoad(bytes);
    const Outcome fast = FileLoad(bytes);
    EXPECT_EQ(fast.loaded, plain.loaded);
    EXPECT_EQ(fast.messages, plain.messages);
    EXPECT_TRUE(fast.grid == plain.grid)
        << "first difference: " << FirstDifference(fast.grid, plain.grid);
    for (std::size_t largest : {1u, 2u, 3u, 5u, 11u}) {
        const TimetableGrid choppy = ChoppyLoad(bytes, largest);
        EXPECT_TRUE(choppy == plain.grid)
            << "pieces up to " << largest
            << " bytes, first difference: " << FirstDifference(choppy, plain.grid);
    }
    for (std::size_t piece : {1u, 2u, 3u, 4u, 7u}) {
        EXPECT_TRUE(ChoppyDecode(bytes, piece) == DecodeTimetableText(bytes))
            << "decoded in pieces of " << piece << " bytes";
    }
    // Text decoded beforehand goes through the same reader.
    TimetableGrid fromText;
    RecordingMessageSink messages;
    CurrentTimetableFile current = DecodeTimetableText(bytes);
    EXPECT_TRUE(LoadTimetableGrid(current, fromText, messages));
    EXPECT_TRUE(fromText == plain.grid) << FirstDifference(fromText, plain.grid);
}

// ctest sets VELOMAR_SOURCE_DIR; by hand, the tests run from the source folder.
fs::path SourceDir() {
    const char* dir = std::getenv("VELOMAR_SOURCE_DIR");
    return dir != nullptr ? fs::path(dir) : fs::current_path();
}

std::string ReadBytes(const fs::path& path) {
    return ReadWholeFile(DiskFileReader(), path).value_or("");
}

TEST(ReaderFastPath, EverySampleFileLoadsAsThePlainReaderLoadsIt) {
    const fs::path folder = SourceDir() / "data" / "TimeData";
    int files = 0;
    for (int r = 0; r < 32; ++r) {
        for (Direction d : {Direction::Up, Direction::Down}) {
            const fs::path path = folder / TimetableFileName(r, d);
            ASSERT_TRUE(fs::is_regular_file(path)) << path;
            ExpectSameAsPlain(ReadBytes(path), path.filename().string());
            ++files;
        }
    }
    EXPECT_EQ(files, 64);
}

TEST(ReaderFastPath, EveryFuzzCorpusFileLoadsAsThePlainReaderLoadsIt) {
    const fs::path folder = SourceDir() / "fuzz" / "corpus";
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        GTEST_SKIP() << "no fuzz corpus at " << folder;
    }
    for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
        if (entry.is_regular_file()) {
            ExpectSameAsPlain(ReadBytes(entry.path()), entry.path().filename().string());
        }
    }
}

struct EdgeCase {
    const char* name;
    std::string bytes;
};

void PrintTo(const EdgeCase& edge, std::ostream* out) {
    *out << edge.name;
}

class ReaderFastPathEdges : public testing::TestWithParam<EdgeCase> {};

TEST_P(ReaderFastPathEdges, MatchesThePlainReader) {
    ExpectSameAsPlain(GetParam().bytes, GetParam().name);
}

using testing_support::Repeat;

INSTANTIATE_TEST_SUITE_P(
    Crafted, ReaderFastPathEdges,
    testing::Values(EdgeCase{"empty_file", ""}, EdgeCase{"end_mark_alone", "="},
                    EdgeCase{"two_lines", "TYPE\t0002\t/\r\nNUMB\t0101\t/\r\n0001\t0700\t/\r\n="},
                    // One to three characters, then TAB: the "9999" completes the cell.
                    EdgeCase{"short_cells", "1\t22\t333\t4444\t/\n7\t/\n="},
                    EdgeCase{"tab_fill", "\t\t0700\t\t\t/\n\t/\n="},
                    EdgeCase{"cell_then_slash_keeps_after_data", "0001\t0700/\n\t0800\t/\n="},
                    // A whole cell clears afterData, so the TAB after it stands for an empty cell.
                    EdgeCase{"whole_cell_after_slash_then_empty_cell", "0001/\n0700\t\t0800\t/\n="},
                    EdgeCase{"end_mark_mid_cell", "0001\t07=00\t/\n0002\t/\n="},
                    EdgeCase{"end_mark_mid_line", "0001\t0700\t=\t0800\t/\n="},
                    EdgeCase{"nothing_after_slash", "0001\t/"},
                    EdgeCase{"digit_after_slash", "0001\t/70000\t/\n="},
                    EdgeCase{"tab_after_slash", "0001\t/\t0700\t/\n="},
                    EdgeCase{"slash_mid_cell", "07/\n0800\t/\n="},
                    EdgeCase{"long_cell_splits", "0123456789\t/\n="},
                    EdgeCase{"bare_cr_and_lf", "0001\t/\r0700\t/\n\r\n0800\t/\r\r\n="},
                    EdgeCase{"no_end_mark", "0001\t0700\t/\n0002\t08"},
                    EdgeCase{"text_after_end_mark", "0001\t/\n=0700\t/\n"},
                    EdgeCase{"over_long_line", Repeat("0700\t", 120) + "/\n0001\t/\n="},
                    EdgeCase{"over_long_line_of_short_cells", Repeat("7\t", 200) + "/\n="},
                    EdgeCase{"more_than_70_lines", Repeat("0001\t0700\t/\r\n", 90) + "="},
                    EdgeCase{"more_than_70_lines_no_end", Repeat("\t0700\t/\n", 75)},
                    EdgeCase{"utf8_bom",
                             "\xEF\xBB\xBF"
                             "0001\t0700\t/\r\n="},
                    EdgeCase{"utf16le_bom", std::string("\xFF\xFE"
                                                        "0\0"
                                                        "7\0"
                                                        "0\0"
                                                        "0\0"
                                                        "\t\0"
                                                        "/\0"
                                                        "\r\0"
                                                        "\n\0"
                                                        "=\0",
                                                        20)},
                    EdgeCase{"utf16be_odd_byte", std::string("\xFE\xFF\0"
                                                             "0\0"
                                                             "7\0"
                                                             "1\0"
                                                             "5\0\t\0=\0",
                                                             15)},
                    EdgeCase{"korean_and_bad_bytes",
                             "서울\t\xE2\x82\t\xFF"
                             "0700\t\xF0\x9F\x98\x80/\n="},
                    EdgeCase{"multibyte_cell_characters", "가나다라\t마바사아\t/\n="},
                    EdgeCase{"lone_bom_start", "\xEF\xBB"},
                    EdgeCase{"cr_at_the_very_end", "0001\t0700\t/\n0800\r"}),
    [](const testing::TestParamInfo<EdgeCase>& info) { return std::string(info.param.name); });

TEST(ReaderFastPath, AFileThatCannotBeOpenedIsReportedLikeThePlainPath) {
    const Outcome plain = PlainLoad(std::nullopt);
    const Outcome fast = FileLoad(std::nullopt);
    EXPECT_FALSE(fast.loaded);
    EXPECT_EQ(fast.messages, plain.messages);
    EXPECT_TRUE(fast.grid == TimetableGrid());
}

// A read that fails part-way is what a whole-file read would have reported as a file that
// cannot be read: no grid content, "Read Data File Error", failure.
TEST(ReaderFastPath, AReadErrorPartWayLeavesAnEmptyGridAndFails) {
    TimetableGrid grid;
    RecordingMessageSink messages;
    CurrentTimetableFile current(
        std::make_unique<ChoppySource>(Repeat("0001\t0700\t/\n", 30) + "=", 5, std::size_t{100}));
    EXPECT_FALSE(LoadTimetableGrid(current, grid, messages));
    EXPECT_FALSE(current.has_value());
    EXPECT_TRUE(grid == TimetableGrid()) << FirstDifference(grid, TimetableGrid());
    EXPECT_EQ(messages.messages, (std::vector<Message>{{u"Read Data File Error", u"Velomar"}}));
}

// Sources end at the end mark: nothing after it is asked for.
TEST(ReaderFastPath, ReadingStopsAtTheEndMark) {
    TimetableGrid grid;
    // Fails on any read after the first 12 bytes, which hold the end mark.
    ChoppySource source("0001\t0700\t/\n=" + Repeat("x", 10000), 64, std::size_t{12});
    EXPECT_EQ(ReadTimetableSource(source, grid), SourceLoad::Loaded);
    EXPECT_EQ(grid.cell(0, 1), u"0700");
}

}  // namespace
}  // namespace velomar

namespace velomar {
namespace {

// The reset after a load rewrites only the cells that load wrote; the next file must still
// find every other cell "9999".
TEST(ReaderFastPath, ASmallFileAfterAFullOneLeavesNothingOfIt) {
    MemoryFileReader files;
    const TimetableDirectory directory(files, "/data");
    files.add(directory.pathOf(0, Direction::Up), Repeat(Repeat("1234\t", 85) + "/\n", 75) + "=");
    files.add(directory.pathOf(1, Direction::Up), "0001\t\t0700\t/\n=");
    TimetableGrid grid;
    RecordingMessageSink messages;
    CurrentTimetableFile current;
    for (int route : {0, 1}) {
        ASSERT_TRUE(OpenTimetableFile(directory, route, Direction::Up, current, messages));
        ASSERT_TRUE(LoadTimetableGrid(current, grid, messages));
    }
    EXPECT_EQ(grid.cell(69, 79), kNoTime);
    const Outcome plain = PlainLoad("0001\t\t0700\t/\n=");
    EXPECT_TRUE(grid == plain.grid) << FirstDifference(grid, plain.grid);
}

}  // namespace
}  // namespace velomar
