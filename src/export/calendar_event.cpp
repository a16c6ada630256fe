#include "export/calendar_event.h"

#include <cstdio>

#include "platform/utf8.h"
#include "timetable/calendar_date.h"
#include "timetable/service_time.h"

namespace velomar {

namespace {

constexpr std::size_t kMaxLineOctets = 75;

constexpr std::string_view kTimeZone =
    "BEGIN:VTIMEZONE\r\n"
    "TZID:Asia/Seoul\r\n"
    "BEGIN:STANDARD\r\n"
    "DTSTART:19700101T000000\r\n"
    "TZOFFSETFROM:+0900\r\n"
    "TZOFFSETTO:+0900\r\n"
    "TZNAME:KST\r\n"
    "END:STANDARD\r\n"
    "END:VTIMEZONE\r\n";

struct StopClock {
    std::string date;
    int minutes;  // of that day
};

// Each stop's calendar day and time; nothing when a stop has no clock time.
std::optional<std::vector<StopClock>> StopTimes(const TrainEvent& event) {
    std::vector<StopClock> times;
    int previous = 0;
    int wrapped = 0;
    for (const CalendarStop& stop : event.stops) {
        auto minutes = CellMinutes(stop.cell);
        if (!minutes) {
            return std::nullopt;
        }
        // A file without the after-midnight digit still runs forward in time.
        if (*minutes + wrapped < previous) {
            wrapped += 24 * 60;
        }
        const int total = *minutes + wrapped;
        previous = total;
        const auto date = AddDays(event.serviceDay, total / (24 * 60));
        if (!date) {
            return std::nullopt;
        }
        times.push_back({*date, total % (24 * 60)});
    }
    return times;
}

std::string LocalDateTime(const StopClock& time) {
    char text[32];
    std::snprintf(text, sizeof text, "T%02d%02d00", time.minutes / 60, time.minutes % 60);
    return time.date + text;
}

std::string Clock(const StopClock& time) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", time.minutes / 60, time.minutes % 60);
    return text;
}

std::u16string Description(const TrainEvent& event, const std::vector<StopClock>& times) {
    std::u16string text = event.typeLabel + u" " + event.trainNo;
    for (std::size_t i = 0; i < event.stops.size(); ++i) {
        text += u"\n" + event.stops[i].name + u" " + *FromUtf8(Clock(times[i]));
    }
    return text;
}

std::string Property(std::string_view name, std::string_view value) {
    std::string line(name);
    line += ':';
    line += value;
    return FoldCalendarLine(line);
}

}  // namespace

std::optional<std::string> AddDays(std::string_view date, int days) {
    const auto day = GtfsDayNumber(date);
    if (!day) {
        return std::nullopt;
    }
    return GtfsDateText(*day + days);
}

std::string FoldCalendarLine(std::string_view line) {
    std::string out;
    std::size_t room = kMaxLineOctets;
    while (line.size() > room) {
        std::size_t cut = room;
        // Back up to the first byte of a UTF-8 sequence.
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
            --cut;
        }
        if (cut == 0) {
            cut = room;  // not UTF-8 at all: cut anywhere rather than loop
        }
        out.append(line.substr(0, cut));
        out += "\r\n ";
        line.remove_prefix(cut);
        room = kMaxLineOctets - 1;
    }
    out.append(line);
    out += "\r\n";
    return out;
}

std::string CalendarTextValue(std::u16string_view text) {
    std::string out;
    for (char c : ToUtf8(text)) {
        switch (c) {
            case '\\':
            case ';':
            case ',':
                out += '\\';
                out += c;
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::string> CalendarText(const TrainEvent& event) {
    if (event.stops.empty()) {
        return std::nullopt;
    }
    const auto times = StopTimes(event);
    if (!times) {
        return std::nullopt;
    }
    const CalendarStop& first = event.stops.front();
    const CalendarStop& last = event.stops.back();
    const std::u16string uid =
        *FromUtf8(event.serviceDay + "-" + std::to_string(event.routeCode.value()) + "-") +
        event.trainNo + u"-" + first.code + u"-" + last.code + u"@velomar.invalid";
    std::string text =
        "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Velomar//velomar-cli//KO\r\n"
        "CALSCALE:GREGORIAN\r\n";
    text += kTimeZone;
    text += "BEGIN:VEVENT\r\n";
    text += Property("UID", CalendarTextValue(uid));
    text += Property("DTSTAMP", event.stamp);
    text += Property("DTSTART;TZID=Asia/Seoul", LocalDateTime(times->front()));
    // An event without an end lasts no time, which is what one stop gives.
    if (event.stops.size() > 1) {
        text += Property("DTEND;TZID=Asia/Seoul", LocalDateTime(times->back()));
    }
    text += Property("SUMMARY", CalendarTextValue(event.typeLabel + u" " + event.trainNo + u" " +
                                                  first.name + u" → " + last.name));
    text += Property("LOCATION", CalendarTextValue(first.name));
    text += Property("DESCRIPTION", CalendarTextValue(Description(event, *times)));
    text += "END:VEVENT\r\nEND:VCALENDAR\r\n";
    return text;
}

}  // namespace velomar
