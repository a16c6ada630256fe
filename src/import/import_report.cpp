#include "import/import_report.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/utf8.h"
#include "timetable/calendar_date.h"

namespace velomar {

namespace {

constexpr std::string_view kReasonTexts[kSkipReasonCount] = {
    "not running in the period",
    "type not mapped",
    "no train number of 1-4 digits",
    "fewer than two calls at network stations",
    "times not representable (after 09:59 the next morning)",
    "no room (999 sheets of 79 trains, or its number in each)",
};
constexpr std::string_view kReasonKeys[kSkipReasonCount] = {
    "notInPeriod",       "typeNotMapped",         "numberNotWritable",
    "fewerThanTwoCalls", "timesNotRepresentable", "noRoom",
};
constexpr std::string_view kWeekdayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                              "Friday", "Saturday", "Sunday"};

std::string_view KindText(StopMatchKind kind) {
    switch (kind) {
        case StopMatchKind::Name:
            return "name";
        case StopMatchKind::Rename:
            return "renamed";
        case StopMatchKind::Parent:
            return "parent station";
        case StopMatchKind::Override:
            return "--stations";
        case StopMatchKind::Ignored:
            return "ignored by --stations";
        case StopMatchKind::Unmatched:
            break;
    }
    return "not matched";
}

std::string Json(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

bool Matched(const StationLine& line) {
    return !line.networkName.empty();
}

std::string ReasonText(const ImportReport& report, int reason) {
    if (reason == static_cast<int>(SkipReason::NotInPeriod) &&
        report.periodKind == PeriodKind::Week) {
        return "not running in the week";
    }
    return std::string(kReasonTexts[reason]);
}

std::string Span(const ServicePeriod& period) {
    return IsoDate(period.first) + " to " + IsoDate(period.last);
}

// "period: ..." or "week: ...", with where the days came from.
std::string PeriodLine(const ImportReport& report) {
    const std::string span = Span(report.period);
    switch (report.periodKind) {
        case PeriodKind::Week:
            return "week: " + span + " (from a " +
                   std::string(kWeekdayNames[WeekdayOf(report.period.first)]) +
                   "; day codes, no dates)";
        case PeriodKind::Chosen:
            return "period: " + span + " (chosen)";
        case PeriodKind::Feed:
            break;
    }
    if (report.periodCut && report.feedPeriod) {
        return "period: " + span + " (the first " + std::to_string(kMaxPeriodDays) +
               " days; the feed's calendar runs to " + IsoDate(report.feedPeriod->last) + ")";
    }
    return "period: " + span + " (the feed's service period)";
}

std::string Joined(const std::vector<std::string>& items, std::string_view fallback) {
    std::string out;
    for (const std::string& item : items) {
        out += (out.empty() ? "" : "; ") + item;
    }
    return out.empty() ? std::string(fallback) : out;
}

}  // namespace

std::vector<StationLine> StationLines(const FeedStops& stops) {
    std::map<int, long> calls;  // top station of each stop
    auto top = [&](int stop) {
        for (int depth = 0; depth < 8 && stops.parents[static_cast<std::size_t>(stop)] >= 0;
             ++depth) {
            stop = stops.parents[static_cast<std::size_t>(stop)];
        }
        return stop;
    };
    for (int stop = 0; stop < static_cast<int>(stops.names.size()); ++stop) {
        calls[top(stop)] += stops.calls[static_cast<std::size_t>(stop)];
    }
    std::map<std::pair<std::string, std::string>, StationLine> lines;
    for (const auto& [stop, count] : calls) {
        const StopMatch& match = stops.matches[static_cast<std::size_t>(stop)];
        const std::string network =
            match.station >= 0
                ? ToUtf8(NetworkStations()[static_cast<std::size_t>(match.station)].name)
                : "";
        const std::string& name = stops.names[static_cast<std::size_t>(stop)];
        auto [it, added] =
            lines.try_emplace({name, network}, StationLine{name, network, match.kind, 0});
        it->second.calls += count;
    }
    std::vector<StationLine> out;
    for (auto& [key, line] : lines) {
        out.push_back(std::move(line));
    }
    // Unmatched stations with the most calls first: those are the ones worth a --stations line.
    std::sort(out.begin(), out.end(), [](const StationLine& a, const StationLine& b) {
        if (Matched(a) != Matched(b)) {
            return Matched(a);
        }
        if (!Matched(a) && a.calls != b.calls) {
            return a.calls > b.calls;
        }
        return std::pair(a.stopName, a.networkName) < std::pair(b.stopName, b.networkName);
    });
    return out;
}

namespace {

// Stations found under their own name need no word; the others show how they were found.
void AppendStationLines(const ImportReport& report, std::string& out) {
    auto line = [&](const std::string& text) { out += text + "\n"; };
    const auto matched = std::count_if(report.stations.begin(), report.stations.end(), Matched);
    const auto byName = std::count_if(
        report.stations.begin(), report.stations.end(),
        [](const StationLine& s) { return Matched(s) && s.kind == StopMatchKind::Name; });
    line("stations matched: " + std::to_string(matched) + " (" + std::to_string(byName) +
         " by their name)");
    for (const StationLine& s : report.stations) {
        if (Matched(s) && s.kind != StopMatchKind::Name) {
            line("  " + s.stopName + " -> " + s.networkName + " (" + std::string(KindText(s.kind)) +
                 ")");
        }
    }
    line("stations not matched: " +
         std::to_string(report.stations.size() - static_cast<std::size_t>(matched)));
    for (const StationLine& s : report.stations) {
        if (!Matched(s)) {
            line("  " + s.stopName + " (" + std::to_string(s.calls) + " calls" +
                 (s.kind == StopMatchKind::Ignored ? ", ignored by --stations)" : ")"));
        }
    }
}

void AppendFileLines(const ImportReport& report, std::string& out) {
    int empty = 0;
    out += "trains per file and sheet:\n";
    for (const SheetLine& sheet : report.sheets) {
        if (sheet.trains == 0 && sheet.sheet.sheet() == 1) {
            ++empty;
            continue;
        }
        out += "  " + TimetableFileName(sheet.sheet) + " " + std::to_string(sheet.trains) + "\n";
    }
    if (empty > 0) {
        out += "  the other " + std::to_string(empty) + " files: no trains\n";
    }
}

void AppendJsonLists(const ImportReport& report, std::string& out) {
    out += ",\n  \"stations\": [";
    const char* separator = "\n    ";
    for (const StationLine& s : report.stations) {
        out += separator;
        out += "{\"stop\": " + Json(s.stopName) +
               ", \"station\": " + (Matched(s) ? Json(s.networkName) : "null") +
               ", \"how\": " + Json(KindText(s.kind)) + ", \"calls\": " + std::to_string(s.calls) +
               "}";
        separator = ",\n    ";
    }
    out += report.stations.empty() ? "]" : "\n  ]";
    out += ",\n  \"typesNotMapped\": [";
    separator = "";
    for (const auto& [name, trips] : report.unmappedTypes) {
        out += separator;
        out += "{\"route\": " + Json(name) + ", \"trips\": " + std::to_string(trips) + "}";
        separator = ", ";
    }
    out += "],\n  \"files\": [";
    separator = "\n    ";
    for (const SheetLine& sheet : report.sheets) {
        out += separator;
        out += "{\"file\": " + Json(TimetableFileName(sheet.sheet)) +
               ", \"routeCode\": " + std::to_string(sheet.sheet.value()) +
               ", \"sheet\": " + std::to_string(sheet.sheet.sheet()) +
               ", \"trains\": " + std::to_string(sheet.trains) + "}";
        separator = ",\n    ";
    }
    out += "\n  ]";
}

}  // namespace

std::string FormatReportText(const ImportReport& report) {
    std::string out;
    auto line = [&](const std::string& text) { out += text + "\n"; };
    line("feed: " + report.feedName);
    line(PeriodLine(report));
    line("trips read: " + std::to_string(report.tripsRead));
    line("imported: " + std::to_string(report.tripsImported) + " trips as " +
         std::to_string(report.trains) + " trains");
    line("not imported: " + std::to_string(report.tripsRead - report.tripsImported));
    for (int r = 0; r < kSkipReasonCount; ++r) {
        if (report.skipped[static_cast<std::size_t>(r)] > 0) {
            line("  " + ReasonText(report, r) + ": " +
                 std::to_string(report.skipped[static_cast<std::size_t>(r)]));
        }
    }
    line("shown on more days than they run: " + std::to_string(report.shownOnMoreDays));
    if (report.trainsWithUnservedPairs > 0) {
        line("trains some of whose station pairs no file can serve: " +
             std::to_string(report.trainsWithUnservedPairs));
    }
    AppendStationLines(report, out);
    line("types not mapped: " + std::to_string(report.unmappedTypes.size()));
    for (const auto& [name, trips] : report.unmappedTypes) {
        line("  " + name + " (" + std::to_string(trips) + " trips)");
    }
    AppendFileLines(report, out);
    return out;
}

std::string FormatReportJson(const ImportReport& report) {
    static constexpr std::string_view kKinds[] = {"feed", "chosen", "week"};
    std::string out = "{\n  \"feed\": " + Json(report.feedName);
    out += ",\n  \"period\": {\"first\": " + Json(IsoDate(report.period.first)) +
           ", \"last\": " + Json(IsoDate(report.period.last)) +
           ", \"from\": " + Json(kKinds[static_cast<int>(report.periodKind)]) +
           ", \"cut\": " + (report.periodCut ? "true" : "false") + "}";
    out += ",\n  \"feedPeriod\": " +
           (report.feedPeriod ? "{\"first\": " + Json(IsoDate(report.feedPeriod->first)) +
                                    ", \"last\": " + Json(IsoDate(report.feedPeriod->last)) + "}"
                              : std::string("null"));
    out += ",\n  \"tripsRead\": " + std::to_string(report.tripsRead);
    out += ",\n  \"tripsImported\": " + std::to_string(report.tripsImported);
    out += ",\n  \"trains\": " + std::to_string(report.trains);
    out += ",\n  \"notImported\": {";
    for (int r = 0; r < kSkipReasonCount; ++r) {
        out += std::string(r ? ", " : "") + Json(kReasonKeys[r]) + ": " +
               std::to_string(report.skipped[static_cast<std::size_t>(r)]);
    }
    out += "},\n  \"shownOnMoreDays\": " + std::to_string(report.shownOnMoreDays);
    out += ",\n  \"trainsWithUnservedPairs\": " + std::to_string(report.trainsWithUnservedPairs);
    AppendJsonLists(report, out);
    return out + "\n}\n";
}

std::string FormatSourceText(const ImportReport& report) {
    const FeedSourceInfo& s = report.source;
    std::string out;
    auto line = [&](std::string_view key, const std::string& value) {
        out.append(key).append(": ").append(value).append("\r\n");
    };
    line("feed", report.feedName);
    line("publisher",
         s.publisher.empty()
             ? std::string("not given")
             : s.publisher + (s.publisherUrl.empty() ? "" : " (" + s.publisherUrl + ")"));
    line("agency", Joined(s.agencies, "not given"));
    line("licence",
         s.licence.empty() ? "not given in the feed; see the publisher's terms" : s.licence);
    line("attribution", Joined(s.attributions, s.publisher.empty() ? Joined(s.agencies, "not given")
                                                                   : s.publisher));
    line("feed version", s.version.empty() ? "not given" : s.version);
    line("service period", report.feedPeriod ? Span(*report.feedPeriod) : "not given");
    const std::string imported = PeriodLine(report);
    const std::size_t colon = imported.find(": ");
    line(imported.substr(0, colon), imported.substr(colon + 2));
    line("trips", std::to_string(report.tripsRead) + " read, " +
                      std::to_string(report.tripsImported) + " imported");
    line("trains", std::to_string(report.trains) + " in 64 files and " +
                       std::to_string(report.sheets.size() - 64) + " further sheets");
    out += "\r\n";
    std::string text = FormatReportText(report);
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) {
        text.replace(at, 1, "\r\n");
    }
    return out + text;
}

std::string NoTrainError(const ImportReport& report, long stopTimeRows) {
    std::string out = "no train to import: ";
    if (report.tripsRead == 0) {
        return out + "trips.txt has no trips";
    }
    out += "of the " + std::to_string(report.tripsRead) +
           " trips of trips.txt, none becomes a train (";
    const char* separator = "";
    for (int r = 0; r < kSkipReasonCount; ++r) {
        const long count = report.skipped[static_cast<std::size_t>(r)];
        if (count == 0) {
            continue;
        }
        out += separator + ReasonText(report, r);
        if (r == static_cast<int>(SkipReason::NotInPeriod)) {
            out += " " + Span(report.period);
        }
        out += ": " + std::to_string(count);
        separator = "; ";
    }
    return out + (stopTimeRows == 0 ? std::string(separator) + "stop_times.txt has no rows)" : ")");
}

}  // namespace velomar
