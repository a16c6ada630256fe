// The dates file read back; the model and its text are in service_dates.cpp.

#include <algorithm>

#include "platform/text_join.h"
#include "timetable/calendar_date.h"
#include "timetable/dates_words.h"
#include "timetable/service_dates.h"
#include "timetable/timetable_grid.h"

namespace velomar {

namespace {

using dates_words::NextWord;
using dates_words::PositiveNumber;
using dates_words::WeekdayFlags;
using dates_words::Words;

// One file being read: the line in hand and what is read so far.
class DatesParser {
  public:
    explicit DatesParser(const std::vector<RouteCode>* wanted) : m_wanted(wanted) {}
    std::optional<ServiceDates> parse(std::string_view text, ServiceDates::ParseError& error);

  private:
    // A pattern line kept for later: with wanted sheets only the patterns they use are read.
    struct PatternLine {
        int id;
        long line;
        std::string_view content;
        bool read = false;
    };

    bool fail(std::string text);
    bool quickLine(std::string_view first, std::string_view content, std::size_t at, bool& ok);
    bool line(const std::vector<std::string_view>& words, std::string_view content);
    bool patternLine(const std::vector<std::string_view>& words, std::string_view content);
    bool pattern(int id, const std::vector<std::string_view>& words);
    bool sheet(RouteCode code, std::string_view name, std::string_view ids);
    bool readUsedPatterns();
    std::optional<ServiceDates> finish(ServiceDates::ParseError& error);
    std::optional<int> day(std::string_view text);

    const std::vector<RouteCode>* m_wanted;
    long m_line = 0;
    std::string m_error;
    std::optional<ServiceDates> m_dates;
    std::vector<PatternLine> m_patternLines;
    std::vector<std::pair<int, DayPattern>> m_patterns;  // by id as given
    std::vector<std::pair<RouteCode, std::vector<int>>> m_sheets;
};

bool DatesParser::fail(std::string text) {
    m_error = std::move(text);
    return false;
}

std::optional<int> DatesParser::day(std::string_view text) {
    const auto day = GtfsDayNumber(text);
    if (!day) {
        fail(JoinText({"'", text, "' is not a date YYYYMMDD"}));
    } else if (m_dates && !m_dates->period().contains(*day)) {
        fail(JoinText({text, " lies outside the period"}));
        return std::nullopt;
    }
    return day;
}

bool DatesParser::patternLine(const std::vector<std::string_view>& words,
                              std::string_view content) {
    const auto id = PositiveNumber(words.size() > 1 ? words[1] : std::string_view());
    if (!id) {
        return fail("the pattern id must be a number from 1");
    }
    m_patternLines.push_back({*id, m_line, content, m_wanted == nullptr});
    // A full read reads every pattern in its place, so the first fault of the file is named.
    return m_wanted != nullptr || pattern(*id, words);
}

bool DatesParser::pattern(int id, const std::vector<std::string_view>& words) {
    if (words.size() < 5) {
        return fail("a pattern needs an id, seven weekday flags and two days");
    }
    const auto weekdays = WeekdayFlags(words[2]);
    if (!weekdays) {
        return fail("the weekday flags must be seven of 0 and 1, Monday first");
    }
    DayPattern pattern;
    pattern.weekdays = *weekdays;
    const auto first = day(words[3]);
    const auto last = first ? day(words[4]) : std::nullopt;
    if (!first || !last) {
        return false;
    }
    if (*last < *first) {
        return fail("the pattern ends before it starts");
    }
    pattern.first = *first;
    pattern.last = *last;
    for (std::size_t i = 5; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (word.size() < 2 || (word[0] != '+' && word[0] != '-')) {
            return fail(JoinText({"'", word, "' is neither +YYYYMMDD nor -YYYYMMDD"}));
        }
        const auto exception = day(word.substr(1));
        if (!exception) {
            return false;
        }
        (word[0] == '+' ? pattern.added : pattern.removed).push_back(*exception);
    }
    for (auto* days : {&pattern.added, &pattern.removed}) {
        std::sort(days->begin(), days->end());
        days->erase(std::unique(days->begin(), days->end()), days->end());
    }
    m_patterns.emplace_back(id, std::move(pattern));
    return true;
}

// The ids of a sheet's line. Of what a reader parses these are the most, so they are read in
// one pass over the characters.
bool DatesParser::sheet(RouteCode code, std::string_view name, std::string_view ids) {
    for (const auto& [known, _] : m_sheets) {
        if (known == code) {
            return fail(JoinText({name, " is given twice"}));
        }
    }
    constexpr auto kTrainColumns = static_cast<std::size_t>(kGridColumns - 1);
    std::vector<int> columns;
    columns.reserve(kTrainColumns);
    for (std::size_t i = 0; i < ids.size();) {
        if (ids[i] == ' ' || ids[i] == '\t') {
            ++i;
            continue;
        }
        // A pattern id (1 to 999999999, no leading zero) or "*".
        const std::size_t start = i;
        bool number = ids[i] != '0';
        int value = 0;
        for (; i < ids.size() && ids[i] != ' ' && ids[i] != '\t'; ++i) {
            number = number && ids[i] >= '0' && ids[i] <= '9' && i - start < 9;
            value = number ? value * 10 + (ids[i] - '0') : 0;
        }
        const std::string_view word = ids.substr(start, i - start);
        const bool everyDay = word == "*";
        if (!number && !everyDay) {
            return fail(JoinText({"'", word, "' is neither a pattern id nor *"}));
        }
        if (columns.size() == kTrainColumns) {
            return fail(JoinText({name, " gives more than 79 columns"}));
        }
        columns.push_back(everyDay ? ServiceDates::kEveryDay : value);
    }
    m_sheets.emplace_back(code, std::move(columns));
    return true;
}

bool DatesParser::line(const std::vector<std::string_view>& words, std::string_view content) {
    if (!m_dates) {
        if (words.size() != 3 || words[0] != "period") {
            return fail("the period must follow the first line: period YYYYMMDD YYYYMMDD");
        }
        const auto first = day(words[1]);
        const auto last = first ? day(words[2]) : std::nullopt;
        if (!first || !last) {
            return false;
        }
        if (*last < *first) {
            return fail("the period ends before it starts");
        }
        m_dates.emplace(ServicePeriod{*first, *last});
        return true;
    }
    if (words[0] == "pattern") {
        return patternLine(words, content);
    }
    return fail(JoinText({"'", words[0], "' is neither a pattern nor a timetable file"}));
}

// Ids given twice; then, with wanted sheets, the patterns their columns name, read now at
// their own lines.
bool DatesParser::readUsedPatterns() {
    std::stable_sort(m_patternLines.begin(), m_patternLines.end(),
                     [](const PatternLine& a, const PatternLine& b) { return a.id < b.id; });
    for (std::size_t i = 1; i < m_patternLines.size(); ++i) {
        if (m_patternLines[i].id == m_patternLines[i - 1].id) {
            m_line = m_patternLines[i].line;
            return fail(
                JoinText({"pattern ", std::to_string(m_patternLines[i].id), " is given twice"}));
        }
    }
    for (const auto& [code, ids] : m_sheets) {
        int last = ServiceDates::kEveryDay;
        for (int id : ids) {
            if (id == ServiceDates::kEveryDay || id == last) {
                continue;  // every day, or the id just looked at
            }
            last = id;
            const auto found =
                std::lower_bound(m_patternLines.begin(), m_patternLines.end(), id,
                                 [](const PatternLine& p, int wanted) { return p.id < wanted; });
            if (found == m_patternLines.end() || found->id != id || found->read) {
                continue;  // not given (named below) or read already
            }
            found->read = true;
            m_line = found->line;
            if (!pattern(id, Words(found->content))) {
                return false;
            }
        }
    }
    return true;
}

std::optional<ServiceDates> DatesParser::finish(ServiceDates::ParseError& error) {
    // Ids in the file are the writer's; here they become the table's own.
    ServiceDates dates = std::move(*m_dates);
    std::vector<std::pair<int, int>> ids;  // the file's id, the table's
    for (auto& [id, pattern] : m_patterns) {
        ids.emplace_back(id, dates.addPattern(std::move(pattern)));
    }
    std::sort(ids.begin(), ids.end());
    for (auto& [code, columns] : m_sheets) {
        for (int& id : columns) {
            if (id == ServiceDates::kEveryDay) {
                continue;
            }
            const auto found = std::lower_bound(ids.begin(), ids.end(), std::pair(id, 0));
            if (found == ids.end() || found->first != id) {
                error = {0, JoinText({TimetableFileName(code), ": pattern ", std::to_string(id),
                                      " is not given"})};
                return std::nullopt;
            }
            id = found->second;
        }
        dates.setColumns(code, std::move(columns));
    }
    return dates;
}

// After the period: a sheet's line, read when it is wanted, and with wanted sheets a pattern
// line, only noted by its id; false for any other line.
bool DatesParser::quickLine(std::string_view first, std::string_view content, std::size_t at,
                            bool& ok) {
    if (!m_dates) {
        return false;
    }
    if (m_wanted != nullptr && first == "pattern") {
        ok = patternLine({first, NextWord(content, at)}, content);
        return true;
    }
    const auto code = RouteCodeOfFileName(first);
    if (code &&
        (m_wanted == nullptr || std::binary_search(m_wanted->begin(), m_wanted->end(), *code))) {
        ok = sheet(*code, first, content.substr(at));
    }
    return code.has_value();
}

std::optional<ServiceDates> DatesParser::parse(std::string_view text,
                                               ServiceDates::ParseError& error) {
    bool header = false;
    bool ok = true;
    while (ok && !text.empty()) {
        if (m_wanted != nullptr && m_wanted->empty() && m_dates) {
            break;  // only the period was asked for
        }
        ++m_line;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view content = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (content.ends_with('\r')) {
            content.remove_suffix(1);
        }
        std::size_t at = 0;
        const std::string_view first = NextWord(content, at);
        if (first.empty() || first.starts_with('#') || quickLine(first, content, at, ok)) {
            continue;
        }
        const auto words = Words(content);
        if (!header) {
            header = words.size() == 2 && words[0] == "velomar-dates" && words[1] == "1";
            ok = header ||
                 fail("not a dates file of this version: 'velomar-dates 1' must come first");
        } else {
            ok = line(words, content);
        }
    }
    if (ok && !m_dates) {
        m_line = 0;
        ok = fail("the file gives no period");
    }
    ok = ok && readUsedPatterns();
    if (!ok) {
        error = {m_line, m_error};
        return std::nullopt;
    }
    return finish(error);
}

}  // namespace

std::string ServiceDates::ParseError::text() const {
    return line == 0 ? message : JoinText({"line ", std::to_string(line), ": ", message});
}

std::optional<ServiceDates> ServiceDates::parse(std::string_view text, std::string& error) {
    ParseError failure;
    auto dates = parse(text, failure);
    if (!dates) {
        error = failure.text();
    }
    return dates;
}

std::optional<ServiceDates> ServiceDates::parse(std::string_view text, ParseError& error,
                                                const std::vector<RouteCode>* sheets) {
    return DatesParser(sheets).parse(text, error);
}

}  // namespace velomar
