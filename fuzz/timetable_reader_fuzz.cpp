// Feeds arbitrary bytes to the timetable reader as the whole content of one timetable file:
// path rule, decoding, grid loading, then the cheap readers of the grid (row lookup,
// displayed times). The piecewise load must give the same grid as the plain one-character-
// at-a-time reader over the whole decoded text, however the file's bytes are split into
// reads. Any sanitizer report or broken invariant aborts the run.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/message_sink.h"
#include "support/plain_timetable_reader.h"
#include "timetable/file_reader.h"
#include "timetable/route_selection.h"
#include "timetable/text_decoding.h"
#include "timetable/time_text.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace {

using namespace velomar;

[[noreturn]] void fail(const char* what, int row, int column) {
    std::fprintf(stderr, "invariant broken: %s (row %d, column %d)\n", what, row, column);
    std::abort();
}

void check(bool ok, const char* what, int row = -1, int column = -1) {
    if (!ok) {
        fail(what, row, column);
    }
}

// Plain loops rather than string_view comparisons: libFuzzer intercepts memcmp, and these
// checks run on every input.
bool sameCell(std::u16string_view a, std::u16string_view b) {
    for (int i = 0; i < kCellLength; ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

bool lessThan(std::u16string_view a, std::u16string_view b) {
    for (int i = 0; i < kCellLength; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i];
        }
    }
    return false;
}

// Characters that end a cell or a line are never stored in one.
bool holdsMarker(std::u16string_view cell) {
    for (char16_t ch : cell) {
        if (ch == u'\t' || ch == u'/' || ch == u'=') {
            return true;
        }
    }
    return false;
}

void checkDisplayTime(std::u16string_view cell, int row, int column) {
    if (sameCell(cell, kNoTime)) {
        return;  // callers never show the sentinel
    }
    const std::u16string shown = DisplayTime(cell);
    check(shown.size() == kCellLength, "DisplayTime changed the length", row, column);
    const bool serviceDay = lessThan(cell, u"3000");
    check(shown[0] == (serviceDay ? cell[0] : u'0') && shown[1] == cell[1] && shown[2] == cell[2] &&
              shown[3] == cell[3],
          "DisplayTime gave the wrong clock time", row, column);
}

// Row lookup must return the last row whose column 0 holds the code.
void checkLocate(const TimetableGrid& grid, std::u16string_view code, std::optional<int> found) {
    check(found.has_value(), "LocateStationRows missed a code that is in column 0");
    const int row = *found;
    check(row >= 0 && row < kGridRows, "LocateStationRows returned a row outside the grid", row);
    check(sameCell(grid.cell(row, 0), code), "LocateStationRows returned another code", row);
    for (int r = row + 1; r < kGridRows; ++r) {
        check(!sameCell(grid.cell(r, 0), code), "LocateStationRows missed the last match", r);
    }
}

// How the file's bytes reach the reader; chosen by the input's size so that no input bytes
// are spent on it.
enum class Split { Whole, OneByte, Odd, NearPiece, FailHalfway, Count };

// Hands the stored bytes out in short reads, or fails partway like a disk read error.
class SplitSource : public ByteSource {
  public:
    SplitSource(std::unique_ptr<ByteSource> inner, Split split, std::size_t size, bool& failed)
        : m_inner(std::move(inner)), m_split(split), m_failAt(size / 2), m_failed(failed) {}

    std::optional<std::size_t> read(char* buffer, std::size_t capacity) override {
        static constexpr std::size_t kOdd[] = {1, 2, 3, 5, 7, 11, 13, 4093};
        std::size_t want = capacity;
        switch (m_split) {
            case Split::OneByte:
                want = 1;
                break;
            case Split::Odd:
                want = kOdd[m_reads % std::size(kOdd)];
                break;
            case Split::NearPiece:
                want = capacity > 3 ? capacity - 3 : capacity;
                break;
            case Split::FailHalfway:
                if (m_given >= m_failAt) {
                    m_failed = true;
                    return std::nullopt;
                }
                break;
            default:
                break;
        }
        ++m_reads;
        const auto n = m_inner->read(buffer, want < capacity ? want : capacity);
        if (n) {
            m_given += *n;
        }
        return n;
    }

  private:
    std::unique_ptr<ByteSource> m_inner;
    Split m_split;
    std::size_t m_failAt;
    bool& m_failed;
    std::size_t m_reads = 0;
    std::size_t m_given = 0;
};

class SplittingFileReader : public MemoryFileReader {
  public:
    std::unique_ptr<ByteSource> openSource(const std::filesystem::path& path) const override {
        auto inner = MemoryFileReader::openSource(path);
        if (!inner || split == Split::Whole) {
            return inner;
        }
        return std::make_unique<SplitSource>(std::move(inner), split, size, failed);
    }
    Split split = Split::Whole;
    std::size_t size = 0;
    mutable bool failed = false;  // the last source opened gave a read error
};

struct Fixture {
    SplittingFileReader files;
    TimetableGrid reference;
    TimetableDirectory directory{files, "/fuzz"};
    // The 64 paths, built once: add() only swaps the bytes.
    std::array<std::filesystem::path, 64> paths;

    Fixture() {
        for (int i = 0; i < 64; ++i) {
            paths[i] = directory.pathOf(i % 32, i < 32 ? Direction::Up : Direction::Down);
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    // One grid for every input, as a run of the program reuses its grid from file to file.
    static TimetableGrid grid;

    // Spread inputs over all 64 file names, so the path rule runs for every route and
    // direction without spending input bytes on it.
    const int slot = static_cast<int>(size % 64);
    const int route = slot % 32;
    const Direction direction = slot < 32 ? Direction::Up : Direction::Down;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fixture.files.add(fixture.paths[slot], std::string(bytes));
    fixture.files.split = static_cast<Split>((size / 64) % static_cast<int>(Split::Count));
    fixture.files.size = size;
    fixture.files.failed = false;

    RecordingMessageSink messages;
    CurrentTimetableFile current;
    check(OpenTimetableFile(fixture.directory, route, direction, current, messages), "open failed");
    check(current.has_value(), "the file was not found through its path");
    const bool loaded = LoadTimetableGrid(current, grid, messages);
    check(!current.has_value(), "the load left the file open");

    if (fixture.files.split == Split::FailHalfway && size > 0 &&
        bytes.find('=') == std::string_view::npos &&
        std::count(bytes.begin(), bytes.end(), '/') < kGridRows) {
        // No end mark and too few lines to fill the grid, in any encoding: the reader must
        // reach the failing read.
        check(fixture.files.failed, "the load stopped before the end of a file without '='");
    }
    if (fixture.files.failed) {
        // A read error loses the whole file: failure, message, an empty grid.
        check(!loaded, "a failed read was reported as a successful load");
        check(messages.messages.size() == 1 && messages.messages[0].text == u"Read Data File Error",
              "a failed read did not say so");
        fixture.reference.reset();
        check(grid == fixture.reference, "a failed read left cells in the grid");
        return 0;
    }
    check(loaded, "load failed");
    check(messages.messages.empty(), "a successful load showed a message");

    fixture.reference.reset();
    ReadTimetableText(DecodeTimetableText(bytes), fixture.reference);
    if (!(grid == fixture.reference)) {
        for (int r = 0; r < kGridRows; ++r) {
            for (int c = 0; c < kGridColumns; ++c) {
                check(sameCell(grid.cell(r, c), fixture.reference.cell(r, c)),
                      "the piecewise load differs from the plain reader", r, c);
            }
        }
    }

    for (int c = 0; c < kGridColumns; ++c) {
        for (int r : {0, 1, 2, kGridRows - 1}) {
            check(!holdsMarker(grid.cell(r, c)), "a cell holds TAB, '/' or '='", r, c);
        }
        checkDisplayTime(grid.cell(2, c), 2, c);
        checkDisplayTime(grid.cell(kGridRows - 1, c), kGridRows - 1, c);
    }

    const std::u16string_view first = grid.cell(2, 0);
    const std::u16string_view last = grid.cell(kGridRows - 1, 0);
    const StationRows rows = LocateStationRows(grid, first, last);
    checkLocate(grid, first, rows.departure);
    checkLocate(grid, last, rows.arrival);
    return 0;
}
