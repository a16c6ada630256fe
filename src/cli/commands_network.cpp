// Commands over the compiled-in network and single timetable files.
#include <ostream>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "network/station_directory.h"
#include "platform/utf8.h"
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
    const auto parsed = ParseArgs(context.args, {}, "stations", context.err);
    if (!parsed) {
        return kUsage;
    }
    if (!parsed->positionals.empty()) {
        return UsageError("stations", "takes no arguments", context.err);
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
            context.out << (c ? "\t" : "") << ToUtf8(grid.cell(r, c));
        }
        context.out << '\n';
    }
    return kSuccess;
}

}  // namespace velomar::cli
