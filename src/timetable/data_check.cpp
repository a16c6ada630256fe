#include "timetable/data_check.h"

#include <algorithm>
#include <map>
#include <optional>

#include "network/route_table.h"
#include "platform/utf8.h"
#include "timetable/text_decoding.h"
#include "timetable/timetable_grid.h"
#include "timetable/train_codes.h"

namespace velomar {

namespace {

// One cell as the file gives it: its text (empty for a lone TAB) and its 1-based position.
struct Token {
    std::u16string text;
    int cell;
};

struct Line {
    int number;  // 1-based line of the file
    std::vector<Token> tokens;
};

class FileChecker {
  public:
    FileChecker(int route, Direction direction, const std::string& fileName,
                DataCheckResult& result)
        : m_route(route), m_direction(direction), m_file(fileName), m_result(result) {}

    void check(std::u16string_view text) {
        split(text);
        checkLimits();
        checkLabels();
        checkStationRows();
        checkTrains();
        std::stable_sort(m_found.begin(), m_found.end(), [](const auto& a, const auto& b) {
            return std::pair(a.line, a.column) < std::pair(b.line, b.column);
        });
        m_result.diagnostics.insert(m_result.diagnostics.end(), m_found.begin(), m_found.end());
    }

  private:
    void report(int line, int column, std::string message) {
        m_found.push_back({m_file, line, column, std::move(message)});
    }

    // Built by appending: GCC 12 at -O3 warns falsely (-Wrestrict) on "'" + std::string.
    static std::string quoted(std::u16string_view text) {
        std::string result(1, '\'');
        result.append(ToUtf8(text));
        result.push_back('\'');
        return result;
    }

    static std::string station(std::u16string_view code) {
        const std::u16string name = StationCodeToName(code);
        return ToUtf8(name) + " (" + ToUtf8(code) + ")";
    }

    // Mirrors the reader: TAB ends a cell, "/" plus one character ends a line, "=" ends the
    // file. A line break without "/" is reported and then taken as the end of the line.
    void split(std::u16string_view text) {
        Line line{1, {}};
        std::u16string buffer;
        int cell = 1;
        bool ended = false;
        auto endLine = [&] {
            m_lines.push_back(std::move(line));
            line = Line{static_cast<int>(m_lines.size()) + 1, {}};
            buffer.clear();
            cell = 1;
        };
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t ch = text[i];
            if (ch == u'=') {
                if (!buffer.empty()) {
                    line.tokens.push_back({buffer, cell});
                }
                if (!line.tokens.empty()) {
                    report(line.number, 0, "line does not end with '/' before the end mark");
                    endLine();
                }
                ended = true;
                break;
            }
            if (ch == u'\t') {
                line.tokens.push_back({buffer, cell});
                buffer.clear();
                ++cell;
            } else if (ch == u'/') {
                if (!buffer.empty()) {
                    line.tokens.push_back({buffer, cell});
                }
                const int number = line.number;
                endLine();
                if (i + 1 < text.size() && text[i + 1] != u'\n') {
                    report(number, 0, "'/' is not followed by a line break");
                }
                ++i;  // the reader drops the character after "/"
            } else if (ch == u'\n') {
                report(line.number, 0, "line break without '/' before it");
                if (!buffer.empty()) {
                    line.tokens.push_back({buffer, cell});
                }
                endLine();
            } else {
                buffer.push_back(ch);
            }
        }
        if (!ended) {
            if (!buffer.empty() || !line.tokens.empty()) {
                if (!buffer.empty()) {
                    line.tokens.push_back({buffer, cell});
                }
                endLine();
            }
            report(static_cast<int>(m_lines.size()) + 1, 0, "end mark '=' is missing");
        }
        // The grid as the reader fills it, with where each cell came from.
        for (const Line& l : m_lines) {
            const int row = l.number - 1;
            if (row >= kGridRows) {
                continue;
            }
            for (const Token& token : l.tokens) {
                const int column = token.cell - 1;
                if (column >= kGridColumns) {
                    continue;
                }
                m_cells[{row, column}] = token.text.empty() ? std::u16string(kNoTime) : token.text;
                m_lastColumn = std::max(m_lastColumn, column);
            }
        }
        m_lastRow = std::min(static_cast<int>(m_lines.size()), kGridRows) - 1;
    }

    std::u16string cell(int row, int column) const {
        const auto it = m_cells.find({row, column});
        return it == m_cells.end() ? std::u16string(kNoTime) : it->second;
    }

    bool present(int row, int column) const { return m_cells.contains({row, column}); }

    static bool isDigits(std::u16string_view text) {
        return text.size() == 4 && std::all_of(text.begin(), text.end(),
                                               [](char16_t c) { return c >= u'0' && c <= u'9'; });
    }

    static bool isTime(std::u16string_view text) {
        if (!isDigits(text)) {
            return false;
        }
        const int hour = (text[0] - u'0') * 10 + (text[1] - u'0');
        const int minute = (text[2] - u'0') * 10 + (text[3] - u'0');
        return (hour <= 23 || text[0] == u'3') && minute <= 59;
    }

    void checkLimits() {
        bool tooWide = false;
        for (const Line& line : m_lines) {
            if (!line.tokens.empty() && line.tokens.back().cell > kMaxTrainsPerFile + 1 &&
                !tooWide) {
                tooWide = true;
                report(line.number, kMaxTrainsPerFile + 2,
                       "more than " + std::to_string(kMaxTrainsPerFile) +
                           " trains: cells after cell 80 are not read");
            }
            for (const Token& token : line.tokens) {
                if (!token.text.empty() && token.text.size() != kCellLength) {
                    report(line.number, token.cell,
                           "cell " + quoted(token.text) + " is not four characters");
                }
            }
        }
        if (static_cast<int>(m_lines.size()) > kMaxStationRows + 2) {
            report(kMaxStationRows + 3, 0,
                   "more than " + std::to_string(kMaxStationRows) +
                       " station rows: lines after line 70 are not read");
        }
    }

    static bool isStationCode(std::u16string_view text) {
        return StationCodeToName(text) != text && text != u"0000";
    }

    void checkLabels() {
        for (int row = 0; row < 2 && row <= m_lastRow; ++row) {
            const std::u16string label = cell(row, 0);
            if (isStationCode(label)) {
                report(row + 1, 1,
                       "row label " + quoted(label) +
                           " is a station code; station lookups would take this row");
            }
        }
    }

    void checkStationRows() {
        std::vector<std::u16string> expected;
        std::u16string_view routeName;
        for (const RouteRecord& record : RouteTable()) {
            if (record.route != static_cast<unsigned>(m_route)) {
                continue;
            }
            if (IsStationRecord(record)) {
                expected.emplace_back(record.code);
            } else {
                routeName = record.name;
            }
        }
        if (m_direction == Direction::Up) {
            std::reverse(expected.begin(), expected.end());
        }
        const std::string routeText =
            "route " + std::to_string(m_route) + " (" + ToUtf8(routeName) + ")";
        std::vector<bool> matched(expected.size(), false);
        std::size_t next = 0;
        for (int row = 2; row <= m_lastRow; ++row) {
            const std::u16string code = cell(row, 0);
            if (!isStationCode(code)) {
                report(row + 1, 1, "unknown station code " + quoted(code));
                continue;
            }
            if (std::find(expected.begin(), expected.end(), code) == expected.end()) {
                report(row + 1, 1, "station " + station(code) + " is not on " + routeText);
                continue;
            }
            std::size_t at = next;
            while (at < expected.size() && expected[at] != code) {
                ++at;
            }
            if (at == expected.size()) {
                report(row + 1, 1,
                       "station " + station(code) + " is out of the route's order for " +
                           (m_direction == Direction::Up ? "an Up" : "a Down") + " file");
                continue;
            }
            matched[at] = true;
            next = at + 1;
        }
        // Counted per code, so a row out of order does not also count as missing.
        std::map<std::u16string, int> rowsOf;
        for (int row = 2; row <= m_lastRow; ++row) {
            ++rowsOf[cell(row, 0)];
        }
        std::map<std::u16string, int> wanted;
        for (const std::u16string& code : expected) {
            if (++wanted[code] > rowsOf[code]) {
                report(0, 0,
                       "station " + station(code) + " of " + routeText +
                           " has no row; a search stops at this file");
            }
        }
    }

    void checkTrains() {
        std::map<std::u16string, int> numbers;
        for (int column = 1; column <= std::min(m_lastColumn, kGridColumns - 1); ++column) {
            bool anyData = present(0, column) || present(1, column);
            bool anyTime = false;
            for (int row = 2; row <= m_lastRow; ++row) {
                if (cell(row, column) != kNoTime) {
                    anyData = anyTime = true;
                }
            }
            if (!anyData) {
                continue;
            }
            ++m_result.trains;
            const int at = column + 1;
            const std::u16string code = cell(0, column);
            const std::u16string number = cell(1, column);
            if (TypeLabel(code).empty()) {
                report(1, at, "unknown train code " + quoted(code));
            }
            if (!isDigits(number) || number == kNoTime) {
                report(2, at, "train number " + quoted(number) + " is not four digits");
            } else if (const auto [it, added] = numbers.try_emplace(number, at); !added) {
                report(2, at,
                       "train number " + quoted(number) + " is also in cell " +
                           std::to_string(it->second) + "; the detail view finds the first");
            }
            if (!anyTime) {
                report(2, at, "train " + ToUtf8(number) + " has no times");
                continue;
            }
            std::optional<std::pair<std::u16string, int>> previous;
            for (int row = 2; row <= m_lastRow; ++row) {
                const std::u16string time = cell(row, column);
                if (time == kNoTime) {
                    continue;
                }
                if (!isTime(time)) {
                    if (time.size() == kCellLength) {
                        report(
                            row + 1, at,
                            quoted(time) + " is not a time (HHMM, 3HMM after midnight, or 9999)");
                    }
                    continue;
                }
                if (previous && time < previous->first) {
                    report(row + 1, at,
                           "train " + ToUtf8(number) + " goes back in time: " + ToUtf8(time) +
                               " after " + ToUtf8(previous->first) + " on line " +
                               std::to_string(previous->second));
                }
                previous = {time, row + 1};
            }
        }
    }

    int m_route;
    Direction m_direction;
    std::string m_file;
    DataCheckResult& m_result;
    std::vector<DataDiagnostic> m_found;
    std::vector<Line> m_lines;
    std::map<std::pair<int, int>, std::u16string> m_cells;
    int m_lastColumn = 0;
    int m_lastRow = -1;
};

}  // namespace

void CheckTimetableFile(std::string_view bytes, int route, Direction direction,
                        const std::string& fileName, DataCheckResult& result) {
    ++result.filesChecked;
    FileChecker(route, direction, fileName, result).check(DecodeTimetableText(bytes));
}

DataCheckResult CheckTimetableData(const FileReader& reader,
                                   const std::filesystem::path& timeDataDirectory) {
    DataCheckResult result;
    for (Direction direction : {Direction::Up, Direction::Down}) {
        for (int route = 0; route < kRouteCount; ++route) {
            const std::string name = TimetableFileName(route, direction);
            const auto bytes = reader.readAll(timeDataDirectory / name);
            if (!bytes) {
                result.diagnostics.push_back({name, 0, 0, "file is missing or cannot be read"});
                continue;
            }
            CheckTimetableFile(*bytes, route, direction, name, result);
        }
    }
    return result;
}

}  // namespace velomar
