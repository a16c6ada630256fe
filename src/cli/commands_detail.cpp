// velomar-cli detail: the stops of one train, as a tap on a result row shows them.
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "cli/option_values.h"
#include "cli/record_writer.h"
#include "screens/detail_layout.h"
#include "search/train_detail.h"
#include "timetable/file_reader.h"
#include "timetable/timetable_grid.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kName = "detail";

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
    const auto magnitude = ParseCount(negative ? text.substr(1) : text, 100000);
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

}  // namespace

int RunDetailCommand(CliContext& context) {
    const auto parsed = ParseArgs(context.args, {{"--format", true}}, kName, context.err);
    if (!parsed) {
        return kUsage;
    }
    const std::vector<std::string>& args = parsed->positionals;
    if (args.size() != 4) {
        return UsageError(kName, "expects FROM TO TRAIN_NO ROUTE_CODE", context.err);
    }
    const auto format = TakeFormat(*parsed, kName, context.err);
    if (!format) {
        return kUsage;
    }
    auto from = ArgumentText(args[0], context.err);
    auto to = ArgumentText(args[1], context.err);
    const auto trainNo = ArgumentText(args[2], context.err);
    if (!from || !to || !trainNo) {
        return kUsage;
    }
    if (trainNo->empty()) {
        return UsageError(kName, "TRAIN_NO must not be empty", context.err);
    }
    const auto code = parseRouteCode(args[3]);
    if (!code) {
        return UsageError(kName,
                          "ROUTE_CODE must be 0-31 (Up file of that route) or 100-131 (Down "
                          "file of route ROUTE_CODE - 100), not '" +
                              args[3] + "'",
                          context.err);
    }

    WarnIfNoTimeData(context, kName);
    DiskFileReader reader;
    const TimetableDirectory timetables(reader, context.dataDirectory);
    CountingMessageSink messages(context.err);
    CurrentTimetableFile current;
    const auto grid = std::make_unique<TimetableGrid>();
    const TrainDetailResult result =
        ShowTrainDetail(*trainNo, *code, *from, *to, current, {timetables, *grid, messages});
    const StopList& stops = result.stops;
    if (stops.count() == 0 && messages.count() == 0) {
        // The dialog would just open empty, without a word; say what was looked for.
        context.err << "velomar-cli detail: no stops of train '" << TerminalText(args[2])
                    << "' from '" << TerminalText(args[0]) << "' to '" << TerminalText(args[1])
                    << "' in " << TimetableFileName(code->route(), code->direction()) << "\n";
    }
    WriteRecords(context.out, *format, kStopColumns, stopRecords(stops));
    return stops.count() == 0 ? kFailure : kSuccess;
}

}  // namespace velomar::cli
