#include "cli/cli_commands.h"

#include "cli/cli.h"

namespace velomar::cli {

const std::vector<CliCommand>& Commands() {
    static const std::vector<CliCommand> commands = {
        {"routes", "routes and directions that serve a station pair", kRoutesUsage, RunRoutes},
        {"stations", "the station directory, group by group", kStationsUsage, RunStations},
        {"grid", "load one timetable file and print its grid", kGridUsage, RunGrid},
        {"search", "search trains between two stations, page by page", kSearchUsage,
         RunSearchCommand},
        {"detail", "the stops of one train between two stations", kDetailUsage, RunDetailCommand},
        {"board", "the departures of one station from every file", kBoardUsage, RunBoard},
        {"journeys", "direct trains and journeys with one change", kJourneysUsage, RunJourneys},
        {"settings", "list, read, change or delete stored settings", kSettingsUsage, RunSettings},
        {"check", "check the timetable files for problems", kCheckUsage, RunCheck},
        {"export-gtfs", "write the timetables as a GTFS feed", kExportGtfsUsage, RunExportGtfs},
        {"import-gtfs", "make the timetables of one week from a GTFS feed", kImportGtfsUsage,
         RunImportGtfs},
        {"data", "which folder the timetables are read from, and why", kDataUsage, RunData},
    };
    return commands;
}

}  // namespace velomar::cli
