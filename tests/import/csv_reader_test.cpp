#include <gtest/gtest.h>

#include "import/csv_reader.h"
#include "support/file_faults.h"

namespace velomar {
namespace {

// Hands out its bytes a few at a time, so records cross the reader's pieces.
class TrickleSource : public ByteSource {
  public:
    TrickleSource(std::string bytes, std::size_t step, bool failAtEnd = false)
        : m_bytes(std::move(bytes)), m_step(step), m_failAtEnd(failAtEnd) {}
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        if (m_at == m_bytes.size() && m_failAtEnd) {
            return std::nullopt;
        }
        const std::size_t n = std::min({capacity, m_step, m_bytes.size() - m_at});
        std::copy_n(m_bytes.data() + m_at, n, buffer);
        m_at += n;
        return n;
    }
    std::string failure() const override { return m_failAtEnd ? "CRC error" : ""; }

  private:
    std::string m_bytes;
    std::size_t m_step;
    bool m_failAtEnd;
    std::size_t m_at = 0;
};

struct Records {
    std::vector<std::vector<std::string>> rows;
    std::vector<long> lines;
    std::string error;
};

Records ReadAll(const std::string& text, std::size_t step = 3, bool failAtEnd = false) {
    CsvReader reader(std::make_unique<TrickleSource>(text, step, failAtEnd), "x.txt");
    Records out;
    while (reader.next()) {
        std::vector<std::string> row;
        for (std::size_t i = 0; i < reader.size(); ++i) {
            row.emplace_back(reader.field(i));
        }
        out.rows.push_back(std::move(row));
        out.lines.push_back(reader.line());
    }
    out.error = reader.error();
    return out;
}

using Rows = std::vector<std::vector<std::string>>;

struct CsvCase {
    const char* why;
    std::string text;
    Rows rows;
};

class CsvReaderTest : public ::testing::TestWithParam<CsvCase> {};

TEST_P(CsvReaderTest, ReadsRecords) {
    for (std::size_t step : {1u, 2u, 7u, 4096u}) {
        const Records r = ReadAll(GetParam().text, step);
        EXPECT_EQ(r.error, "") << GetParam().why;
        EXPECT_EQ(r.rows, GetParam().rows) << GetParam().why << ", pieces of " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CsvReaderTest,
    ::testing::Values(
        CsvCase{"plain LF", "a,b\n1,2\n", {{"a", "b"}, {"1", "2"}}},
        CsvCase{"CR LF and no line end at the end", "a,b\r\n1,2", {{"a", "b"}, {"1", "2"}}},
        CsvCase{"a byte order mark is not part of the first field",
                "\xEF\xBB\xBFstop_id,x\n",
                {{"stop_id", "x"}}},
        CsvCase{"quotes around commas, doubled quotes and line breaks",
                "\"서울, 본역\",\"say \"\"hi\"\"\",\"two\r\nlines\"\n",
                {{"서울, 본역", "say \"hi\"", "two\r\nlines"}}},
        CsvCase{"empty fields and a trailing comma", ",,\nx,\n", {{"", "", ""}, {"x", ""}}},
        CsvCase{"empty lines are skipped", "a\n\n\r\nb\n", {{"a"}, {"b"}}},
        CsvCase{"a quote inside an unquoted field is kept", "ab\"c\n", {{"ab\"c"}}}));

TEST(CsvReader, NumbersRecordsByTheLineTheyStartOn) {
    const Records r = ReadAll("h\n\"a\nb\"\nc\n");
    EXPECT_EQ(r.lines, (std::vector<long>{1, 2, 4}));
}

TEST(CsvReader, ReportsBrokenTextWithItsLine) {
    const std::pair<std::string, std::string> cases[] = {
        {"a\nb\xFF\n", "x.txt:2: the text is not UTF-8"},
        {"a\n\"open\nb\n", "x.txt:2: a quoted field is not closed before the end of the file"},
        // A character cut in two by a comma is no character of either field.
        {"\xEC\x95,\x88\n", "x.txt:1: the text is not UTF-8"},
        {"a,b\r1,2\r",
         "x.txt:1: the file uses CR-only line ends (a CR without LF); save it "
         "with LF or CR LF line ends"},
        {"a\r\nb\rc\r\n",
         "x.txt:2: the file uses CR-only line ends (a CR without LF); save "
         "it with LF or CR LF line ends"},
        {"id\nS1\n\"\xEF\xBB\xBFS2\"\n",
         "x.txt:3: a byte order mark (U+FEFF) in the middle of the file (were two files joined?)"},
    };
    for (const auto& [text, error] : cases) {
        EXPECT_EQ(ReadAll(text).error, error);
    }
    EXPECT_EQ(ReadAll("a\nb\n", 3, true).error,
              "x.txt:3: the file cannot be read to its end: CRC error");
    EXPECT_EQ(ReadAll("a\r", 1).rows, (Rows{{"a"}}));  // a CR as the very last byte passes
    // An endless quoted field stops at the record limit instead of filling the memory.
    const Records huge =
        ReadAll("a\n\"" + std::string(CsvReader::kMaxRecordBytes + 10, 'x'), 65536);
    EXPECT_EQ(huge.error, "x.txt:2: a record longer than 1 MiB (is a quote left open?)");
}

// Separators count towards the limit: a line of empty fields is read no further than it.
TEST(CsvReader, ALineOfSeparatorsStopsAtTheRecordLimit) {
    for (const char* separators : {",", "\"\","}) {
        auto source = std::make_unique<testing_support::EndlessSource>(separators, "h\n",
                                                                       std::uint64_t{64} << 20);
        const auto& endless = *source;
        CsvReader reader(std::move(source), "x.txt");
        ASSERT_TRUE(reader.next());
        EXPECT_FALSE(reader.next());
        EXPECT_TRUE(reader.error().starts_with("x.txt:2: a record longer than 1 MiB"))
            << reader.error();
        EXPECT_LE(endless.given(), CsvReader::kMaxRecordBytes + 128 * 1024);
    }
    const std::string exact = std::string(CsvReader::kMaxRecordBytes - 1, ',') + "x";
    EXPECT_EQ(ReadAll(exact + "\r\n", 65536).rows.at(0).size(), CsvReader::kMaxRecordBytes);
}

TEST(CsvTable, FindsColumnsByTrimmedNameAndNamesMissingOnes) {
    CsvTable table(std::make_unique<TrickleSource>(" stop_id ,stop_name\nS1,서울\n", 5),
                   "stops.txt");
    ASSERT_TRUE(table.start({"stop_id"}));
    ASSERT_TRUE(table.next());
    EXPECT_EQ(table.field(table.column("stop_id")), "S1");
    EXPECT_EQ(table.field(table.column("stop_name")), "서울");
    EXPECT_EQ(table.field(table.column("parent_station")), "");
    EXPECT_EQ(table.where("x"), "stops.txt:2: x");

    CsvTable missing(std::make_unique<TrickleSource>("stop_name\n", 5), "stops.txt");
    EXPECT_FALSE(missing.start({"stop_id"}));
    EXPECT_EQ(missing.error(), "stops.txt:1: no column 'stop_id'");
    CsvTable empty(std::make_unique<TrickleSource>("", 5), "stops.txt");
    EXPECT_FALSE(empty.start({}));
    EXPECT_EQ(empty.error(), "stops.txt:1: the file is empty (no header row)");
}

TEST(TrimBlanks, RemovesAsciiAndWideBlanks) {
    EXPECT_EQ(TrimBlanks(" \t서울\xE3\x80\x80"), "서울");
    EXPECT_EQ(TrimBlanks("\xC2\xA0김천(구미) "), "김천(구미)");
    EXPECT_EQ(TrimBlanks("   "), "");
}

}  // namespace
}  // namespace velomar
