// Commands over the compiled-in network and single timetable files.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "cli/option_values.h"
#include "cli/record_writer.h"
#include "network/station_directory.h"
#include "network/station_matcher.h"
#include "platform/utf8.h"
#include "screens/station_completion.h"
#include "timetable/file_reader.h"
#include "timetable/route_selection.h"
#include "timetable/timetable_file.h"
#include "timetable/timetable_grid.h"

namespace velomar::cli {

namespace {

void printMask(std::ostream& out, std::string_view label, std::uint32_t mask) {
    out << label << ':';
    for (int r = 0; r < 32; ++r) {
        if (mask & (std::uint32_t{1} << r)) {
            out << ' ' << r;
        }
    }
    out << '\n';
}

constexpr std::string_view kStationsName = "stations";
constexpr int kDefaultMatchLimit = 20;

constexpr OutputColumn kMatchColumns[] = {
    {u"역이름", "name", true},
    {u"역코드", "code", true},
    {u"노선", "routes", true},
    {u"일치", "match", true},
};

int RunStationMatch(CliContext& context, const ParsedArgs& parsed) {
    std::optional<std::string> text;
    int limit = kDefaultMatchLimit;
    for (const auto& [name, value] : parsed.options) {
        if (name == "--match") {
            text = value;
        } else if (name == "--limit") {
            const auto count = ParseCount(value, 1000);
            if (!count || *count == 0) {
                return UsageError(kStationsName,
                                  "--limit needs a count from 1 to 1000, not '" + value + "'",
                                  context.err);
            }
            limit = *count;
        }
    }
    const auto format = TakeFormat(parsed, kStationsName, context.err);
    if (!format) {
        return kUsage;
    }
    if (!text) {
        return UsageError(kStationsName, "--limit and --format go with --match TEXT", context.err);
    }
    const auto wide = ArgumentText(*text, context.err);
    if (!wide) {
        return kUsage;
    }
    if (wide->find_first_not_of(u" \t") == std::u16string::npos) {
        return UsageError(kStationsName, "--match needs a text", context.err);
    }
    // The stations with more trains in the timetables first, as the application's lists have them.
    DiskFileReader reader;
    const StationTraffic traffic =
        CountStationTraffic(TimetableDirectory(reader, context.dataDirectory));
    std::vector<OutputRecord> records;
    for (const StationMatch& match :
         MatchStations(*wide, static_cast<std::size_t>(limit), traffic)) {
        records.push_back(
            {{std::u16string(match.station.name)},
             {std::u16string(match.station.code)},
             {*FromUtf8(std::to_string(match.station.routes)), OutputValue::Json::Number},
             {std::u16string(MatchKindText(match.kind))}});
    }
    if (records.empty()) {
        context.err << "velomar-cli stations: no station matches '" << TerminalText(*text) << "'\n";
    }
    WriteRecords(context.out, *format, kMatchColumns, records);
    return records.empty() ? kFailure : kSuccess;
}

}  // namespace

int RunRoutes(CliContext& context) {
    const auto parsed = ParseArgs(context.args, {}, "routes", context.err);
    if (!parsed) {
        return kUsage;
    }
    if (parsed->positionals.size() != 2) {
        return UsageError("routes", "expects two station names, FROM and TO", context.err);
    }
    const auto from = ArgumentText(parsed->positionals[0], context.err);
    const auto to = ArgumentText(parsed->positionals[1], context.err);
    if (!from || !to) {
        return kUsage;
    }
    const RouteMasks masks = SelectRoutes(*from, *to);
    printMask(context.out, "up", masks.upMask);
    printMask(context.out, "down", masks.downMask);
    return kSuccess;
}

int RunStations(CliContext& context) {
    const auto parsed =
        ParseArgs(context.args, {{"--match", true}, {"--limit", true}, {"--format", true}},
                  kStationsName, context.err);
    if (!parsed) {
        return kUsage;
    }
    if (!parsed->positionals.empty()) {
        return UsageError(kStationsName, "takes no arguments", context.err);
    }
    if (!parsed->options.empty()) {
        return RunStationMatch(context, *parsed);
    }
    for (int g = 0; g < kGroupCount; ++g) {
        for (int i = 0; i < GroupSize(g); ++i) {
            const StationEntry& entry = GroupEntry(g, i);
            context.out << g << '\t' << ToUtf8(GroupLabel(g)) << '\t' << ToUtf8(entry.name) << '\t'
                        << ToUtf8(entry.code) << '\n';
        }
    }
    return kSuccess;
}

int RunGrid(CliContext& context) {
    const auto parsed = ParseArgs(context.args, {}, "grid", context.err);
    if (!parsed) {
        return kUsage;
    }
    if (parsed->positionals.size() != 1) {
        return UsageError("grid", "expects one timetable file", context.err);
    }
    StreamMessageSink messages(context.err);
    CurrentTimetableFile current(DiskFileReader().openSource(PathFromUtf8(parsed->positionals[0])));
    TimetableGrid grid;
    if (!LoadTimetableGrid(current, grid, messages)) {
        return kFailure;
    }
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            // Escaped: a cell may hold a line break or TAB, and each grid row keeps one line.
            context.out << (c ? "\t" : "") << TerminalText(ToUtf8(grid.cell(r, c)));
        }
        context.out << '\n';
    }
    return kSuccess;
}

}  // namespace velomar::cli
