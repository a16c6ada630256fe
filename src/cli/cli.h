#pragma once

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "timetable/data_folder.h"

namespace velomar::cli {

enum ExitStatus : int { kSuccess = 0, kFailure = 1, kUsage = 2 };

// What every command gets: its own arguments (global options already taken out) and the
// places it works on.
struct CliContext {
    std::vector<std::string> args;
    std::filesystem::path dataDirectory;  // the folder that holds TimeData/
    std::optional<std::filesystem::path> settingsFile;
    std::ostream& out;
    std::ostream& err;
    DataFolderRule dataRule = DataFolderRule::ProgramFolder;  // why dataDirectory was chosen
};

struct CliCommand {
    std::string_view name;
    std::string_view summary;
    std::string_view usage;  // full help text of the command
    int (*run)(CliContext&);
};

// The whole front end: argv without the program name. Returns the exit status.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// The commands, in the order --help lists them.
const std::vector<CliCommand>& Commands();

}  // namespace velomar::cli
