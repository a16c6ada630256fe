// velomar-cli import-gtfs FEED --out DIR: a GTFS feed as the 64 timetable files.
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "cli/option_values.h"
#include "import/gtfs_import.h"
#include "import/import_report.h"
#include "platform/utf8.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kName = "import-gtfs";

// A correction file lists a few hundred lines at most; reading stops past this, so /dev/zero
// or a huge file costs no more than a small one.
constexpr std::size_t kCorrectionFileLimit = 1 << 20;

// The file's text, or why it cannot be had.
std::optional<std::string> ReadCorrectionFile(const std::string& argument, std::string& why) {
    std::FILE* file = std::fopen(PathToUtf8(PathFromUtf8(argument)).c_str(), "rb");
    if (file == nullptr) {
        why = "cannot read";
        return std::nullopt;
    }
    std::string text;
    char piece[4096];
    std::size_t got = 0;
    while (text.size() <= kCorrectionFileLimit &&
           (got = std::fread(piece, 1, sizeof piece, file)) > 0) {
        text.append(piece, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        why = "cannot read";
        return std::nullopt;
    }
    if (text.size() > kCorrectionFileLimit) {
        why = "is larger than " + std::to_string(kCorrectionFileLimit / 1024) + " KiB:";
        return std::nullopt;
    }
    return text;
}

// Each line made safe for the terminal: the report quotes names from the feed.
void PrintEscaped(std::ostream& out, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        out << TerminalText(text.substr(0, end)) << '\n';
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
}

// Reads --week, --stations, --types and --format into the options; a usage error otherwise.
std::optional<int> TakeOptions(const ParsedArgs& parsed, CliContext& context,
                               GtfsImportOptions& options, std::string& outDir, bool& json) {
    for (const auto& [name, value] : parsed.options) {
        if (name == "--out") {
            outDir = value;
        } else if (name == "--week") {
            options.week = TakeDate(kName, name, value, context.err);
            if (!options.week) {
                return kUsage;
            }
        } else if (name == "--format") {
            if (value != "text" && value != "json") {
                return UsageError(kName, "--format must be text or json, not '" + value + "'",
                                  context.err);
            }
            json = value == "json";
        } else {
            std::string error;
            const auto text = ReadCorrectionFile(value, error);
            if (!text) {
                return UsageError(kName,
                                  error.starts_with("cannot")
                                      ? "cannot read " + name + " file '" + value + "'"
                                      : name + " file '" + value + "' " + error + " not read",
                                  context.err);
            }
            const bool read = name == "--stations"
                                  ? ReadStationOverrides(*text, value, options.stations, error)
                                  : ReadTypeOverrides(*text, value, options.types, error);
            if (!read) {
                return UsageError(kName, error, context.err);
            }
        }
    }
    return std::nullopt;
}

}  // namespace

int RunImportGtfs(CliContext& context) {
    const auto parsed = ParseArgs(context.args,
                                  {{"--out", true},
                                   {"--week", true},
                                   {"--stations", true},
                                   {"--types", true},
                                   {"--format", true}},
                                  kName, context.err);
    if (!parsed) {
        return kUsage;
    }
    if (parsed->positionals.size() != 1) {
        return UsageError(kName, "expects one feed, FEED (a .zip or a folder)", context.err);
    }
    GtfsImportOptions options;
    std::string outArgument;
    bool json = false;
    if (const auto status = TakeOptions(*parsed, context, options, outArgument, json)) {
        return *status;
    }
    if (outArgument.empty()) {
        return UsageError(kName, "--out DIR is required: the folder that is to hold TimeData/",
                          context.err);
    }
    const std::filesystem::path outDir = PathFromUtf8(outArgument);
    std::error_code code;
    if (std::filesystem::exists(outDir, code) && !std::filesystem::is_directory(outDir, code)) {
        return UsageError(kName, outArgument + " exists and is not a folder", context.err);
    }
    const std::filesystem::path feedPath = PathFromUtf8(parsed->positionals[0]);
    options.feedName = PathToUtf8(feedPath.filename().empty() ? feedPath.parent_path().filename()
                                                              : feedPath.filename());
    std::string error;
    ImportedTimetables timetables;
    ImportReport report;
    const auto feed = OpenFeed(feedPath, error);
    if (!feed || !ImportGtfs(*feed, options, timetables, report, error) ||
        !WriteImportedTimetables(timetables, outDir, error)) {
        context.err << "velomar-cli import-gtfs: " << TerminalText(error)
                    << "\nvelomar-cli import-gtfs: nothing was written\n";
        return kFailure;
    }
    if (json) {
        context.out << FormatReportJson(report);
    } else {
        PrintEscaped(context.out, FormatReportText(report));
    }
    context.out.flush();
    if (!context.out) {
        context.err << "velomar-cli import-gtfs: the report could not be written (the timetables "
                       "were)\n";
        return kFailure;
    }
    return kSuccess;
}

}  // namespace velomar::cli
