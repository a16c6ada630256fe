#pragma once

// The values that command options and arguments take, each read one way for every command.

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli/cli_support.h"
#include "cli/record_writer.h"

namespace velomar::cli {

// Decimal digits only (no sign), at most `limit`.
std::optional<int> ParseCount(std::string_view text, int limit);

// "0".."5", an entry of the train-type list, or "전체" for the first entry.
std::optional<int> ParseTrainType(std::string_view text);

// The hour and the ten-minute entry of an exact "HH:MM", 00:00 to 23:59.
struct TimeChoice {
    int hour;
    int minuteEntry;
};
std::optional<TimeChoice> ParseTimeChoice(std::string_view text);

// Minutes from midnight of an exact "HH:MM", 00:00 to 23:59.
std::optional<int> ParseClockMinutes(std::string_view text);

// A date option's value ("--week", "20240101") as a day number; reports anything but a date
// YYYYMMDD within the accepted range as bad usage and returns nothing.
std::optional<int> TakeDate(std::string_view command, std::string_view name, std::string_view value,
                            std::ostream& err);
// The range, for help texts: "dates from 00010101 to 99991224".
std::string AcceptedDates();

// The --format option among a command's options: table when it is not given. Reports a
// value that is none of the three and returns nothing.
std::optional<OutputFormat> TakeFormat(const ParsedArgs& parsed, std::string_view command,
                                       std::ostream& err);

}  // namespace velomar::cli
