// velomar-cli search: the CLI acts as a main screen that has just started.
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_settings.h"
#include "cli/cli_support.h"
#include "cli/command_day.h"
#include "cli/option_values.h"
#include "cli/record_writer.h"
#include "cli/station_names.h"
#include "cli/travel_time.h"
#include "platform/host.h"
#include "platform/utf8.h"
#include "screens/main_screen.h"
#include "timetable/file_reader.h"

namespace velomar::cli {

namespace {

constexpr std::string_view kSearchName = "search";

struct SearchOptions {
    std::optional<std::u16string> from;  // with `to`, or neither
    std::optional<std::u16string> to;
    OutputFormat format = OutputFormat::Table;
    std::optional<int> type;
    std::optional<TimeChoice> time;
    Layout layout = Layout::Portrait;
    bool next = true;  // the paging button pressed `presses` times
    int presses = 0;
    std::optional<int> date;
};

// One option with its value into `options`; false when it was reported as bad usage.
bool takeOption(const std::string& name, const std::string& value, bool& pagingGiven,
                SearchOptions& options, std::ostream& err) {
    if (name == "--type") {
        options.type = ParseTrainType(value);
        if (!options.type) {
            UsageError(kSearchName,
                       "--type must be 0-5 or one of 전체, KTX, 새마을, 무궁화, 통일호, 누리로, "
                       "not '" +
                           value + "'",
                       err);
        }
        return options.type.has_value();
    }
    if (name == "--time") {
        options.time = ParseTimeChoice(value);
        if (!options.time) {
            UsageError(kSearchName, "--time must be HH:MM from 00:00 to 23:59, not '" + value + "'",
                       err);
        }
        return options.time.has_value();
    }
    if (name == "--date") {
        options.date = TakeDate(kSearchName, "--date", value, err);
        return options.date.has_value();
    }
    if (name == "--layout") {
        if (value != "portrait" && value != "square") {
            UsageError(kSearchName, "--layout must be portrait or square, not '" + value + "'",
                       err);
            return false;
        }
        options.layout = value == "portrait" ? Layout::Portrait : Layout::Square;
        return true;
    }
    if (name == "--next" || name == "--prev") {
        const auto presses = ParseCount(value, 1000);
        if (!presses) {
            UsageError(kSearchName, name + " needs a count from 0 to 1000, not '" + value + "'",
                       err);
            return false;
        }
        const bool next = name == "--next";
        if (pagingGiven && options.next != next) {
            UsageError(kSearchName, "--next and --prev cannot be combined", err);
            return false;
        }
        pagingGiven = true;
        options.next = next;
        options.presses = *presses;
    }
    return true;  // --format is taken apart
}

// Nothing when bad usage was reported.
std::optional<SearchOptions> parseSearchOptions(const CliContext& context) {
    const auto parsed = ParseArgs(context.args,
                                  {{"--type", true},
                                   {"--time", true},
                                   {"--layout", true},
                                   {"--date", true},
                                   {"--next", true},
                                   {"--prev", true},
                                   {"--format", true}},
                                  kSearchName, context.err);
    if (!parsed) {
        return std::nullopt;
    }
    SearchOptions options;
    if (parsed->positionals.size() != 0 && parsed->positionals.size() != 2) {
        UsageError(kSearchName, "expects both stations, FROM and TO, or neither", context.err);
        return std::nullopt;
    }
    if (parsed->positionals.size() == 2) {
        options.from = ArgumentText(parsed->positionals[0], context.err);
        options.to = ArgumentText(parsed->positionals[1], context.err);
        if (!options.from || !options.to) {
            return std::nullopt;
        }
    }
    const auto format = TakeFormat(*parsed, kSearchName, context.err);
    if (!format) {
        return std::nullopt;
    }
    options.format = *format;
    bool pagingGiven = false;
    for (const auto& [name, value] : parsed->options) {
        if (!takeOption(name, value, pagingGiven, options, context.err)) {
            return std::nullopt;
        }
    }
    return options;
}

// The form as a user would fill it in after the start-up.
void fillForm(MainForm& form, const SearchOptions& options) {
    if (options.from) {
        form.departureField = *options.from;
        form.arrivalField = *options.to;
    }
    if (options.type) {
        form.typeSelection = *options.type;
    }
    if (options.time) {
        form.hourSelection = options.time->hour;
        form.minuteSelection = options.time->minuteEntry;
    }
}

std::u16string decimal(int value) {
    return *FromUtf8(std::to_string(value));
}

// The table shows the travel time as H:MM, JSON as minutes; TSV and JSON add where the
// train was found.
constexpr OutputColumn kResultColumns[] = {
    {kResultColumnHeaders[0], "trainNo", true},
    {kResultColumnHeaders[1], "departure", true},
    {kResultColumnHeaders[2], "arrival", true},
    {kResultColumnHeaders[3], "type", true},
    {u"소요", "", false},
    {u"", "travelMinutes", false},
    {u"", "routeCode", true},
    {u"", "departureCell", true},
};

std::vector<OutputRecord> resultRecords(const std::vector<ResultRow>& rows,
                                        const ResultPage& page) {
    using Json = OutputValue::Json;
    std::vector<OutputRecord> records;
    for (const ResultRow& row : rows) {
        const ResultSlot& slot = page[static_cast<std::size_t>(row.slot)];
        const auto travel = TravelMinutes(row.departure, row.arrival);
        records.push_back({{row.trainNo},
                           {row.departure},
                           {row.arrival},
                           {row.typeLabel},
                           {DurationText(travel)},
                           {travel ? decimal(*travel) : u"", travel ? Json::Number : Json::Null},
                           {decimal(slot.routeCode.value()), Json::Number},
                           {slot.departureKey}});
    }
    return records;
}

// Passes the messages on and notes a timetable file that could not be read: a page without
// that file's trains is no whole answer, however many trains it shows.
class ReadFailureWatch : public MessageSink {
  public:
    explicit ReadFailureWatch(MessageSink& to) : m_to(to) {}
    void showMessage(std::u16string_view text, std::u16string_view caption) override {
        m_failed = m_failed || text == u"Read Data File Error";
        m_to.showMessage(text, caption);
    }
    bool failed() const { return m_failed; }

  private:
    MessageSink& m_to;
    bool m_failed = false;
};

// Why the store of this run could not be opened, for messages.
std::string openTrouble(const CliSettingsStore& settings) {
    if (settings.openFailure == SettingsStatus::Busy || !settings.backend->failureText().empty()) {
        return StoreTrouble(settings, settings.openFailure, false);
    }
    return "the settings store " + StoreName(settings) + " cannot be opened";
}

// What start-up could not do with the store, said once. Without FROM and TO the search is
// for the stored pair: when that cannot be read, searching the built-in one instead would
// answer a question nobody asked.
bool reportRestore(const CliContext& context, const CliSettingsStore& settings,
                   const MainScreen& main, const SearchOptions& options) {
    const SettingsRestore& restore = main.settingsRestore();
    if (!settings.usable || IsStoreFailure(restore.read)) {
        const std::string trouble =
            settings.usable ? StoreTrouble(settings, restore.read, false) : openTrouble(settings);
        if (!options.from) {
            context.err << "velomar-cli search: the stored stations cannot be read: " << trouble
                        << "; give FROM and TO\n";
            return false;
        }
        // The search still runs, but nothing it restores or stores can reach the store.
        context.err << "velomar-cli search: " << trouble
                    << (settings.usable
                            ? "; the settings were not read, this run uses the built-in ones\n"
                            : "; the stations are not remembered\n");
    } else if (IsStoreFailure(restore.written)) {
        context.err << "velomar-cli search: " << StoreTrouble(settings, restore.written, true)
                    << "; nothing of the start-up was stored\n";
    }
    return true;
}

}  // namespace

int RunSearchCommand(CliContext& context) {
    const auto options = parseSearchOptions(context);
    if (!options) {
        return kUsage;
    }
    const CliSettingsStore settings = OpenCliSettings(context);
    WarnIfNoTimeData(context, kSearchName);
    DiskFileReader reader;
    const TimetableDirectory timetables(reader, context.dataDirectory);
    // The period is checked here; the screen reads the dates of the sheets it searches.
    if (!LoadCommandDay(context.err, kSearchName, timetables, options->date, {})) {
        return kFailure;
    }
    StreamMessageSink shown(context.err);
    ReadFailureWatch messages(shown);
    SystemClock clock;
    ResultRows rows;
    const ScreenSize screen =
        options->layout == Layout::Portrait ? ScreenSize{480, 800} : ScreenSize{320, 320};
    const auto run = std::make_unique<RunState>();
    MainScreen main(
        options->layout,
        {*settings.backend, timetables, run->grid, messages, clock, screen, run->squareDialogShown},
        rows);
    main.startUp();
    if (!reportRestore(context, settings, main, *options)) {
        return kFailure;
    }
    fillForm(main.form(), *options);
    if (options->date) {
        main.date().chooseDay(*options->date);  // a set without dates has no day to choose
    }
    main.search();
    for (int i = 0; i < options->presses; ++i) {
        options->next ? main.next() : main.prev();
    }
    if (settings.usable && IsStoreFailure(main.pairStoreStatus())) {
        context.err << "velomar-cli search: could not store the stations: "
                    << StoreTrouble(settings, main.pairStoreStatus(), true) << '\n';
    }
    SuggestStationNames(context.err, main.form().departureField);
    SuggestStationNames(context.err, main.form().arrivalField);
    WriteRecords(context.out, options->format, kResultColumns,
                 resultRecords(rows.rows, main.page()));
    return rows.rows.empty() || messages.failed() ? kFailure : kSuccess;
}

}  // namespace velomar::cli
