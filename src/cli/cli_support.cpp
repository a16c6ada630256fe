#include "cli/cli_support.h"

#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/cli.h"
#include "platform/utf8.h"

namespace velomar::cli {

void StreamMessageSink::showMessage(std::u16string_view text, std::u16string_view caption) {
    m_stream << ToUtf8(caption) << ": " << ToUtf8(text) << '\n';
}

std::optional<std::u16string> ArgumentText(std::string_view argument, std::ostream& err) {
    auto text = FromUtf8(argument);
    if (!text) {
        err << "velomar-cli: argument '" << TerminalText(argument) << "' is not valid UTF-8 text\n";
    }
    return text;
}

std::optional<ParsedArgs> ParseArgs(const std::vector<std::string>& args,
                                    const std::vector<KnownOption>& known, std::string_view command,
                                    std::ostream& err) {
    ParsedArgs parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // No option starts with a digit: "-1" is a (bad) number, so it gets that message.
        const bool looksNumeric = arg.size() > 1 && arg[1] >= '0' && arg[1] <= '9';
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || looksNumeric) {
            parsed.positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const KnownOption* optionSpec = nullptr;
        for (const KnownOption& s : known) {
            if (s.name == name) {
                optionSpec = &s;
            }
        }
        if (optionSpec == nullptr) {
            UsageError(command, "unknown option '" + arg + "'", err);
            return std::nullopt;
        }
        std::string value;
        if (optionSpec->takesValue) {
            if (equals != std::string::npos) {
                value = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                UsageError(command, "option " + name + " needs a value", err);
                return std::nullopt;
            }
        } else if (equals != std::string::npos) {
            UsageError(command, "option " + name + " takes no value", err);
            return std::nullopt;
        }
        parsed.options.emplace_back(name, value);
    }
    return parsed;
}

int UsageError(std::string_view command, std::string_view text, std::ostream& err) {
    err << "velomar-cli";
    if (!command.empty()) {
        err << ' ' << command;
    }
    err << ": " << TerminalText(text) << "\n";
    err << "Try 'velomar-cli " << (command.empty() ? "" : std::string(command) + " ")
        << "--help'.\n";
    return kUsage;
}

void WarnIfNoTimeData(const CliContext& context, std::string_view command) {
    std::error_code error;
    const std::filesystem::path folder = context.dataDirectory / "TimeData";
    if (!std::filesystem::is_directory(folder, error)) {
        context.err << "velomar-cli " << command << ": no timetable folder "
                    << TerminalText(PathToUtf8(folder)) << " (see --data)\n";
    }
}

}  // namespace velomar::cli
