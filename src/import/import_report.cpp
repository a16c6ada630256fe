#include "import/import_report.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/utf8.h"
#include "timetable/calendar_date.h"

namespace velomar {

namespace {

constexpr std::string_view kReasonTexts[kSkipReasonCount] = {
    "not running in the week",
    "type not mapped",
    "no train number of 1-4 digits",
    "fewer than two calls at network stations",
    "times not representable (after 09:59 the next morning)",
    "file full",
    "number already in a file with other times",
};
constexpr std::string_view kReasonKeys[kSkipReasonCount] = {
    "notInWeek", "typeNotMapped", "numberNotWritable", "fewerThanTwoCalls", "timesNotRepresentable",
    "fileFull",  "numberTaken",
};
constexpr std::string_view kWeekdayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                              "Friday", "Saturday", "Sunday"};

std::string_view KindText(MatchKind kind) {
    switch (kind) {
        case MatchKind::Name:
            return "name";
        case MatchKind::Rename:
            return "renamed";
        case MatchKind::Parent:
            return "parent station";
        case MatchKind::Override:
            return "--stations";
        case MatchKind::Ignored:
            return "ignored by --stations";
        case MatchKind::Unmatched:
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

std::string WeekText(const ImportReport& report) {
    return IsoDate(report.weekStart) + " to " + IsoDate(report.weekStart + 6) + " (from a " +
           std::string(kWeekdayNames[WeekdayOf(report.weekStart)]) + ")";
}

std::string PeriodText(const ImportReport& report) {
    if (!report.periodStart || !report.periodEnd) {
        return "not given";
    }
    return IsoDate(*report.periodStart) + " to " + IsoDate(*report.periodEnd);
}

std::string Joined(const std::vector<std::string>& items, std::string_view fallback) {
    std::string out;
    for (const std::string& item : items) {
        out += (out.empty() ? "" : "; ") + item;
    }
    return out.empty() ? std::string(fallback) : out;
}

}  // namespace

std::string_view SkipReasonText(SkipReason reason) {
    return kReasonTexts[static_cast<int>(reason)];
}

std::string IsoDate(int dayNumber) {
    const std::string text = GtfsDateText(dayNumber);
    return text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2);
}

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
    const auto byName =
        std::count_if(report.stations.begin(), report.stations.end(),
                      [](const StationLine& s) { return Matched(s) && s.kind == MatchKind::Name; });
    line("stations matched: " + std::to_string(matched) + " (" + std::to_string(byName) +
         " by their name)");
    for (const StationLine& s : report.stations) {
        if (Matched(s) && s.kind != MatchKind::Name) {
            line("  " + s.stopName + " -> " + s.networkName + " (" + std::string(KindText(s.kind)) +
                 ")");
        }
    }
    line("stations not matched: " +
         std::to_string(report.stations.size() - static_cast<std::size_t>(matched)));
    for (const StationLine& s : report.stations) {
        if (!Matched(s)) {
            line("  " + s.stopName + " (" + std::to_string(s.calls) + " calls" +
                 (s.kind == MatchKind::Ignored ? ", ignored by --stations)" : ")"));
        }
    }
}

void AppendFileLines(const ImportReport& report, std::string& out) {
    auto line = [&](const std::string& text) { out += text + "\n"; };
    int empty = 0;
    line("trains per file:");
    for (int file = 0; file < kFileCount; ++file) {
        const auto i = static_cast<std::size_t>(file);
        if (report.trainsPerFile[i] == 0) {
            ++empty;
            continue;
        }
        line("  " + ImportFileName(file) + " " + std::to_string(report.trainsPerFile[i]) +
             (report.fileFull[i] ? " (full: trains left out)" : ""));
    }
    if (empty > 0) {
        line("  the other " + std::to_string(empty) + " files: no trains");
    }
}

}  // namespace

std::string FormatReportText(const ImportReport& report) {
    std::string out;
    auto line = [&](const std::string& text) { out += text + "\n"; };
    line("feed: " + report.feedName);
    line("week: " + WeekText(report));
    line("trips read: " + std::to_string(report.tripsRead));
    line("imported: " + std::to_string(report.tripsImported) + " trips as " +
         std::to_string(report.trains) + " trains");
    line("not imported: " + std::to_string(report.tripsRead - report.tripsImported));
    for (int r = 0; r < kSkipReasonCount; ++r) {
        if (report.skipped[static_cast<std::size_t>(r)] > 0) {
            line("  " + std::string(kReasonTexts[r]) + ": " +
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
    std::string out = "{\n  \"feed\": " + Json(report.feedName);
    out += ",\n  \"weekStart\": " + Json(IsoDate(report.weekStart));
    out += ",\n  \"weekEnd\": " + Json(IsoDate(report.weekStart + 6));
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
    for (int file = 0; file < kFileCount; ++file) {
        out += separator;
        out +=
            "{\"file\": " + Json(ImportFileName(file)) + ", \"trains\": " +
            std::to_string(report.trainsPerFile[static_cast<std::size_t>(file)]) +
            ", \"full\": " + (report.fileFull[static_cast<std::size_t>(file)] ? "true" : "false") +
            "}";
        separator = ",\n    ";
    }
    return out + "\n  ]\n}\n";
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
    line("service period", PeriodText(report));
    line("week", WeekText(report));
    line("trips", std::to_string(report.tripsRead) + " read, " +
                      std::to_string(report.tripsImported) + " imported");
    line("trains", std::to_string(report.trains) + " in 64 files");
    out += "\r\n";
    std::string text = FormatReportText(report);
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) {
        text.replace(at, 1, "\r\n");
    }
    return out + text;
}

}  // namespace velomar
