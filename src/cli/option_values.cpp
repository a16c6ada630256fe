#include "cli/option_values.h"

#include <charconv>
#include <string>
#include <system_error>

#include "platform/text_join.h"
#include "platform/utf8.h"
#include "timetable/calendar_date.h"
#include "timetable/train_codes.h"

namespace velomar::cli {

std::optional<int> ParseCount(std::string_view text, int limit) {
    int value = 0;
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text[0] == '-' ||
        text[0] == '+' || value > limit) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> ParseTrainType(std::string_view text) {
    if (auto index = ParseCount(text, static_cast<int>(kTrainTypeEntries.size()) - 1)) {
        return index;
    }
    const auto wide = FromUtf8(text);
    if (!wide) {
        return std::nullopt;
    }
    if (*wide == u"전체") {
        return 0;
    }
    for (std::size_t i = 0; i < kTrainTypeEntries.size(); ++i) {
        if (*wide == kTrainTypeEntries[i]) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

std::optional<int> ParseClockMinutes(std::string_view text) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() != 5 || text[2] != ':' || !digit(text[0]) || !digit(text[1]) ||
        !digit(text[3]) || !digit(text[4])) {
        return std::nullopt;
    }
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[3] - '0') * 10 + (text[4] - '0');
    if (hour > 23 || minute > 59) {
        return std::nullopt;
    }
    return hour * 60 + minute;
}

std::optional<TimeChoice> ParseTimeChoice(std::string_view text) {
    const auto minutes = ParseClockMinutes(text);
    if (!minutes) {
        return std::nullopt;
    }
    return TimeChoice{*minutes / 60, *minutes % 60 / 10};
}

std::string AcceptedDates() {
    return "dates from " + std::string(kFirstAcceptedDate) + " to " +
           std::string(kLastAcceptedDate);
}

std::optional<int> TakeDate(std::string_view command, std::string_view name, std::string_view value,
                            std::ostream& err) {
    const auto day = AcceptedDayNumber(value);
    if (!day) {
        UsageError(command,
                   JoinText({name, " must be a date YYYYMMDD, not '", TerminalText(value), "' (",
                             AcceptedDates(), ")"}),
                   err);
    }
    return day;
}

std::optional<OutputFormat> TakeFormat(const ParsedArgs& parsed, std::string_view command,
                                       std::ostream& err) {
    OutputFormat format = OutputFormat::Table;
    for (const auto& [name, value] : parsed.options) {
        if (name == "--format") {
            const auto f = ParseOutputFormat(value);
            if (!f) {
                UsageError(command, "--format must be table, tsv or json, not '" + value + "'",
                           err);
                return std::nullopt;
            }
            format = *f;
        }
    }
    return format;
}

}  // namespace velomar::cli
