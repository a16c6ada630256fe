#pragma once

// The options that board and journeys share: stations, time, type, limit, format.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli.h"
#include "cli/record_writer.h"
#include "timetable/timetable_file.h"
#include "travel/timetable_set.h"
#include "travel/travel_query.h"

namespace velomar::cli {

struct TravelOptions {
    std::vector<std::u16string> stations;       // as many as the command wants
    std::vector<std::string> stationArguments;  // as given, for messages
    TravelFilter filter;                        // earliest: --time, else the clock
    int limit = 0;
    int changeMinutes = 0;  // journeys only
    OutputFormat format = OutputFormat::Table;
    std::optional<int> date;  // --date; else today
};

struct TravelOptionRules {
    std::string_view command;
    std::size_t stations;  // positional station names
    int defaultLimit;
    bool changeOption;  // --change-min
};

// Nothing when bad usage was reported.
std::optional<TravelOptions> ParseTravelOptions(const CliContext& context,
                                                const TravelOptionRules& rules);

// "07:05" for 425 minutes, "00:15" for an after-midnight cell's 1455.
std::u16string ClockText(int minutes);

// A cell as the screen shows it: "3015" becomes "00:15".
std::u16string CellClockText(std::u16string_view cell);

std::u16string Decimal(int value);

// The sheets the set holds, for the dates a command reads.
std::vector<RouteCode> SheetsRead(const TimetableSet& set);

// Names each file or sheet of the set that could not be read ("its trains are left out"); false
// when there was one, so that the command's answer counts as incomplete.
bool ReportUnreadable(std::ostream& err, std::string_view command,
                      const TimetableDirectory& timetables, const TimetableSet& set);

}  // namespace velomar::cli
