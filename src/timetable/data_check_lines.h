#pragma once

// The first step of the data check: a file's characters split into lines and cells as the
// reader sees them, keeping only what the reader can store (70 lines of 80 cells), so that
// checking a file needs the same memory whatever its size.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "timetable/timetable_reader.h"

namespace velomar::data_check {

// Characters of a cell kept to quote it in a message; longer cells are cut.
inline constexpr std::size_t kQuotedCellLength = 32;

// One cell as the file gives it: its text (empty for a lone TAB), its length in characters
// (the text may be cut) and its 1-based position in the line.
struct Token {
    std::u16string text;
    std::size_t length = 0;
    int cell = 0;
};

struct Line {
    int number = 0;             // 1-based line of the file
    std::vector<Token> tokens;  // cells 1-80 only
    int lastCell = 0;           // the last cell of the line, also when it is past 80
};

struct Finding {
    int line = 0;
    int column = 0;
    std::string message;
};

// TAB ends a cell, "/" plus one character ends a line, "=" ends the file. A line break
// without "/" is reported and then taken as the end of the line. Stops once the line after
// the 70th begins: nothing there can be stored.
class LineSplitter : public TimetableTextSink {
  public:
    bool take(std::u16string_view chars) override;
    // The end of what was read: the file's end, a cut at the size limit, or a stop.
    void finish(const TextReadResult& read);

    const std::vector<Line>& lines() const { return m_lines; }
    // Problems of the file's layout, in the order of the text.
    std::vector<Finding>& layout() { return m_layout; }
    // Problems of the file's size: too many trains, cells of a wrong length.
    std::vector<Finding>& limits() { return m_limits; }
    // Where reading stopped before the file's end, and why: too many lines or bytes.
    std::vector<Finding>& cuts() { return m_cuts; }

  private:
    bool character(char16_t ch);
    void pushToken();
    void endLine();
    int lineNumber() const { return static_cast<int>(m_lines.size()) + 1; }

    std::vector<Line> m_lines;
    Line m_line{1, {}, 0};
    std::u16string m_text;
    std::size_t m_length = 0;
    int m_cell = 1;
    int m_afterSlash = 0;  // the line a "/" just ended, whose next character is dropped
    bool m_ended = false;
    bool m_tooWide = false;
    std::vector<Finding> m_layout;
    std::vector<Finding> m_limits;
    std::vector<Finding> m_cuts;
};

// The text of a cell in quotes, marked when it was cut.
std::string Quoted(std::u16string_view text, std::size_t length);

}  // namespace velomar::data_check
