// velomar-cli detail: the stops of one train, as a tap on a result row shows them.
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "cli/command_day.h"
#include "cli/detail_calendar.h"
#include "cli/option_values.h"
#include "cli/record_writer.h"
#include "cli/station_names.h"
#include "screens/detail_layout.h"
#include "search/train_detail.h"
#include "timetable/calendar_date.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_grid.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kDetailName = "detail";

class CountingMessageSink : public StreamMessageSink {
  public:
    using StreamMessageSink::StreamMessageSink;
    void showMessage(std::u16string_view text, std::u16string_view caption) override {
        StreamMessageSink::showMessage(text, caption);
        ++m_count;
    }
    int count() const { return m_count; }

  private:
    int m_count = 0;
};

// "-5" and "5" alike, so that a negative code gets the route-code message.
std::optional<RouteCode> parseRouteCode(const std::string& text) {
    const bool negative = text.starts_with('-');
    const auto magnitude = ParseCount(negative ? text.substr(1) : text, 1000000);
    const RouteCode code(magnitude ? (negative ? -*magnitude : *magnitude) : RouteCode::kNone);
    if (!magnitude || !code.names_file()) {
        return std::nullopt;
    }
    return code;
}

constexpr OutputColumn kStopColumns[] = {
    {kDetailNameHeader, "station", true},
    {kDetailTimeHeader, "time", true},
};

std::vector<OutputRecord> stopRecords(const StopList& stops) {
    std::vector<OutputRecord> records;
    for (std::size_t i = 0; i < stops.count(); ++i) {
        records.push_back({{stops.stationNames[i]}, {StopTimeText(stops.times[i])}});
    }
    return records;
}

struct CalendarOptions {
    bool ics = false;
    std::optional<int> date;
};

// --format ics and --date, taken out of the options so that the other formats are read as
// every command reads them; nothing when bad usage was reported.
std::optional<CalendarOptions> takeCalendarOptions(ParsedArgs& parsed, std::ostream& err) {
    CalendarOptions calendar;
    std::vector<std::pair<std::string, std::string>> rest;
    for (auto& option : parsed.options) {
        if (option.first == "--date") {
            calendar.date = TakeDate(kDetailName, option.first, option.second, err);
            if (!calendar.date) {
                return std::nullopt;
            }
        } else if (option.first == "--format" && option.second == "ics") {
            calendar.ics = true;
        } else {
            calendar.ics = calendar.ics && option.first != "--format";
            rest.push_back(std::move(option));
        }
    }
    parsed.options = std::move(rest);
    return calendar;
}

struct DetailRequest {
    std::u16string from;
    std::u16string to;
    std::u16string trainNo;
    RouteCode code;
    OutputFormat format = OutputFormat::Table;
    CalendarOptions calendar;
};

// Nothing when bad usage was reported.
std::optional<DetailRequest> parseDetailRequest(const CliContext& context) {
    auto parsed =
        ParseArgs(context.args, {{"--format", true}, {"--date", true}}, kDetailName, context.err);
    if (!parsed) {
        return std::nullopt;
    }
    const std::vector<std::string>& args = parsed->positionals;
    if (args.size() != 4) {
        UsageError(kDetailName, "expects FROM TO TRAIN_NO ROUTE_CODE", context.err);
        return std::nullopt;
    }
    const auto calendar = takeCalendarOptions(*parsed, context.err);
    const auto format = calendar ? TakeFormat(*parsed, kDetailName, context.err) : std::nullopt;
    if (!format) {
        return std::nullopt;
    }
    const auto from = ArgumentText(args[0], context.err);
    const auto to = ArgumentText(args[1], context.err);
    const auto trainNo = ArgumentText(args[2], context.err);
    if (!from || !to || !trainNo) {
        return std::nullopt;
    }
    if (trainNo->empty()) {
        UsageError(kDetailName, "TRAIN_NO must not be empty", context.err);
        return std::nullopt;
    }
    const auto code = parseRouteCode(args[3]);
    if (!code) {
        UsageError(kDetailName,
                   "ROUTE_CODE must be 0-31 (Up file of that route) or 100-131 (Down file of "
                   "route ROUTE_CODE - 100), not '" +
                       args[3] + "'; each further sheet adds 1000 (1016 is UpData_16.2.txt)",
                   context.err);
        return std::nullopt;
    }
    return DetailRequest{*from, *to, *trainNo, *code, *format, *calendar};
}

// False, with a message, when the set's dates say the train does not run on the day.
bool runsOnTheDay(std::ostream& err, const CommandDay& day, const TimetableGrid& grid,
                  const DetailRequest& request, std::u16string_view from, std::u16string_view to) {
    const auto calls = FindTrainCalls(grid, request.trainNo, from, to);
    if (!day.dates.dates || !calls || day.dates.dates->runs(request.code, calls->column, day.day)) {
        return true;
    }
    err << "velomar-cli detail: train " << TerminalText(ToUtf8(request.trainNo))
        << " does not run on " << GtfsDateText(day.day) << '\n';
    return false;
}

}  // namespace

int RunDetailCommand(CliContext& context) {
    const auto request = parseDetailRequest(context);
    if (!request) {
        return kUsage;
    }
    WarnIfNoTimeData(context, kDetailName);
    DiskFileReader reader;
    const TimetableDirectory timetables(reader, context.dataDirectory);
    const RouteCode code = request->code;
    const auto day =
        LoadCommandDay(context.err, kDetailName, timetables, request->calendar.date, {code});
    if (!day) {
        return kFailure;
    }
    CountingMessageSink messages(context.err);
    CurrentTimetableFile current;
    const auto grid = std::make_unique<TimetableGrid>();
    // The detail leaves station codes in these, as the screen's held texts are left.
    std::u16string from = request->from;
    std::u16string to = request->to;
    const TrainDetailResult result =
        ShowTrainDetail(request->trainNo, code, from, to, current, {timetables, *grid, messages});
    const StopList& stops = result.stops;
    if (stops.count() == 0 && messages.count() == 0) {
        // The dialog would just open empty, without a word; say what was looked for.
        context.err << "velomar-cli detail: no stops of train '"
                    << TerminalText(ToUtf8(request->trainNo)) << "' from '"
                    << TerminalText(ToUtf8(request->from)) << "' to '"
                    << TerminalText(ToUtf8(request->to)) << "' in " << TimetableFileName(code)
                    << "\n";
    }
    SuggestStationNames(context.err, request->from);
    SuggestStationNames(context.err, request->to);
    if (stops.count() != 0 && !runsOnTheDay(context.err, *day, *grid, *request, from, to)) {
        return kFailure;
    }
    if (request->calendar.ics) {
        CalendarRequest calendar{request->trainNo, code, from, to, GtfsDateText(day->day)};
        // With dates the day was checked above; without, the train code's days are all there is.
        calendar.warnByTrainCode = !day->dates.dates.has_value();
        return stops.count() != 0 && WriteTrainCalendar(context.out, context.err, *grid, calendar)
                   ? kSuccess
                   : kFailure;
    }
    WriteRecords(context.out, request->format, kStopColumns, stopRecords(stops));
    return stops.count() == 0 ? kFailure : kSuccess;
}

}  // namespace velomar::cli
