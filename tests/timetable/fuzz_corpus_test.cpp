// Runs every seed of the reader fuzzer and every input that ever failed it through the
// reader, so that `make test` (under the asan preset as well) keeps them passing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_sink.h"
#include "support/plain_timetable_reader.h"
#include "timetable/file_reader.h"
#include "timetable/text_decoding.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar {
namespace {

namespace fs = std::filesystem;

fs::path fuzzDirectory() {
    const char* source = std::getenv("VELOMAR_SOURCE_DIR");
    return fs::path(source ? source : ".") / "fuzz";
}

std::vector<fs::path> inputsIn(const fs::path& directory) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        if (entry.is_regular_file()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Gives the file one byte per read: every piece boundary of the load falls somewhere.
class OneByteSource : public ByteSource {
  public:
    explicit OneByteSource(std::unique_ptr<ByteSource> inner) : m_inner(std::move(inner)) {}
    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        return m_inner->read(buffer, std::min<std::size_t>(capacity, 1));
    }

  private:
    std::unique_ptr<ByteSource> m_inner;
};

class OneByteFileReader : public MemoryFileReader {
  public:
    std::unique_ptr<ByteSource> openSource(const fs::path& path) const override {
        auto inner = MemoryFileReader::openSource(path);
        return inner ? std::make_unique<OneByteSource>(std::move(inner)) : nullptr;
    }
};

TimetableGrid loadThroughPath(MemoryFileReader& files, const std::string& bytes) {
    files.add("/seed/TimeData/DownData_07.txt", bytes);
    const TimetableDirectory directory(files, "/seed");
    RecordingMessageSink messages;
    CurrentTimetableFile current;
    TimetableGrid grid;
    EXPECT_TRUE(OpenTimetableFile(directory, 7, Direction::Down, current, messages));
    EXPECT_TRUE(LoadTimetableGrid(current, grid, messages));
    EXPECT_TRUE(messages.messages.empty());
    return grid;
}

// What the grid may hold whatever the input: four-character cells of "9" and characters of
// the text, never a TAB, "/" or "=", and nothing in rows that no "/" reaches.
void expectSound(const TimetableGrid& grid, std::u16string_view text) {
    const std::u16string_view read = text.substr(0, text.find(u'='));
    const auto lines = std::count(read.begin(), read.end(), u'/');
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            const std::u16string_view cell = grid.cell(r, c);
            ASSERT_EQ(cell.size(), static_cast<std::size_t>(kCellLength));
            if (cell == kNoTime) {
                continue;
            }
            ASSERT_LE(r, lines) << "row " << r << " filled, but the text has " << lines << " '/'";
            for (char16_t ch : cell) {
                ASSERT_TRUE(ch != u'\t' && ch != u'/' && ch != u'=') << r << "," << c;
                ASSERT_TRUE(ch == u'9' || read.find(ch) != std::u16string_view::npos)
                    << "cell " << r << "," << c << " holds a character the file does not";
            }
        }
    }
}

TEST(FuzzCorpus, EveryInputLoadsSoundlyAndAlikeHoweverItIsRead) {
    std::vector<fs::path> inputs = inputsIn(fuzzDirectory() / "corpus");
    ASSERT_GE(inputs.size(), 64u) << "no seed corpus under " << fuzzDirectory();
    const std::vector<fs::path> regressions = inputsIn(fuzzDirectory() / "regressions");
    inputs.insert(inputs.end(), regressions.begin(), regressions.end());

    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        const std::string bytes = bytesOf(input);
        const std::u16string text = DecodeTimetableText(bytes);
        TimetableGrid plain;
        ReadTimetableText(text, plain);

        MemoryFileReader whole;
        const TimetableGrid loaded = loadThroughPath(whole, bytes);
        EXPECT_TRUE(loaded == plain) << "the load differs from the plain reader";
        OneByteFileReader trickle;
        EXPECT_TRUE(loadThroughPath(trickle, bytes) == plain)
            << "the load differs when the file arrives one byte at a time";
        expectSound(loaded, text);
    }
}

}  // namespace
}  // namespace velomar
