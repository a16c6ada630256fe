#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "timetable/file_reader.h"
#include "timetable/timetable_grid.h"

namespace velomar {

// Takes a timetable file's characters as they are decoded, a piece at a time.
class TimetableTextSink {
  public:
    virtual ~TimetableTextSink() = default;
    // False once the sink needs nothing more of the file.
    virtual bool take(std::u16string_view chars) = 0;
};

// How far into a file anything is read. A full grid takes about 90 KB even as UTF-8 with
// three-byte characters, so no usable file comes near it; past it a file is taken to end.
inline constexpr std::uint64_t kTimetableFileLimit = 1024 * 1024;

enum class TextRead {
    Ended,       // the file ended
    Stopped,     // the sink needed no more
    CutAtLimit,  // the file goes on past kTimetableFileLimit
    Failed,      // a read failed
};

struct TextReadResult {
    TextRead outcome = TextRead::Ended;
    std::uint64_t bytesRead = 0;
};

// The one routine every reader of timetable files goes through: reads the open file in
// pieces, decodes them and hands the characters on, so that the memory it needs does not
// depend on the file's size. The sink sees the end of what is read as the end of the file.
TextReadResult ReadTimetableCharacters(ByteSource& source, TimetableTextSink& sink);

// The grid reader of LoadTimetableGrid. Character by character it follows the format's
// rules, and takes a whole well-formed cell (four characters that are not TAB, "/" or "=",
// then TAB) in one step.
class TimetableTextReader : public TimetableTextSink {
  public:
    // The grid is expected to be reset; only the cells the file gives are written.
    explicit TimetableTextReader(TimetableGrid& grid) : m_grid(grid) {}

    // False once the end mark "=" has been read or the last grid row has ended: the rest of
    // the file cannot change the grid.
    bool take(std::u16string_view chars) override;
    bool ended() const { return m_ended; }

  private:
    void store();
    void append(char16_t ch);

    TimetableGrid& m_grid;
    int m_row = 0;
    int m_column = 0;
    char16_t m_buffer[kCellLength] = {};
    int m_length = 0;
    bool m_afterData = false;
    bool m_skipNext = false;
    bool m_ended = false;
};

enum class SourceLoad { Loaded, ReadFailed };

// Reads an open file into the (reset) grid through ReadTimetableCharacters.
SourceLoad ReadTimetableSource(ByteSource& source, TimetableGrid& grid);

}  // namespace velomar
