// The dates file read and written; the model itself is in service_dates.cpp.

#include <algorithm>
#include <charconv>
#include <initializer_list>

#include "timetable/calendar_date.h"
#include "timetable/service_dates.h"

namespace velomar {

namespace {

// Texts put together by appending: GCC 12 at -O2 warns wrongly (-Wrestrict) about a string
// literal added to a std::string.
std::string Join(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view part : parts) {
        out.append(part);
    }
    return out;
}

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        words.push_back(line.substr(start, end - start));
        at = end;
    }
    return words;
}

std::optional<int> PositiveNumber(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value <= 0 || text[0] == '0') {
        return std::nullopt;
    }
    return value;
}

std::optional<WeekDays> WeekdayFlags(std::string_view text) {
    if (text.size() != 7) {
        return std::nullopt;
    }
    WeekDays days = 0;
    for (std::size_t i = 0; i < 7; ++i) {
        if (text[i] == '1') {
            days = static_cast<WeekDays>(days | (1u << i));
        } else if (text[i] != '0') {
            return std::nullopt;
        }
    }
    return days;
}

// One file being read: the line in hand and what is read so far.
class DatesParser {
  public:
    std::optional<ServiceDates> parse(std::string_view text, std::string& error);

  private:
    bool fail(std::string text);
    bool line(const std::vector<std::string_view>& words);
    bool pattern(const std::vector<std::string_view>& words);
    bool sheet(RouteCode code, const std::vector<std::string_view>& words);
    std::optional<int> day(std::string_view text);

    long m_line = 0;
    std::string m_error;
    std::optional<ServiceDates> m_dates;
    std::vector<std::pair<int, DayPattern>> m_patterns;  // by id as given
    std::vector<std::pair<RouteCode, std::vector<int>>> m_sheets;
};

bool DatesParser::fail(std::string text) {
    m_error = Join({"line ", std::to_string(m_line), ": ", text});
    return false;
}

std::optional<int> DatesParser::day(std::string_view text) {
    const auto day = GtfsDayNumber(text);
    if (!day) {
        fail(Join({"'", text, "' is not a date YYYYMMDD"}));
    } else if (m_dates && !m_dates->period().contains(*day)) {
        fail(Join({text, " lies outside the period"}));
        return std::nullopt;
    }
    return day;
}

bool DatesParser::pattern(const std::vector<std::string_view>& words) {
    if (words.size() < 5) {
        return fail("a pattern needs an id, seven weekday flags and two days");
    }
    const auto id = PositiveNumber(words[1]);
    const auto weekdays = WeekdayFlags(words[2]);
    if (!id || !weekdays) {
        return fail(!id ? "the pattern id must be a number from 1"
                        : "the weekday flags must be seven of 0 and 1, Monday first");
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
            return fail(Join({"'", word, "' is neither +YYYYMMDD nor -YYYYMMDD"}));
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
    for (const auto& [known, _] : m_patterns) {
        if (known == *id) {
            return fail(Join({"pattern ", std::to_string(*id), " is given twice"}));
        }
    }
    m_patterns.emplace_back(*id, std::move(pattern));
    return true;
}

bool DatesParser::sheet(RouteCode code, const std::vector<std::string_view>& words) {
    for (const auto& [known, _] : m_sheets) {
        if (known == code) {
            return fail(Join({words[0], " is given twice"}));
        }
    }
    if (words.size() - 1 > 79) {
        return fail(Join({words[0], " gives more than 79 columns"}));
    }
    std::vector<int> ids;
    for (std::size_t i = 1; i < words.size(); ++i) {
        const auto id = words[i] == "*" ? std::optional<int>(ServiceDates::kEveryDay)
                                        : PositiveNumber(words[i]);
        if (!id) {
            return fail(Join({"'", words[i], "' is neither a pattern id nor *"}));
        }
        ids.push_back(*id);
    }
    m_sheets.emplace_back(code, std::move(ids));
    return true;
}

bool DatesParser::line(const std::vector<std::string_view>& words) {
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
        return pattern(words);
    }
    if (const auto code = RouteCodeOfFileName(words[0])) {
        return sheet(*code, words);
    }
    return fail(Join({"'", words[0], "' is neither a pattern nor a timetable file"}));
}

std::optional<ServiceDates> DatesParser::parse(std::string_view text, std::string& error) {
    bool header = false;
    bool ok = true;
    while (ok && !text.empty()) {
        ++m_line;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view content = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (content.ends_with('\r')) {
            content.remove_suffix(1);
        }
        const auto words = Words(content);
        if (words.empty() || words[0].starts_with('#')) {
            continue;
        }
        if (!header) {
            header = words.size() == 2 && words[0] == "velomar-dates" && words[1] == "1";
            ok = header ||
                 fail("not a dates file of this version: 'velomar-dates 1' must come first");
        } else {
            ok = line(words);
        }
    }
    if (ok && !m_dates) {
        ok = fail("the file gives no period");
    }
    if (!ok) {
        error = m_error;
        return std::nullopt;
    }
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
                error = Join(
                    {TimetableFileName(code), ": pattern ", std::to_string(id), " is not given"});
                return std::nullopt;
            }
            id = found->second;
        }
        dates.setColumns(code, std::move(columns));
    }
    return dates;
}

}  // namespace

std::string ServiceDates::text() const {
    std::string out = Join({"velomar-dates 1\nperiod ", GtfsDateText(m_period.first), " ",
                            GtfsDateText(m_period.last), "\n"});
    for (std::size_t i = 0; i < m_patterns.size(); ++i) {
        const DayPattern& pattern = m_patterns[i];
        out += Join({"pattern ", std::to_string(i + 1), " "});
        for (int w = 0; w < 7; ++w) {
            out += (pattern.weekdays & (1u << w)) != 0 ? '1' : '0';
        }
        out += Join({" ", GtfsDateText(pattern.first), " ", GtfsDateText(pattern.last)});
        for (int day : pattern.added) {
            out += Join({" +", GtfsDateText(day)});
        }
        for (int day : pattern.removed) {
            out += Join({" -", GtfsDateText(day)});
        }
        out += '\n';
    }
    for (const SheetColumns& sheet : m_sheets) {
        out += TimetableFileName(sheet.sheet);
        for (int id : sheet.patterns) {
            out += id == kEveryDay ? std::string(" *") : Join({" ", std::to_string(id)});
        }
        out += '\n';
    }
    return out;
}

std::optional<ServiceDates> ServiceDates::parse(std::string_view text, std::string& error) {
    return DatesParser().parse(text, error);
}

LoadedDates LoadServiceDates(const TimetableDirectory& directory) {
    LoadedDates loaded;
    const std::filesystem::path path =
        directory.baseDirectory() / "TimeData" / std::string(kServiceDatesFileName);
    const auto source = directory.reader().openSource(path);
    if (!source) {
        return loaded;  // no dates: the set answers alike for every day
    }
    std::string text;
    char piece[4096];
    for (;;) {
        const auto n = source->read(piece, sizeof piece);
        if (!n) {
            loaded.status = DatesLoad::Failed;
            loaded.error = "TimeData/Dates.txt cannot be read";
            return loaded;
        }
        if (*n == 0) {
            break;
        }
        if (text.size() + *n > kServiceDatesFileLimit) {
            loaded.status = DatesLoad::Failed;
            loaded.error = "TimeData/Dates.txt is larger than 16 MiB";
            return loaded;
        }
        text.append(piece, *n);
    }
    std::string error;
    loaded.dates = ServiceDates::parse(text, error);
    loaded.status = loaded.dates ? DatesLoad::Loaded : DatesLoad::Failed;
    if (!loaded.dates) {
        loaded.error = Join({"TimeData/Dates.txt: ", error});
    }
    return loaded;
}

}  // namespace velomar
