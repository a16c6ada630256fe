#include "cli/cli.h"

#include <ostream>

#include "cli/cli_support.h"
#include "platform/utf8.h"
#include "timetable/data_folder.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kProgramHelp =
    "velomar-cli: the offline Korean railway timetable on the command line.\n"
    "\n"
    "Usage: velomar-cli [--data DIR] [--settings FILE] COMMAND [ARGS...]\n"
    "\n"
    "Global options (before or after the command):\n"
    "  --data DIR       folder that holds TimeData/; default: $VELOMAR_DATA, else the first\n"
    "                   of these that holds TimeData/: the program's own folder,\n"
    "                   $XDG_DATA_HOME/velomar (else ~/.local/share/velomar), the installed\n"
    "                   samples (../share/velomar from the program's folder)\n"
    "  --settings FILE  settings database (default: $VELOMAR_SETTINGS, else\n"
    "                   $XDG_CONFIG_HOME/velomar/settings.sqlite3)\n"
    "  -h, --help       this help; 'velomar-cli COMMAND --help' explains a command\n"
    "\n"
    "Commands:\n";

const CliCommand* findCommand(std::string_view name) {
    for (const CliCommand& command : Commands()) {
        if (command.name == name) {
            return &command;
        }
    }
    return nullptr;
}

void printProgramHelp(std::ostream& out, const DataFolder& data) {
    out << kProgramHelp;
    for (const CliCommand& command : Commands()) {
        out << "  " << command.name;
        for (std::size_t i = command.name.size(); i < 14; ++i) {
            out << ' ';
        }
        out << command.summary << '\n';
    }
    out << "\nData folder in use: " << TerminalText(PathToUtf8(data.folder)) << "\n  ("
        << DescribeDataFolderRule(data.rule) << "; 'velomar-cli data' tells more)\n";
    out << "\nExit status: 0 success, 1 failure or nothing found, 2 bad usage.\n";
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CliContext context{{}, {}, std::nullopt, out, err};
    std::optional<std::filesystem::path> dataOption;
    bool help = false;
    std::string commandName;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded) {
            const bool isData = arg == "--data" || arg.starts_with("--data=");
            const bool isSettings = arg == "--settings" || arg.starts_with("--settings=");
            if (isData || isSettings) {
                std::string value;
                const auto equals = arg.find('=');
                if (equals != std::string::npos) {
                    value = arg.substr(equals + 1);
                } else if (i + 1 < args.size()) {
                    value = args[++i];
                } else {
                    return UsageError("", "option " + arg + " needs a value", err);
                }
                if (value.empty()) {
                    return UsageError("", "option " + arg.substr(0, equals) + " needs a value",
                                      err);
                }
                (isData ? dataOption.emplace() : context.settingsFile.emplace()) =
                    PathFromUtf8(value);
                continue;
            }
            if (arg == "--") {
                optionsEnded = true;
            }
        }
        if (commandName.empty() && !optionsEnded) {
            if (arg == "--help" || arg == "-h") {
                help = true;
                continue;
            }
            if (arg.starts_with("-") && arg.size() > 1) {
                return UsageError("", "unknown option '" + arg + "'", err);
            }
            commandName = arg;
            continue;
        }
        context.args.push_back(arg);
    }
    const DataFolder data = ChooseDataFolder(dataOption);
    context.dataDirectory = data.folder;
    context.dataRule = data.rule;
    if (commandName.empty()) {
        printProgramHelp(help ? out : err, data);
        return help ? kSuccess : kUsage;
    }
    if (commandName == "help") {
        if (context.args.empty()) {
            printProgramHelp(out, data);
            return kSuccess;
        }
        commandName = context.args.front();
        context.args = {"--help"};
    }
    const CliCommand* command = findCommand(commandName);
    if (command == nullptr) {
        return UsageError("", "unknown command '" + commandName + "'", err);
    }
    for (const std::string& arg : context.args) {
        if (arg == "--") {
            break;
        }
        help = help || arg == "--help" || arg == "-h";
    }
    if (help) {
        out << command->usage;
        return kSuccess;
    }
    return command->run(context);
}

}  // namespace velomar::cli
