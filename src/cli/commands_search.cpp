// The search and detail commands: the CLI acts as a main screen that has just started.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_commands.h"
#include "cli/cli_settings.h"
#include "cli/cli_support.h"
#include "platform/host.h"
#include "platform/utf8.h"
#include "screens/main_screen.h"
#include "search/train_detail.h"
#include "timetable/train_codes.h"
#ifndef _WIN32
#include "settings/sqlite_settings.h"
#endif
#include "timetable/time_text.h"

namespace velomar::cli {

namespace {

enum class Format { Table, Tsv, Json };

// Digits only, no sign, at most `limit`.
std::optional<int> ParseCount(std::string_view text, int limit) {
    int value = 0;
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text[0] == '-' ||
        text[0] == '+' || value > limit) {
        return std::nullopt;
    }
    return value;
}

std::optional<Format> ParseFormat(std::string_view text) {
    if (text == "table") {
        return Format::Table;
    }
    if (text == "tsv") {
        return Format::Tsv;
    }
    if (text == "json") {
        return Format::Json;
    }
    return std::nullopt;
}

// "0".."5", an entry of the type list, or "전체" for the first entry.
std::optional<int> ParseType(std::string_view text) {
    if (auto index = ParseCount(text, static_cast<int>(kTrainTypeEntries.size()) - 1)) {
        return index;
    }
    const auto wide = FromUtf8(text);
    if (!wide) {
        return std::nullopt;
    }
    if (*wide == u"전체") {
        return 0;
    }
    for (std::size_t i = 0; i < kTrainTypeEntries.size(); ++i) {
        if (*wide == kTrainTypeEntries[i]) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

struct TimeChoice {
    int hour;
    int minuteEntry;
};

// Exactly "HH:MM", 00:00 to 23:59; the minute picks the ten-minute entry.
std::optional<TimeChoice> ParseTime(std::string_view text) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (text.size() != 5 || text[2] != ':' || !digit(text[0]) || !digit(text[1]) ||
        !digit(text[3]) || !digit(text[4])) {
        return std::nullopt;
    }
    const int hour = (text[0] - '0') * 10 + (text[1] - '0');
    const int minute = (text[3] - '0') * 10 + (text[4] - '0');
    if (hour > 23 || minute > 59) {
        return std::nullopt;
    }
    return TimeChoice{hour, minute / 10};
}

// Terminal columns of a text: Hangul, CJK and full-width forms take two.
int DisplayWidth(std::u16string_view text) {
    int width = 0;
    for (char16_t c : text) {
        if (c >= 0xDC00 && c <= 0xDFFF) {
            continue;  // second half of a pair, counted with the first
        }
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6);
        width += wide ? 2 : 1;
    }
    return width;
}

// Aligned columns, two spaces apart; the last column is not padded.
void PrintTable(std::ostream& out, const std::vector<std::vector<std::u16string>>& lines) {
    std::vector<int> widths;
    for (const auto& line : lines) {
        widths.resize(std::max(widths.size(), line.size()), 0);
        for (std::size_t i = 0; i < line.size(); ++i) {
            widths[i] = std::max(widths[i], DisplayWidth(line[i]));
        }
    }
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t i = 0; i < line.size(); ++i) {
            text += ToUtf8(line[i]);
            if (i + 1 < line.size()) {
                text.append(static_cast<std::size_t>(widths[i] - DisplayWidth(line[i]) + 2), ' ');
            }
        }
        out << text << '\n';
    }
}

std::string JsonString(std::u16string_view text) {
    std::string out = "\"";
    for (char c : ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Minutes from "HH:MM" to "HH:MM", across midnight when the arrival is earlier.
std::optional<int> TravelMinutes(std::u16string_view departure, std::u16string_view arrival) {
    auto minutes = [](std::u16string_view t) -> std::optional<int> {
        if (t.size() != 5 || t[2] != u':') {
            return std::nullopt;
        }
        int value = 0;
        for (std::size_t i : {0u, 1u, 3u, 4u}) {
            if (t[i] < u'0' || t[i] > u'9') {
                return std::nullopt;
            }
        }
        value = ((t[0] - u'0') * 10 + (t[1] - u'0')) * 60 + (t[3] - u'0') * 10 + (t[4] - u'0');
        return value;
    };
    const auto from = minutes(departure);
    const auto to = minutes(arrival);
    if (!from || !to) {
        return std::nullopt;
    }
    return ((*to - *from) % 1440 + 1440) % 1440;
}

std::u16string DurationText(std::optional<int> minutes) {
    if (!minutes) {
        return u"";
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d", *minutes / 60, *minutes % 60);
    return *FromUtf8(text);
}

std::optional<Format> TakeFormat(const ParsedArgs& parsed, std::string_view command,
                                 std::ostream& err) {
    Format format = Format::Table;
    for (const auto& [name, value] : parsed.options) {
        if (name == "--format") {
            const auto f = ParseFormat(value);
            if (!f) {
                UsageError(command, "--format must be table, tsv or json, not '" + value + "'",
                           err);
                return std::nullopt;
            }
            format = *f;
        }
    }
    return format;
}

void PrintResults(std::ostream& out, Format format, const std::vector<ResultRow>& rows,
                  const ResultPage& page) {
    switch (format) {
        case Format::Tsv:
            for (const ResultRow& row : rows) {
                const ResultSlot& slot = page[static_cast<std::size_t>(row.slot)];
                out << ToUtf8(row.trainNo) << '\t' << ToUtf8(row.departure) << '\t'
                    << ToUtf8(row.arrival) << '\t' << ToUtf8(row.typeLabel) << '\t'
                    << slot.routeCode.value() << '\t' << ToUtf8(slot.departureKey) << '\n';
            }
            return;
        case Format::Json: {
            out << '[';
            const char* separator = "\n";
            for (const ResultRow& row : rows) {
                const ResultSlot& slot = page[static_cast<std::size_t>(row.slot)];
                const auto travel = TravelMinutes(row.departure, row.arrival);
                out << separator << "  {\"trainNo\": " << JsonString(row.trainNo)
                    << ", \"departure\": " << JsonString(row.departure)
                    << ", \"arrival\": " << JsonString(row.arrival)
                    << ", \"type\": " << JsonString(row.typeLabel) << ", \"travelMinutes\": ";
                if (travel) {
                    out << *travel;
                } else {
                    out << "null";
                }
                out << ", \"routeCode\": " << slot.routeCode.value()
                    << ", \"departureCell\": " << JsonString(slot.departureKey) << '}';
                separator = ",\n";
            }
            out << (rows.empty() ? "]\n" : "\n]\n");
            return;
        }
        case Format::Table: {
            if (rows.empty()) {
                return;  // the message on standard error says why
            }
            std::vector<std::vector<std::u16string>> lines{
                {u"열차No", u"출발時", u"도착時", u"열 차", u"소요"}};
            for (const ResultRow& row : rows) {
                lines.push_back({row.trainNo, row.departure, row.arrival, row.typeLabel,
                                 DurationText(TravelMinutes(row.departure, row.arrival))});
            }
            PrintTable(out, lines);
            return;
        }
    }
}

// The program's own messages ("Read Data File Error") name no folder: say which one was
// looked in when it is not there at all.
void warnIfNoTimeData(const CliContext& context, std::string_view command) {
    std::error_code error;
    const std::filesystem::path folder = context.dataDirectory / "TimeData";
    if (!std::filesystem::is_directory(folder, error)) {
        context.err << "velomar-cli " << command << ": no timetable folder "
                    << TerminalText(PathToUtf8(folder)) << " (see --data)\n";
    }
}

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

}  // namespace

int RunSearchCommand(CliContext& context) {
    constexpr std::string_view kName = "search";
    const auto parsed = ParseArgs(context.args,
                                  {{"--type", true},
                                   {"--time", true},
                                   {"--layout", true},
                                   {"--next", true},
                                   {"--prev", true},
                                   {"--format", true}},
                                  kName, context.err);
    if (!parsed) {
        return kUsage;
    }
    if (parsed->positionals.size() != 0 && parsed->positionals.size() != 2) {
        return UsageError(kName, "expects both stations, FROM and TO, or neither", context.err);
    }
    std::optional<std::u16string> from;
    std::optional<std::u16string> to;
    if (parsed->positionals.size() == 2) {
        from = ArgumentText(parsed->positionals[0], context.err);
        to = ArgumentText(parsed->positionals[1], context.err);
        if (!from || !to) {
            return kUsage;
        }
    }
    const auto format = TakeFormat(*parsed, kName, context.err);
    if (!format) {
        return kUsage;
    }
    std::optional<int> type;
    std::optional<TimeChoice> time;
    Layout layout = Layout::Portrait;
    std::optional<std::pair<bool, int>> paging;  // (next?, presses)
    for (const auto& [name, value] : parsed->options) {
        if (name == "--type") {
            type = ParseType(value);
            if (!type) {
                return UsageError(kName,
                                  "--type must be 0-5 or one of 전체, KTX, 새마을, 무궁화, "
                                  "통일호, 누리로, not '" +
                                      value + "'",
                                  context.err);
            }
        } else if (name == "--time") {
            time = ParseTime(value);
            if (!time) {
                return UsageError(kName,
                                  "--time must be HH:MM from 00:00 to 23:59, not '" + value + "'",
                                  context.err);
            }
        } else if (name == "--layout") {
            if (value == "portrait") {
                layout = Layout::Portrait;
            } else if (value == "square") {
                layout = Layout::Square;
            } else {
                return UsageError(kName, "--layout must be portrait or square, not '" + value + "'",
                                  context.err);
            }
        } else if (name == "--next" || name == "--prev") {
            const auto presses = ParseCount(value, 1000);
            if (!presses) {
                return UsageError(kName,
                                  name + " needs a count from 0 to 1000, not '" + value + "'",
                                  context.err);
            }
            const bool next = name == "--next";
            if (paging && paging->first != next) {
                return UsageError(kName, "--next and --prev cannot be combined", context.err);
            }
            paging = std::pair{next, *presses};
        }
    }

    const auto settings = OpenCliSettings(context);
    // The search still runs, but nothing it restores or stores can reach the store.
#ifndef _WIN32
    if (const auto* sqlite = dynamic_cast<const SqliteSettingsBackend*>(settings.get());
        sqlite != nullptr && !sqlite->usable()) {
        context.err << "velomar-cli search: the settings store "
                    << TerminalText(PathToUtf8(sqlite->file()))
                    << " cannot be opened; the stations are not remembered\n";
    }
#endif
    warnIfNoTimeData(context, kName);
    DiskFileReader reader;
    const TimetableDirectory timetables(reader, context.dataDirectory);
    StreamMessageSink messages(context.err);
    SystemClock clock;
    ResultRows rows;
    const ScreenSize screen =
        layout == Layout::Portrait ? ScreenSize{480, 800} : ScreenSize{320, 320};
    const auto run = std::make_unique<RunState>();
    MainScreen main(
        layout, {*settings, timetables, run->grid, messages, clock, screen, run->squareDialogShown},
        rows);
    main.startUp();
    MainForm& form = main.form();
    if (from) {
        form.departureField = *from;
        form.arrivalField = *to;
    }
    if (type) {
        form.typeSelection = *type;
    }
    if (time) {
        form.hourSelection = time->hour;
        form.minuteSelection = time->minuteEntry;
    }
    main.search();
    if (paging) {
        for (int i = 0; i < paging->second; ++i) {
            paging->first ? main.next() : main.prev();
        }
    }
    PrintResults(context.out, *format, rows.rows, main.page());
    return rows.rows.empty() ? kFailure : kSuccess;
}

int RunDetailCommand(CliContext& context) {
    constexpr std::string_view kName = "detail";
    const auto parsed = ParseArgs(context.args, {{"--format", true}}, kName, context.err);
    if (!parsed) {
        return kUsage;
    }
    if (parsed->positionals.size() != 4) {
        return UsageError(kName, "expects FROM TO TRAIN_NO ROUTE_CODE", context.err);
    }
    const auto format = TakeFormat(*parsed, kName, context.err);
    if (!format) {
        return kUsage;
    }
    auto from = ArgumentText(parsed->positionals[0], context.err);
    auto to = ArgumentText(parsed->positionals[1], context.err);
    const auto trainNo = ArgumentText(parsed->positionals[2], context.err);
    if (!from || !to || !trainNo) {
        return kUsage;
    }
    if (trainNo->empty()) {
        return UsageError(kName, "TRAIN_NO must not be empty", context.err);
    }
    const std::string& codeText = parsed->positionals[3];
    const bool negative = codeText.starts_with('-');
    const auto magnitude = ParseCount(negative ? codeText.substr(1) : codeText, 100000);
    const RouteCode code(magnitude ? (negative ? -*magnitude : *magnitude) : RouteCode::kNone);
    if (!magnitude || !code.names_file()) {
        return UsageError(kName,
                          "ROUTE_CODE must be 0-31 (Up file of that route) or 100-131 (Down "
                          "file of route ROUTE_CODE - 100), not '" +
                              codeText + "'",
                          context.err);
    }

    warnIfNoTimeData(context, kName);
    DiskFileReader reader;
    const TimetableDirectory timetables(reader, context.dataDirectory);
    CountingMessageSink messages(context.err);
    CurrentTimetableFile current;
    const auto grid = std::make_unique<TimetableGrid>();
    const TrainDetailResult result =
        ShowTrainDetail(*trainNo, code, *from, *to, current, {timetables, *grid, messages});
    const StopList& stops = result.stops;
    if (stops.count() == 0 && messages.count() == 0) {
        // The dialog would just open empty, without a word; say what was looked for.
        context.err << "velomar-cli detail: no stops of train '"
                    << TerminalText(parsed->positionals[2]) << "' from '"
                    << TerminalText(parsed->positionals[0]) << "' to '"
                    << TerminalText(parsed->positionals[1]) << "' in "
                    << TimetableFileName(code.route(), code.direction()) << "\n";
    }

    switch (*format) {
        case Format::Tsv:
            for (std::size_t i = 0; i < stops.count(); ++i) {
                context.out << ToUtf8(stops.stationNames[i]) << '\t'
                            << ToUtf8(FormatClock(stops.times[i])) << '\n';
            }
            break;
        case Format::Json: {
            context.out << '[';
            const char* separator = "\n";
            for (std::size_t i = 0; i < stops.count(); ++i) {
                context.out << separator << "  {\"station\": " << JsonString(stops.stationNames[i])
                            << ", \"time\": " << JsonString(FormatClock(stops.times[i])) << '}';
                separator = ",\n";
            }
            context.out << (stops.count() == 0 ? "]\n" : "\n]\n");
            break;
        }
        case Format::Table: {
            if (stops.count() == 0) {
                break;
            }
            std::vector<std::vector<std::u16string>> lines{{u"역이름", u"시간"}};
            for (std::size_t i = 0; i < stops.count(); ++i) {
                lines.push_back({stops.stationNames[i], FormatClock(stops.times[i])});
            }
            PrintTable(context.out, lines);
            break;
        }
    }
    return stops.count() == 0 ? kFailure : kSuccess;
}

}  // namespace velomar::cli
