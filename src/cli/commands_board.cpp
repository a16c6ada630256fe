// velomar-cli board: every train that leaves a station, from every file that lists it.
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_support.h"
#include "cli/command_day.h"
#include "cli/record_writer.h"
#include "cli/station_names.h"
#include "cli/travel_options.h"
#include "platform/utf8.h"
#include "timetable/file_reader.h"
#include "travel/board.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kBoardName = "board";
constexpr int kDefaultBoardLimit = 20;

constexpr OutputColumn kBoardColumns[] = {
    {u"열차No", "trainNo", true},     {u"열 차", "type", true},     {u"출발時", "departure", true},
    {u"종착역", "lastStation", true}, {u"도착時", "arrival", true}, {u"", "routeCode", true},
    {u"", "departureCell", true},
};

std::vector<OutputRecord> boardRecords(const std::vector<TrainRide>& board) {
    std::vector<OutputRecord> records;
    for (const TrainRide& d : board) {
        records.push_back({{d.trainNo},
                           {d.typeLabel},
                           {CellClockText(d.departureKey)},
                           {d.to},
                           {CellClockText(d.arrivalCell)},
                           {Decimal(d.routeCode.value()), OutputValue::Json::Number},
                           {d.departureKey}});
    }
    return records;
}

}  // namespace

int RunBoard(CliContext& context) {
    const auto options = ParseTravelOptions(context, {kBoardName, 1, kDefaultBoardLimit, false});
    if (!options) {
        return kUsage;
    }
    const std::u16string& station = options->stations[0];
    if (!CheckRouteStation(context.err, kBoardName, station)) {
        return kFailure;
    }
    WarnIfNoTimeData(context, kBoardName);
    DiskFileReader reader;
    const TimetableDirectory timetables(reader, context.dataDirectory);
    TimetableSet set;
    set.load(timetables, BoardFiles(station));
    const bool complete = ReportUnreadable(context.err, kBoardName, timetables, set);
    const auto day =
        LoadCommandDay(context.err, kBoardName, timetables, options->date, SheetsRead(set));
    if (!day) {
        return kFailure;
    }
    TravelFilter filter = options->filter;
    filter.day = day->serviceDay();
    const std::vector<TrainRide> board =
        DepartureBoard(set, station, filter, static_cast<std::size_t>(options->limit));
    if (board.empty()) {
        context.err << "velomar-cli board: no train leaves '"
                    << TerminalText(options->stationArguments[0]) << "' at or after "
                    << ToUtf8(ClockText(options->filter.earliest)) << "\n";
    }
    WriteRecords(context.out, options->format, kBoardColumns, boardRecords(board));
    return board.empty() || !complete ? kFailure : kSuccess;
}

}  // namespace velomar::cli
