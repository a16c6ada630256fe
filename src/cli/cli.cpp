#include "cli/cli.h"

#include <cstring>
#include <ostream>

#include "cli/cli_support.h"
#include "cli/terminal_output.h"
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

namespace {

// What the command line asks for besides the global options.
struct Request {
    std::string command;  // empty: none given
    bool help = false;
};

// --data and --settings, wherever they stand before "--"; nothing when one lacks its value.
std::optional<int> takeGlobalOption(const std::vector<std::string>& args, std::size_t& i,
                                    CliContext& context, bool& taken) {
    const std::string& arg = args[i];
    const bool isData = arg == "--data" || arg.starts_with("--data=");
    const bool isSettings = arg == "--settings" || arg.starts_with("--settings=");
    taken = isData || isSettings;
    if (!taken) {
        return std::nullopt;
    }
    std::string value;
    const auto equals = arg.find('=');
    if (equals != std::string::npos) {
        value = arg.substr(equals + 1);
    } else if (i + 1 < args.size()) {
        value = args[++i];
    } else {
        return UsageError("", "option " + arg + " needs a value", context.err);
    }
    if (value.empty()) {
        return UsageError("", "option " + arg.substr(0, equals) + " needs a value", context.err);
    }
    (isData ? context.dataDirectory : context.settingsFile.emplace()) = PathFromUtf8(value);
    return std::nullopt;
}

// Splits the arguments into global options, the command and the command's own arguments.
// Nothing on success, else the exit status of bad usage.
std::optional<int> splitArguments(const std::vector<std::string>& args, CliContext& context,
                                  Request& request) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded) {
            bool taken = false;
            if (const auto status = takeGlobalOption(args, i, context, taken)) {
                return status;
            }
            if (taken) {
                continue;
            }
            optionsEnded = arg == "--";
        }
        if (request.command.empty() && !optionsEnded) {
            if (arg == "--help" || arg == "-h") {
                request.help = true;
                continue;
            }
            if (arg.starts_with("-") && arg.size() > 1) {
                return UsageError("", "unknown option '" + arg + "'", context.err);
            }
            request.command = arg;
            continue;
        }
        context.args.push_back(arg);
    }
    return std::nullopt;
}

}  // namespace

namespace {

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CliContext context{{}, {}, std::nullopt, out, err};
    Request request;
    if (const auto status = splitArguments(args, context, request)) {
        return *status;
    }
    // An empty folder here means no --data: the option refuses an empty value.
    const DataFolder data =
        ChooseDataFolder(context.dataDirectory.empty()
                             ? std::nullopt
                             : std::optional<std::filesystem::path>(context.dataDirectory));
    context.dataDirectory = data.folder;
    context.dataRule = data.rule;
    if (request.command.empty()) {
        printProgramHelp(request.help ? out : err, data);
        return request.help ? kSuccess : kUsage;
    }
    if (request.command == "help") {
        if (context.args.empty()) {
            printProgramHelp(out, data);
            return kSuccess;
        }
        request.command = context.args.front();
        context.args = {"--help"};
    }
    const CliCommand* command = findCommand(request.command);
    if (command == nullptr) {
        return UsageError("", "unknown command '" + request.command + "'", err);
    }
    for (const std::string& arg : context.args) {
        if (arg == "--") {
            break;
        }
        request.help = request.help || arg == "--help" || arg == "-h";
    }
    if (request.help) {
        out << command->usage;
        return kSuccess;
    }
    return command->run(context);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TerminalOutput safeOut(out.rdbuf());
    TerminalOutput safeErr(err.rdbuf());
    std::ostream checkedOut(&safeOut);
    std::ostream checkedErr(&safeErr);
    int status = runCli(args, checkedOut, checkedErr);
    // Output that went nowhere is a failure, whatever the command found.
    if (!safeOut.finish()) {
        checkedErr << "velomar-cli: could not write the output"
                   << (safeOut.error() != 0 ? std::string(": ") + std::strerror(safeOut.error())
                                            : std::string())
                   << '\n';
        status = kFailure;
    }
    safeErr.finish();
    return status;
}

}  // namespace velomar::cli
