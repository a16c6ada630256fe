// velomar-cli export-gtfs OUTDIR: the timetables of --data as a GTFS feed.
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "cli/option_values.h"
#include "export/gtfs_export.h"
#include "platform/utf8.h"
#include "timetable/file_reader.h"

namespace velomar::cli {

int RunExportGtfs(CliContext& context) {
    constexpr std::string_view kExportName = "export-gtfs";
    const auto parsed = ParseArgs(context.args, {{"--start-date", true}, {"--end-date", true}},
                                  kExportName, context.err);
    if (!parsed) {
        return kUsage;
    }
    if (parsed->positionals.size() != 1) {
        return UsageError(kExportName, "expects one output folder, OUTDIR", context.err);
    }
    GtfsExportOptions options;
    for (const auto& [name, value] : parsed->options) {
        if (!TakeDate(kExportName, name, value, context.err)) {
            return kUsage;
        }
        (name == "--start-date" ? options.startDate : options.endDate) = value;
        options.periodGiven = true;
    }
    if (options.endDate < options.startDate) {
        return UsageError(
            kExportName,
            "the end date " + options.endDate + " lies before the start date " + options.startDate,
            context.err);
    }
    const std::filesystem::path outDir = PathFromUtf8(parsed->positionals[0]);
    if (outDir.empty()) {
        return UsageError(kExportName, "OUTDIR must not be empty", context.err);
    }
    std::error_code code;
    if (std::filesystem::exists(outDir, code) && !std::filesystem::is_directory(outDir, code)) {
        return UsageError(kExportName, PathToUtf8(outDir) + " exists and is not a folder",
                          context.err);
    }

    DiskFileReader reader;
    const TimetableDirectory timetables(reader, context.dataDirectory);
    GtfsFeed feed;
    std::string error;
    const bool built = BuildGtfsFeed(timetables, options, feed, error);
    for (const std::string& warning : feed.warnings) {
        context.err << "velomar-cli export-gtfs: " << warning << '\n';
    }
    if (!built || !WriteGtfsFeed(feed, outDir, error)) {
        context.err << "velomar-cli export-gtfs: " << error << '\n';
        return kFailure;
    }
    context.err << "export-gtfs: " << feed.files.size() << " files in " << PathToUtf8(outDir)
                << " from " << feed.timetableFiles << " timetable files: " << feed.trips
                << " trips, " << feed.stopTimes << " stop times\n";
    return kSuccess;
}

}  // namespace velomar::cli
