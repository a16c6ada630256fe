// velomar-cli journeys: direct trains and journeys with one change between two stations.
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
#include "cli/travel_time.h"
#include "platform/utf8.h"
#include "timetable/file_reader.h"
#include "travel/journeys.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kJourneysName = "journeys";
constexpr int kDefaultJourneyLimit = 10;

// The table shows each train as "TYPE NUMBER" and the change as "STATION HH:MM-HH:MM"; TSV
// and JSON give every field by itself.
constexpr OutputColumn kJourneyColumns[] = {
    {u"출발時", "departure", true}, {u"도착時", "arrival", true},   {u"소요", "", false},
    {u"", "travelMinutes", true},   {u"환승", "changes", true},     {u"열차", "", false},
    {u"환승역", "", false},         {u"열차", "", false},           {u"", "train1", true},
    {u"", "type1", true},           {u"", "routeCode1", true},      {u"", "changeStation", true},
    {u"", "changeArrival", true},   {u"", "changeDeparture", true}, {u"", "train2", true},
    {u"", "type2", true},           {u"", "routeCode2", true},
};

std::u16string trainText(const TrainRide& leg) {
    return leg.typeLabel.empty() ? leg.trainNo : leg.typeLabel + u" " + leg.trainNo;
}

OutputRecord journeyRecord(const Journey& journey) {
    using Json = OutputValue::Json;
    const TrainRide& first = journey.legs.front();
    const TrainRide* second = journey.legs.size() > 1 ? &journey.legs[1] : nullptr;
    const int minutes = journey.arrival - journey.departure;
    const std::u16string reaches = CellClockText(first.arrivalCell);
    const std::u16string leaves = second ? CellClockText(second->departureKey) : u"";
    OutputRecord record = {{CellClockText(first.departureKey)},
                           {CellClockText(journey.legs.back().arrivalCell)},
                           {DurationText(minutes)},
                           {Decimal(minutes), Json::Number},
                           {Decimal(journey.changes()), Json::Number},
                           {trainText(first)},
                           {second ? first.to + u" " + reaches + u"-" + leaves : u""},
                           {second ? trainText(*second) : u""},
                           {first.trainNo},
                           {first.typeLabel},
                           {Decimal(first.routeCode.value()), Json::Number}};
    if (second == nullptr) {
        record.insert(record.end(), 6, OutputValue{u"", Json::Null});
        return record;
    }
    record.insert(record.end(), {{first.to},
                                 {reaches},
                                 {leaves},
                                 {second->trainNo},
                                 {second->typeLabel},
                                 {Decimal(second->routeCode.value()), Json::Number}});
    return record;
}

}  // namespace

int RunJourneys(CliContext& context) {
    const auto options =
        ParseTravelOptions(context, {kJourneysName, 2, kDefaultJourneyLimit, true});
    if (!options) {
        return kUsage;
    }
    const std::u16string& from = options->stations[0];
    const std::u16string& to = options->stations[1];
    if (from == to) {
        return UsageError(kJourneysName, "FROM and TO are the same station", context.err);
    }
    const bool fromKnown = CheckRouteStation(context.err, kJourneysName, from);
    if (!CheckRouteStation(context.err, kJourneysName, to) || !fromKnown) {
        return kFailure;
    }
    WarnIfNoTimeData(context, kJourneysName);
    DiskFileReader reader;
    const TimetableDirectory timetables(reader, context.dataDirectory);
    TimetableSet set;
    set.load(timetables, JourneyFiles(from, to));
    const bool complete = ReportUnreadable(context.err, kJourneysName, timetables, set);
    const auto day =
        LoadCommandDay(context.err, kJourneysName, timetables, options->date, SheetsRead(set));
    if (!day) {
        return kFailure;
    }
    JourneyQuery query{from, to, options->filter, options->changeMinutes,
                       static_cast<std::size_t>(options->limit)};
    query.filter.day = day->serviceDay();
    const std::vector<Journey> journeys = FindJourneys(set, query);
    if (journeys.empty()) {
        context.err << "velomar-cli journeys: no journey from '"
                    << TerminalText(options->stationArguments[0]) << "' to '"
                    << TerminalText(options->stationArguments[1]) << "' leaves at or after "
                    << ToUtf8(ClockText(options->filter.earliest)) << " with at most one change\n";
    }
    std::vector<OutputRecord> records;
    for (const Journey& journey : journeys) {
        records.push_back(journeyRecord(journey));
    }
    WriteRecords(context.out, options->format, kJourneyColumns, records);
    return journeys.empty() || !complete ? kFailure : kSuccess;
}

}  // namespace velomar::cli
