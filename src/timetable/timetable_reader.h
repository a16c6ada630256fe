#pragma once

#include <string_view>

#include "timetable/file_reader.h"
#include "timetable/timetable_grid.h"

namespace velomar {

// The grid reader of LoadTimetableGrid, fed a file's characters piece by piece. It follows
// ReadTimetableText character for character and takes a whole well-formed cell (four
// characters that are not TAB, "/" or "=", then TAB) in one step.
class TimetableTextReader {
  public:
    // The grid is expected to be reset; only the cells the file gives are written.
    explicit TimetableTextReader(TimetableGrid& grid) : m_grid(grid) {}

    // Reads the characters; false once the end mark "=" has been read, after which the rest
    // of the file means nothing.
    bool read(std::u16string_view chars);
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

// Decodes and reads an open file into the (reset) grid a piece at a time, so that the memory
// a load needs does not depend on the file's size. Stops reading at the end mark.
SourceLoad ReadTimetableSource(ByteSource& source, TimetableGrid& grid);

}  // namespace velomar
