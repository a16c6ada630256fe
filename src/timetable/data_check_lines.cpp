#include "timetable/data_check_lines.h"

#include "platform/utf8.h"
#include "timetable/data_check.h"
#include "timetable/timetable_grid.h"

namespace velomar::data_check {

// Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "'" + std::string.
std::string Quoted(std::u16string_view text, std::size_t length) {
    std::string result(1, '\'');
    result.append(ToUtf8(text));
    if (length > text.size()) {
        result.append("…");
    }
    result.push_back('\'');
    return result;
}

bool LineSplitter::take(std::u16string_view chars) {
    for (char16_t ch : chars) {
        if (!character(ch)) {
            return false;
        }
    }
    return true;
}

bool LineSplitter::character(char16_t ch) {
    if (m_afterSlash != 0) {
        // The reader drops the character after "/", whatever it is.
        if (ch != u'\n') {
            m_layout.push_back({m_afterSlash, 0, "'/' is not followed by a line break"});
        }
        m_afterSlash = 0;
        return true;
    }
    if (ch == u'=') {
        pushToken();
        if (!m_line.tokens.empty()) {
            m_layout.push_back(
                {m_line.number, 0, "line does not end with '/' before the end mark"});
            endLine();
        }
        m_ended = true;
        return false;
    }
    if (static_cast<int>(m_lines.size()) == kGridRows && m_length == 0 && m_cell == 1) {
        m_cuts.push_back({kMaxStationRows + 3, 0,
                          "more than " + std::to_string(kMaxStationRows) +
                              " station rows: lines after line 70 are not read"});
        m_ended = true;
        return false;
    }
    if (ch == u'\t') {
        pushToken();
        // A lone TAB is an empty cell of its own.
        if (m_line.lastCell < m_cell) {
            m_line.lastCell = m_cell;
            if (m_cell <= kGridColumns) {
                m_line.tokens.push_back({std::u16string(), 0, m_cell});
            }
        }
        ++m_cell;
    } else if (ch == u'/') {
        pushToken();
        const int number = m_line.number;
        endLine();
        m_afterSlash = number;
    } else if (ch == u'\n') {
        m_layout.push_back({m_line.number, 0, "line break without '/' before it"});
        pushToken();
        endLine();
    } else {
        if (m_text.size() < kQuotedCellLength) {
            m_text.push_back(ch);
        }
        ++m_length;
    }
    return true;
}

// Ends the cell being read, when it holds characters.
void LineSplitter::pushToken() {
    if (m_length == 0) {
        return;
    }
    m_line.lastCell = m_cell;
    if (m_cell <= kGridColumns) {
        // Never half a surrogate pair in a message.
        if (m_length > m_text.size() && !m_text.empty() && m_text.back() >= 0xD800 &&
            m_text.back() <= 0xDBFF) {
            m_text.pop_back();
        }
        m_line.tokens.push_back({m_text, m_length, m_cell});
    }
    m_text.clear();
    m_length = 0;
}

void LineSplitter::endLine() {
    Line& line = m_line;
    if (line.lastCell > kMaxTrainsPerFile + 1 && !m_tooWide) {
        m_tooWide = true;
        m_limits.push_back({line.number, kMaxTrainsPerFile + 2,
                            "more than " + std::to_string(kMaxTrainsPerFile) +
                                " trains: cells after cell 80 are not read"});
    }
    for (const Token& token : line.tokens) {
        if (token.length != 0 && token.length != static_cast<std::size_t>(kCellLength)) {
            m_limits.push_back(
                {line.number, token.cell,
                 "cell " + Quoted(token.text, token.length) + " is not four characters"});
        }
    }
    m_lines.push_back(std::move(line));
    m_line = Line{lineNumber(), {}, 0};
    m_text.clear();
    m_length = 0;
    m_cell = 1;
}

void LineSplitter::finish(const TextReadResult& read) {
    if (m_ended || read.outcome == TextRead::Stopped || read.outcome == TextRead::Failed) {
        return;
    }
    // The line the cut falls in, before it is ended.
    const int cutLine = m_line.number;
    pushToken();
    if (!m_line.tokens.empty() || m_line.lastCell > 0) {
        endLine();
    }
    if (read.outcome == TextRead::CutAtLimit) {
        m_cuts.push_back({cutLine, 0,
                          "file is larger than " + std::to_string(kTimetableFileLimit) +
                              " bytes (1 MiB): the rest is not read"});
    } else {
        m_layout.push_back({lineNumber(), 0, "end mark '=' is missing"});
    }
}

}  // namespace velomar::data_check
