#pragma once

// One entry point and one help text per command; the table in cli_commands.cpp lists them.
#include <string_view>

namespace velomar::cli {

struct CliContext;

int RunRoutes(CliContext& context);
int RunStations(CliContext& context);
int RunGrid(CliContext& context);
int RunCheck(CliContext& context);
int RunSearchCommand(CliContext& context);
int RunDetailCommand(CliContext& context);
int RunSettings(CliContext& context);
int RunExportGtfs(CliContext& context);
int RunBoard(CliContext& context);
int RunJourneys(CliContext& context);
int RunImportGtfs(CliContext& context);
int RunData(CliContext& context);
extern const std::string_view kDataUsage;  // in commands_data.cpp

inline constexpr std::string_view kSearchUsage =
    "Usage: velomar-cli search [FROM TO] [--type N] [--time HH:MM] [--layout portrait|square]\n"
    "                          [--next N | --prev N] [--date YYYYMMDD] [--format table|tsv|json]\n"
    "\n"
    "Runs the main screen's search as a freshly started screen would: the settings are\n"
    "restored first (defaults written on a first start), then Search is pressed.\n"
    "  FROM TO       station names; default: the pair of the last search. \"\" passes an empty\n"
    "                field on, as an empty text box would.\n"
    "  --type N      0-5 or a type name: 전체, KTX, 새마을, 무궁화, 통일호, 누리로 (default 0)\n"
    "  --time HH:MM  hour HH and the ten-minute step of MM (default: this hour, minute 00)\n"
    "  --layout      portrait (480x800 screen, 14 rows) or square (9 rows); default portrait\n"
    "  --next N      press Next N times after the search (--prev N: press Prev); Next begins\n"
    "                with the first train after the last one listed\n"
    "  --date        the day to answer for, where the timetables carry dates (default:\n"
    "                today in Korea); a day outside their period fails. Without dates\n"
    "                every train runs on every day and --date changes nothing.\n"
    "  --format      table (default), tsv or json\n"
    "tsv prints one line per row: train number, departure, arrival, type label, route code\n"
    "(the train's file or sheet, for detail) and the raw departure cell, TAB-separated.\n"
    "Trains leaving at the same minute are all listed. Messages go to standard error as\n"
    "'CAPTION: TEXT'. The searched pair is stored as the last pair.\n"
    "A station name that no route carries adds 'did you mean: NAME' on standard error when\n"
    "a station with trains is one typo away.\n"
    "Exit status 0 when trains are listed, 1 when none, 2 for bad usage.\n"
    "Example: velomar-cli search 서울 대전 --type KTX --time 07:30\n";

inline constexpr std::string_view kDetailUsage =
    "Usage: velomar-cli detail FROM TO TRAIN_NO ROUTE_CODE [--date YYYYMMDD]\n"
    "                          [--format table|tsv|json|ics]\n"
    "\n"
    "The stops of one train between two stations, as a tap on a result row shows them.\n"
    "ROUTE_CODE names the file the train was found in: 0-31 for the Up file of that route,\n"
    "100-131 for the Down file of route ROUTE_CODE - 100, and 1000 more for each further\n"
    "sheet (1016: UpData_16.2.txt; search --format tsv prints it). Where the timetables\n"
    "carry dates, --date (default: today in Korea) must be a day the train runs.\n"
    "tsv prints one line per stop: station name and time (HH:MM), TAB-separated.\n"
    "ics prints the ride as one calendar event (iCalendar, RFC 5545): from the first to the\n"
    "last stop listed, in Korean time, the stops in its description. --date is the day whose\n"
    "timetable lists the train (default: today in Korea); times after midnight fall on the\n"
    "next day; dates from 00010101 to 99991224 (the event must end in a year of four\n"
    "digits); a day the train's code says it does not run on is warned about. Exporting\n"
    "the same train for the same day again gives the same UID.\n"
    "A station name that no route carries adds 'did you mean: NAME' on standard error.\n"
    "Exit status 0 when stops are listed, 1 when none, 2 for bad usage.\n"
    "Example: velomar-cli detail 서울 대전 0101 100\n"
    "         velomar-cli detail 서울 부산 0111 116 --format ics --date 20100618 > ktx111.ics\n";

inline constexpr std::string_view kBoardUsage =
    "Usage: velomar-cli board STATION [--time HH:MM] [--type N|TEXT] [--date YYYYMMDD]\n"
    "                         [--limit N] [--format table|tsv|json]\n"
    "\n"
    "The departures of one station: every train that stops there and at a later station,\n"
    "from every timetable file that lists the station, earliest first; trains after\n"
    "midnight come last. A train listed in a line file and in a through-route file at once\n"
    "(same number, same departure here) is shown once, with the last station of the copy\n"
    "that runs furthest.\n"
    "  --time HH:MM  trains leaving at or after this minute (default: now)\n"
    "  --type N      0-5 or a type name: 전체, KTX, 새마을, 무궁화, 통일호, 누리로 (default 0)\n"
    "  --date        the day, where the timetables carry dates (default: today in Korea)\n"
    "  --limit N     at most N trains, 1-1000 (default 20)\n"
    "  --format      table (default), tsv or json\n"
    "tsv prints one line per train: number, type label, departure, last station, arrival\n"
    "there, route code (for detail) and the raw departure cell, TAB-separated.\n"
    "Exit status 0 when trains are listed, 1 when none or a file cannot be read, 2 for bad\n"
    "usage.\n"
    "Example: velomar-cli board 서울 --time 07:00\n";

inline constexpr std::string_view kJourneysUsage =
    "Usage: velomar-cli journeys FROM TO [--time HH:MM] [--type N|TEXT] [--change-min MINUTES]\n"
    "                            [--date YYYYMMDD] [--limit N] [--format table|tsv|json]\n"
    "\n"
    "Journeys from FROM to TO leaving at or after the time: direct trains and journeys with\n"
    "exactly one change at any station. A journey that another one leaves later than and\n"
    "arrives earlier than is not listed; nor is one that another matches in one time and\n"
    "beats in the other with no more changes (so a direct train stays beside a faster\n"
    "journey with a change that leaves at the same minute). The direct trains are those\n"
    "search finds for the pair. Staying on the same train is no change.\n"
    "  --time HH:MM       journeys leaving at or after this minute (default: now)\n"
    "  --type N           0-5 or a type name; every train of a journey has that type\n"
    "  --change-min N     minutes needed to change trains, 0-600 (default 10)\n"
    "  --date YYYYMMDD    the day, where the timetables carry dates (default: today in Korea)\n"
    "  --limit N          at most N journeys, 1-1000 (default 10)\n"
    "  --format           table (default), tsv or json\n"
    "tsv prints one line per journey: departure, arrival, minutes, changes, then number, type\n"
    "and route code of the first train, the change station with arrival and departure there,\n"
    "and number, type and route code of the second train (empty for a direct train).\n"
    "Exit status 0 when journeys are listed, 1 when none or a file cannot be read, 2 for bad\n"
    "usage.\n"
    "Example: velomar-cli journeys 강릉 부산 --time 06:00\n";

inline constexpr std::string_view kRoutesUsage =
    "Usage: velomar-cli routes FROM TO\n"
    "\n"
    "Which timetable files serve a station pair. Prints two lines, 'up:' and 'down:', each\n"
    "followed by the route indices (0-31) whose Up or Down file serves FROM -> TO.\n"
    "Example: velomar-cli routes 강릉 동해   prints  up: 31 / down: 25 29 30\n";

inline constexpr std::string_view kStationsUsage =
    "Usage: velomar-cli stations\n"
    "       velomar-cli stations --match TEXT [--limit N] [--format table|tsv|json]\n"
    "\n"
    "The station directory as the station picker shows it, one entry per line:\n"
    "group index, group label, station name, station code (TAB-separated).\n"
    "\n"
    "--match finds stations of the route tables and the directory from what a user types,\n"
    "best first: the exact name, the beginning of a name, initial consonants (ㄷㄷㄱ for\n"
    "동대구, also mixed with syllables: 동ㄷ; a plain consonant also finds its doubled form,\n"
    "ㅅ finds 쌍용), then near misses one syllable or jamo off (서을 for 서울); within each,\n"
    "stations on more routes first. One line per station: name, code, the number of routes\n"
    "that list it and how it matched (exact, prefix, initials, near miss).\n"
    "  --limit N   at most N stations, 1-1000 (default 20)\n"
    "Exit status 0 when a station matches, 1 when none, 2 for bad usage.\n"
    "Example: velomar-cli stations --match ㄷㄷㄱ\n";

inline constexpr std::string_view kGridUsage =
    "Usage: velomar-cli grid FILE\n"
    "\n"
    "Loads one timetable file or sheet with the program's reader and prints its grid:\n"
    "70 lines of 80 TAB-separated four-character cells. Exit status 1 when the file\n"
    "cannot be loaded (the message goes to standard error).\n";

inline constexpr std::string_view kCheckUsage =
    "Usage: velomar-cli check [DIR]\n"
    "\n"
    "Checks the 64 timetable files and their further sheets: format, cell texts, limits (79\n"
    "trains, 68 station rows), station rows against the route and its order, train codes,\n"
    "train numbers and times that go backwards; a sheet after a missing one is not read.\n"
    "Then Dates.txt, when there is one: its faults, lines for sheets that are not read and\n"
    "more columns than a sheet has trains. DIR is the folder that holds TimeData/, or the\n"
    "TimeData folder itself; default: the TimeData in use (see velomar-cli data).\n"
    "Prints one line per problem, FILE:LINE:COLUMN: MESSAGE, where LINE is the line of\n"
    "the file (1 = train codes, 2 = train numbers, 3 = first station) and COLUMN the\n"
    "cell in that line (1 = label or station code, k+1 = the k-th train); 0 means the\n"
    "whole line or file. Then a summary line.\n"
    "Exit status 0 when clean, 1 when a problem was found, 2 for bad usage.\n";

inline constexpr std::string_view kSettingsUsage =
    "Usage: velomar-cli settings list\n"
    "       velomar-cli settings get NAME\n"
    "       velomar-cli settings set (--text|--number) [--] NAME VALUE\n"
    "       velomar-cli settings delete NAME\n"
    "\n"
    "Reads and changes the values the program keeps under HKCU\\Software\\Ondrel, with the\n"
    "program's own settings operations. Names compare without regard to ASCII case.\n"
    "  list    one line per value: NAME, 'text', 'number' or 'type N', and the value\n"
    "          (TAB-separated; numbers in decimal, texts as UTF-8 with control\n"
    "          characters as \\xNN, other data in hex)\n"
    "  get     prints a text as it is, a number in decimal\n"
    "  set     stores a text, or a number from 0 to 4294967295\n"
    "  delete  removes a value\n"
    "Exit status 1 when the value does not exist (get, delete) or the store cannot be\n"
    "opened; 2 for bad usage, such as a number out of range.\n"
    "Example: velomar-cli settings set --number ResultCount 14\n";

inline constexpr std::string_view kExportGtfsUsage =
    "Usage: velomar-cli export-gtfs OUTDIR [--start-date YYYYMMDD] [--end-date YYYYMMDD]\n"
    "\n"
    "Writes the timetables in use (see velomar-cli data) as a GTFS feed into\n"
    "OUTDIR, which is created when missing: agency, stops, routes (one per train type),\n"
    "trips (one per train of each file and sheet), stop_times, calendar and feed_info\n"
    "(.txt, UTF-8 CSV). Files of those names in OUTDIR are replaced; other files are left\n"
    "alone.\n"
    "  --start-date, --end-date  validity of every service (default 20100101-20101231);\n"
    "                            dates from 00010101 to 99991224\n"
    "Day-restricted trains get their own calendar entry: A Friday, B Saturday, C Sunday,\n"
    "D Monday (BC, ABC and AC combine them), 누(평일) Monday to Friday, all others daily.\n"
    "Timetables with dates (TimeData/Dates.txt) give one service per day pattern instead,\n"
    "with calendar_dates.txt, over their own period.\n"
    "Stations have no coordinates: stop_lat and stop_lon are left empty.\n"
    "Prints problems (FILE:LINE:COLUMN: MESSAGE) and a summary line to standard error.\n"
    "Exit status 0 when the feed is written, 1 when it cannot be (no timetable file can be\n"
    "read, a file cannot be written), 2 for bad usage, such as OUTDIR being a file.\n"
    "Example: velomar-cli export-gtfs /tmp/velomar-gtfs\n";

inline constexpr std::string_view kImportGtfsUsage =
    "Usage: velomar-cli import-gtfs FEED --out DIR [--from YYYYMMDD] [--to YYYYMMDD]\n"
    "                               [--week YYYYMMDD] [--stations FILE] [--types FILE]\n"
    "                               [--format text|json]\n"
    "\n"
    "Turns a GTFS feed (a .zip, or a folder of .txt files) into timetables for a period:\n"
    "DIR/TimeData/UpData_00.txt ... DownData_31.txt, further sheets where a route direction\n"
    "has more than 79 trains (UpData_16.2.txt, ...), Dates.txt (the dates each train runs)\n"
    "and SOURCE.txt (feed, publisher, licence, period, counts). Use the result with\n"
    "--data DIR. An old TimeData in DIR is replaced only once every new file is written.\n"
    "  --from, --to  the first and the last day (default: the feed's own service period,\n"
    "              at most 731 days from its first day with service)\n"
    "  --week      only the seven days from this date, written as day codes without dates\n"
    "              (dates from 00010101 to 99991224)\n"
    "  --stations  TSV lines 'STOP_ID or STOP_NAME<TAB>station name or -': matches stops the\n"
    "              built-in rules do not (exact names, renamed stations, parent stations)\n"
    "  --types     TSV lines 'ROUTE_ID or ROUTE_NAME<TAB>KTX|새마을|무궁화|통일호|누리로|0-4 or "
    "-'\n"
    "  --format    the report as text (default) or as one JSON object\n"
    "The report (standard output) counts the trips read, imported and left out by reason,\n"
    "the stations matched and not matched, the route names with no train type, and the\n"
    "trains of each file and sheet. A trip runs on the days its calendar gives, a trip past\n"
    "midnight on its service day; the train code's day letters show the weekdays it runs on\n"
    "(A Fri, B Sat, C Sun, D Mon). On a terminal, a long import shows its progress on\n"
    "standard error.\n"
    "Exit status 0 when the files were written, 1 when the feed cannot be read, yields no\n"
    "train or the files cannot be written (nothing is replaced then), 2 for bad usage.\n"
    "Example: velomar-cli import-gtfs feed.zip --out ~/velomar-data\n";

}  // namespace velomar::cli
