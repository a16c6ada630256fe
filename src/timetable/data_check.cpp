#include "timetable/data_check.h"

#include <algorithm>
#include <map>
#include <optional>

#include "network/route_table.h"
#include "platform/utf8.h"
#include "timetable/data_check_lines.h"
#include "timetable/timetable_grid.h"
#include "timetable/timetable_reader.h"
#include "timetable/train_codes.h"

namespace velomar {

namespace {

using data_check::Finding;
using data_check::Line;
using data_check::LineSplitter;
using data_check::Quoted;
using data_check::Token;

// The checks of the grid the reader fills: row labels, the route's stations, the trains.
class FileChecker {
  public:
    FileChecker(int route, Direction direction, std::vector<Finding>& found, int& trains)
        : m_route(route), m_direction(direction), m_found(found), m_trains(trains) {}

    void check(const std::vector<Line>& lines) {
        fill(lines);
        checkLabels();
        checkStationRows();
        checkTrains();
    }

  private:
    void report(int line, int column, std::string message) {
        m_found.push_back({line, column, std::move(message)});
    }

    static std::string quoted(std::u16string_view text) { return Quoted(text, text.size()); }

    static std::string station(std::u16string_view code) {
        const std::u16string name = StationCodeToName(code);
        return ToUtf8(name) + " (" + ToUtf8(code) + ")";
    }

    // The grid as the reader fills it, with where each cell came from.
    void fill(const std::vector<Line>& lines) {
        for (const Line& l : lines) {
            const int row = l.number - 1;
            if (row >= kGridRows) {
                continue;
            }
            for (const Token& token : l.tokens) {
                const int column = token.cell - 1;
                if (column >= kGridColumns) {
                    continue;
                }
                m_cells[{row, column}] = token.length == 0 ? std::u16string(kNoTime) : token.text;
                m_lastColumn = std::max(m_lastColumn, column);
            }
        }
        m_lastRow = std::min(static_cast<int>(lines.size()), kGridRows) - 1;
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
            ++m_trains;
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
    std::vector<Finding>& m_found;
    int& m_trains;
    std::map<std::pair<int, int>, std::u16string> m_cells;
    int m_lastColumn = 0;
    int m_lastRow = -1;
};

// Lists a file's problems in the order of their place, at most kMaxListedProblems of them,
// and then always where reading stopped early.
void listFindings(std::vector<Finding>& found, const std::vector<Finding>& cuts,
                  const std::string& fileName, DataCheckResult& result) {
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return std::pair(a.line, a.column) < std::pair(b.line, b.column);
    });
    result.problems += static_cast<int>(found.size() + cuts.size());
    const std::size_t listed = std::min(found.size(), kMaxListedProblems);
    for (std::size_t i = 0; i < listed; ++i) {
        result.diagnostics.push_back({fileName, found[i].line, found[i].column, found[i].message});
    }
    for (const Finding& cut : cuts) {
        result.diagnostics.push_back({fileName, cut.line, cut.column, cut.message});
    }
    if (found.size() > listed) {
        result.diagnostics.push_back(
            {fileName, 0, 0,
             std::to_string(found.size() - listed) + " more problems in this file are not listed"});
    }
}

}  // namespace

void CheckTimetableSource(ByteSource& source, int route, Direction direction,
                          const std::string& fileName, DataCheckResult& result) {
    LineSplitter splitter;
    const TextReadResult read = ReadTimetableCharacters(source, splitter);
    if (read.outcome == TextRead::Failed) {
        ++result.problems;
        result.diagnostics.push_back({fileName, 0, 0,
                                      "Read Data File Error: a read failed after " +
                                          std::to_string(read.bytesRead) +
                                          " bytes; the file is not checked"});
        return;
    }
    ++result.filesChecked;
    splitter.finish(read);
    std::vector<Finding> found = std::move(splitter.layout());
    found.insert(found.end(), splitter.limits().begin(), splitter.limits().end());
    FileChecker(route, direction, found, result.trains).check(splitter.lines());
    listFindings(found, splitter.cuts(), fileName, result);
}

void CheckTimetableFile(std::string_view bytes, int route, Direction direction,
                        const std::string& fileName, DataCheckResult& result) {
    ViewByteSource source(bytes);
    CheckTimetableSource(source, route, direction, fileName, result);
}

}  // namespace velomar
