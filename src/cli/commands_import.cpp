// velomar-cli import-gtfs FEED --out DIR: a GTFS feed as timetable files, sheets and dates.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "cli/option_values.h"
#include "import/gtfs_import.h"
#include "import/import_report.h"
#include "import/service_calendar.h"
#include "platform/utf8.h"
#include "timetable/calendar_date.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kImportName = "import-gtfs";

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

// What a long import has done so far, on one line of a terminal's standard error. It writes
// to the terminal itself, past the command's filtered stream (which escapes a lone CR), and
// only ASCII; nothing when standard error is no terminal or the import is done within a second.
class ProgressLine {
  public:
    ProgressLine() : m_start(std::chrono::steady_clock::now()) {
#ifdef _WIN32
        m_on = _isatty(_fileno(stderr)) != 0;
#else
        m_on = isatty(fileno(stderr)) != 0;
#endif
    }
    ~ProgressLine() {
        clear();
    }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    ImportProgress progress() {
        return ImportProgress([this](std::string_view what, long rows) { show(what, rows); });
    }
    // Before anything else is printed.
    void clear() {
        if (m_width > 0) {
            std::fprintf(stderr, "\r%*s\r", static_cast<int>(m_width), "");
            std::fflush(stderr);
            m_width = 0;
        }
    }

  private:
    void show(std::string_view what, long rows) {
        if (!m_on || std::chrono::steady_clock::now() - m_start < std::chrono::seconds(1)) {
            return;
        }
        std::string text = "import-gtfs: " + std::string(what);
        if (rows > 0) {
            text += ", " + std::to_string(rows) + " rows";
        }
        const std::size_t width = text.size();
        text.resize(std::max(width, m_width), ' ');
        std::fprintf(stderr, "\r%s", text.c_str());
        std::fflush(stderr);
        m_width = width;
    }

    bool m_on = false;
    std::chrono::steady_clock::time_point m_start;
    std::size_t m_width = 0;
};

// A date option: a day whose whole range (a week from it) can be written as YYYYMMDD.
// --week against --from and --to: one or the other, and a period of at most two years.
std::optional<int> CheckPeriod(const PeriodChoice& period, std::ostream& err) {
    if (period.week && (period.from || period.to)) {
        return UsageError(kImportName,
                          "--week takes one week, --from and --to a period: give either", err);
    }
    if (period.from && period.to && *period.to < *period.from) {
        return UsageError(kImportName,
                          "--to " + GtfsDateText(*period.to) + " lies before --from " +
                              GtfsDateText(*period.from),
                          err);
    }
    if (period.from && period.to && *period.to - *period.from >= kMaxPeriodDays) {
        return UsageError(
            kImportName,
            "a period of at most " + std::to_string(kMaxPeriodDays) + " days can be imported", err);
    }
    return std::nullopt;
}

std::optional<int> TakeCorrections(const std::string& name, const std::string& value,
                                   GtfsImportOptions& options, std::ostream& err) {
    std::string error;
    const auto text = ReadCorrectionFile(value, error);
    if (!text) {
        return UsageError(kImportName,
                          error.starts_with("cannot")
                              ? "cannot read " + name + " file '" + value + "'"
                              : name + " file '" + value + "' " + error + " not read",
                          err);
    }
    const bool read = name == "--stations"
                          ? ReadStationOverrides(*text, value, options.stations, error)
                          : ReadTypeOverrides(*text, value, options.types, error);
    return read ? std::nullopt : std::optional<int>(UsageError(kImportName, error, err));
}

// Reads the options; a usage error otherwise.
std::optional<int> TakeOptions(const ParsedArgs& parsed, CliContext& context,
                               GtfsImportOptions& options, std::string& outDir, bool& json) {
    std::optional<int> status;
    for (const auto& [name, value] : parsed.options) {
        if (name == "--out") {
            outDir = value;
        } else if (name == "--week" || name == "--from" || name == "--to") {
            auto& target = name == "--week"
                               ? options.period.week
                               : (name == "--from" ? options.period.from : options.period.to);
            target = TakeDate(kImportName, name, value, context.err);
            if (!target) {
                return kUsage;
            }
        } else if (name == "--format") {
            if (value != "text" && value != "json") {
                return UsageError(kImportName, "--format must be text or json, not '" + value + "'",
                                  context.err);
            }
            json = value == "json";
        } else {
            status = TakeCorrections(name, value, options, context.err);
        }
        if (status) {
            return status;
        }
    }
    return CheckPeriod(options.period, context.err);
}

// The import with its progress line, which is gone again before anything else is printed.
bool ImportAndWrite(const std::filesystem::path& feedPath, const std::filesystem::path& outDir,
                    GtfsImportOptions& options, ImportReport& report, std::string& error) {
    ProgressLine progress;
    options.progress = progress.progress();
    ImportedTimetables timetables;
    const auto feed = OpenFeed(feedPath, error);
    return feed && ImportGtfs(*feed, options, timetables, report, error) &&
           WriteImportedTimetables(timetables, outDir, error);
}

}  // namespace

int RunImportGtfs(CliContext& context) {
    const auto parsed = ParseArgs(context.args,
                                  {{"--out", true},
                                   {"--from", true},
                                   {"--to", true},
                                   {"--week", true},
                                   {"--stations", true},
                                   {"--types", true},
                                   {"--format", true}},
                                  kImportName, context.err);
    if (!parsed) {
        return kUsage;
    }
    if (parsed->positionals.size() != 1) {
        return UsageError(kImportName, "expects one feed, FEED (a .zip or a folder)", context.err);
    }
    GtfsImportOptions options;
    std::string outArgument;
    bool json = false;
    if (const auto status = TakeOptions(*parsed, context, options, outArgument, json)) {
        return *status;
    }
    if (outArgument.empty()) {
        return UsageError(kImportName,
                          "--out DIR is required: the folder that is to hold TimeData/",
                          context.err);
    }
    const std::filesystem::path outDir = PathFromUtf8(outArgument);
    std::error_code code;
    if (std::filesystem::exists(outDir, code) && !std::filesystem::is_directory(outDir, code)) {
        return UsageError(kImportName, outArgument + " exists and is not a folder", context.err);
    }
    const std::filesystem::path feedPath = PathFromUtf8(parsed->positionals[0]);
    options.feedName = PathToUtf8(feedPath.filename().empty() ? feedPath.parent_path().filename()
                                                              : feedPath.filename());
    std::string error;
    ImportReport report;
    if (!ImportAndWrite(feedPath, outDir, options, report, error)) {
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
