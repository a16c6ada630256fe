// `velomar-cli data`: which folder the timetables come from, and why.
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>
#include <system_error>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "cli/command_day.h"
#include "platform/host.h"
#include "platform/utf8.h"
#include "timetable/data_folder.h"
#include "timetable/file_reader.h"
#include "timetable/service_dates.h"

namespace velomar::cli {

extern const std::string_view kDataUsage =
    "Usage: velomar-cli data\n"
    "\n"
    "Prints the folder the timetables are read from (the one that holds TimeData/), the\n"
    "rule that chose it, every place looked at, TimeData/SOURCE.txt when the timetables\n"
    "were imported, and the period of TimeData/Dates.txt when the set carries dates (the\n"
    "days search, board, journeys and detail answer for with --date). The first rule\n"
    "that gives a folder wins:\n"
    "  1. --data DIR\n"
    "  2. $VELOMAR_DATA\n"
    "  3. the program's own folder, when it holds TimeData/ (a build tree)\n"
    "  4. $XDG_DATA_HOME/velomar (else ~/.local/share/velomar), when it holds TimeData/\n"
    "  5. ../share/velomar from the program's folder (the installed samples), when it\n"
    "     holds TimeData/\n"
    "Exit status 0 when the folder in use holds TimeData/, 1 when it does not or its\n"
    "SOURCE.txt or Dates.txt cannot be read.\n";

namespace {

// More than any import writes; a bigger file is cut rather than read to its end.
constexpr std::size_t kSourceLimit = 64 * 1024;

std::string shown(const std::filesystem::path& path) {
    return TerminalText(PathToUtf8(path));
}

// Why a rule named no folder at all.
std::string_view unnamed(DataFolderRule rule) {
    switch (rule) {
        case DataFolderRule::Option:
            return "--data DIR: not given";
        case DataFolderRule::Environment:
            return "$VELOMAR_DATA: not set";
        case DataFolderRule::UserFolder:
            return "$XDG_DATA_HOME and $HOME: not set";
        default:
            return "the program's folder: unknown";
    }
}

void printCandidates(const DataFolderPlaces& places, DataFolderRule chosen, std::ostream& out) {
    out << "looked at, in order:\n";
    int number = 1;
    for (const DataFolderCandidate& candidate : DataFolderCandidates(places)) {
        out << "  " << number++ << ' ';
        if (candidate.folder.empty()) {
            out << unnamed(candidate.rule);
        } else {
            out << shown(candidate.folder) << ": "
                << (candidate.holdsTimeData ? "holds TimeData/" : "no TimeData/")
                << (candidate.rule == chosen ? " (in use)" : "");
        }
        out << '\n';
    }
}

// The import's notes about the feed, one "key: value" per line, escaped for the terminal.
bool printSource(const std::filesystem::path& folder, std::ostream& out, std::ostream& err) {
    const std::filesystem::path file = folder / "TimeData" / "SOURCE.txt";
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        out << "source: no TimeData/SOURCE.txt\n";
        return true;
    }
    // Not a pipe or a device: those could block or never end.
    std::ifstream in;
    if (std::filesystem::is_regular_file(file, error)) {
        in.open(file, std::ios::binary);
    }
    std::string text(kSourceLimit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (!in.is_open() || in.bad()) {
        err << "velomar-cli data: cannot read " << shown(file) << '\n';
        return false;
    }
    const bool cut = text.size() == kSourceLimit && in.peek() != std::char_traits<char>::eof();
    out << "source (TimeData/SOURCE.txt):\n";
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        end = end == std::string::npos ? text.size() : end;
        std::string_view line(text.data() + start, end - start);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        out << "  " << TerminalText(line) << '\n';
        start = end + 1;
    }
    if (cut) {
        out << "  (cut after " << kSourceLimit / 1024 << " KiB)\n";
    }
    return true;
}

// The days the set answers for.
bool printDates(const std::filesystem::path& folder, std::ostream& out, std::ostream& err) {
    DiskFileReader reader;
    const std::vector<RouteCode> noSheets;
    const LoadedDates loaded = LoadServiceDates(TimetableDirectory(reader, folder), &noSheets);
    if (loaded.status == DatesLoad::Failed) {
        err << "velomar-cli data: " << TerminalText(loaded.error) << '\n';
        return false;
    }
    if (loaded.dates) {
        out << "dates: " << PeriodText(loaded.dates->period())
            << " (TimeData/Dates.txt; --date picks a day of it, default today)\n";
    } else {
        out << "dates: none (no TimeData/Dates.txt: every train runs on every day)\n";
    }
    return true;
}

}  // namespace

int RunData(CliContext& context) {
    const auto parsed = ParseArgs(context.args, {}, "data", context.err);
    if (!parsed) {
        return kUsage;
    }
    if (!parsed->positionals.empty()) {
        return UsageError("data", "takes no arguments", context.err);
    }
    const DataFolderPlaces places{context.dataRule == DataFolderRule::Option
                                      ? std::optional<std::filesystem::path>(context.dataDirectory)
                                      : std::nullopt,
                                  [](const char* name) { return std::getenv(name); },
                                  ExecutableDirectory()};
    std::ostream& out = context.out;
    out << "folder: " << shown(context.dataDirectory) << '\n';
    out << "rule: " << DescribeDataFolderRule(context.dataRule) << '\n';
    printCandidates(places, context.dataRule, out);
    std::error_code error;
    const bool holds = std::filesystem::is_directory(context.dataDirectory / "TimeData", error);
    if (!holds) {
        context.err << "velomar-cli data: " << shown(context.dataDirectory)
                    << " holds no TimeData/\n";
        return kFailure;
    }
    const bool datesRead = printDates(context.dataDirectory, out, context.err);
    const bool sourceRead = printSource(context.dataDirectory, out, context.err);
    return sourceRead && datesRead ? kSuccess : kFailure;
}

}  // namespace velomar::cli
