#include "cli/travel_options.h"

#include <cstdio>
#include <ostream>

#include "cli/cli_support.h"
#include "cli/command_day.h"
#include "cli/option_values.h"
#include "platform/host.h"
#include "platform/utf8.h"
#include "timetable/time_text.h"
#include "travel/journeys.h"

namespace velomar::cli {

namespace {

constexpr int kMaxChangeMinutes = 600;

// One option into `options`; false when it was reported as bad usage.
bool takeOption(const std::string& name, const std::string& value, std::string_view command,
                TravelOptions& options, std::ostream& err) {
    if (name == "--type") {
        const auto type = ParseTrainType(value);
        if (!type) {
            UsageError(
                command,
                "--type must be 0-5 or one of 전체, KTX, 새마을, 무궁화, 통일호, 누리로, not '" +
                    value + "'",
                err);
            return false;
        }
        options.filter.typeIndex = *type;
    } else if (name == "--time") {
        const auto minutes = ParseClockMinutes(value);
        if (!minutes) {
            UsageError(command, "--time must be HH:MM from 00:00 to 23:59, not '" + value + "'",
                       err);
            return false;
        }
        options.filter.earliest = *minutes;
    } else if (name == "--date") {
        options.date = TakeDate(command, "--date", value, err);
        return options.date.has_value();
    } else if (name == "--limit") {
        const auto limit = ParseCount(value, 1000);
        if (!limit || *limit == 0) {
            UsageError(command, "--limit needs a count from 1 to 1000, not '" + value + "'", err);
            return false;
        }
        options.limit = *limit;
    } else if (name == "--change-min") {
        const auto minutes = ParseCount(value, kMaxChangeMinutes);
        if (!minutes) {
            UsageError(command, "--change-min needs minutes from 0 to 600, not '" + value + "'",
                       err);
            return false;
        }
        options.changeMinutes = *minutes;
    }
    return true;  // --format is taken apart
}

}  // namespace

std::optional<TravelOptions> ParseTravelOptions(const CliContext& context,
                                                const TravelOptionRules& rules) {
    std::vector<KnownOption> known = {{"--time", true},
                                      {"--type", true},
                                      {"--limit", true},
                                      {"--format", true},
                                      {"--date", true}};
    if (rules.changeOption) {
        known.push_back({"--change-min", true});
    }
    const auto parsed = ParseArgs(context.args, known, rules.command, context.err);
    if (!parsed) {
        return std::nullopt;
    }
    if (parsed->positionals.size() != rules.stations) {
        UsageError(rules.command,
                   rules.stations == 1 ? "expects one station" : "expects FROM and TO",
                   context.err);
        return std::nullopt;
    }
    TravelOptions options;
    options.limit = rules.defaultLimit;
    options.changeMinutes = kDefaultChangeMinutes;
    const LocalTime now = SystemClock().now();
    options.filter.earliest = now.hour * 60 + now.minute;
    for (const std::string& argument : parsed->positionals) {
        auto station = ArgumentText(argument, context.err);
        if (!station) {
            return std::nullopt;
        }
        options.stations.push_back(std::move(*station));
        options.stationArguments.push_back(argument);
    }
    const auto format = TakeFormat(*parsed, rules.command, context.err);
    if (!format) {
        return std::nullopt;
    }
    options.format = *format;
    for (const auto& [name, value] : parsed->options) {
        if (!takeOption(name, value, rules.command, options, context.err)) {
            return std::nullopt;
        }
    }
    return options;
}

std::u16string ClockText(int minutes) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60 % 24, minutes % 60);
    return *FromUtf8(text);
}

std::u16string CellClockText(std::u16string_view cell) {
    return FormatClock(DisplayTime(cell));
}

std::u16string Decimal(int value) {
    return *FromUtf8(std::to_string(value));
}

std::vector<RouteCode> SheetsRead(const TimetableSet& set) {
    std::vector<RouteCode> sheets;
    for (const TimetableSet::File& file : set.files()) {
        sheets.push_back(file.code);
    }
    return sheets;
}

bool ReportUnreadable(std::ostream& err, std::string_view command,
                      const TimetableDirectory& timetables, const TimetableSet& set) {
    for (RouteCode code : set.unreadable()) {
        err << "velomar-cli " << command << ": cannot read "
            << TerminalText(PathToUtf8(timetables.pathOf(code))) << "; its trains are left out\n";
    }
    return set.unreadable().empty();
}

}  // namespace velomar::cli
