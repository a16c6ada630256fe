#include "cli/cli_commands.h"

#include "cli/cli.h"

namespace velomar::cli {

const std::vector<CliCommand>& Commands() {
    static const std::vector<CliCommand> commands = {
        {"routes", "routes and directions that serve a station pair", kRoutesUsage, RunRoutes},
        {"stations", "the station directory, group by group", kStationsUsage, RunStations},
        {"grid", "load one timetable file and print its grid", kGridUsage, RunGrid},
    };
    return commands;
}

}  // namespace velomar::cli
