#pragma once

// One entry point and one help text per command; the table in cli_commands.cpp lists them.
#include <string_view>

namespace velomar::cli {

struct CliContext;

int RunRoutes(CliContext& context);
int RunStations(CliContext& context);
int RunGrid(CliContext& context);

inline constexpr std::string_view kRoutesUsage =
    "Usage: velomar-cli routes FROM TO\n"
    "\n"
    "Which timetable files serve a station pair. Prints two lines, 'up:' and 'down:', each\n"
    "followed by the route indices (0-31) whose Up or Down file serves FROM -> TO.\n"
    "Example: velomar-cli routes 강릉 동해   prints  up: 31 / down: 25 29 30\n";

inline constexpr std::string_view kStationsUsage =
    "Usage: velomar-cli stations\n"
    "\n"
    "The station directory as the station picker shows it, one entry per line:\n"
    "group index, group label, station name, station code (TAB-separated).\n";

inline constexpr std::string_view kGridUsage =
    "Usage: velomar-cli grid FILE\n"
    "\n"
    "Loads one timetable file with the program's reader and prints the grid it gives:\n"
    "70 lines of 80 TAB-separated four-character cells. Exit status 1 when the file\n"
    "cannot be loaded (the message goes to standard error).\n";

}  // namespace velomar::cli
