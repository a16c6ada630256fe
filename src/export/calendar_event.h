#pragma once

// One train as an iCalendar (RFC 5545) event: UTF-8, CR LF line ends, lines folded at 75
// octets, times in Korean local time under a VTIMEZONE of its own.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "timetable/timetable_file.h"

namespace velomar {

struct CalendarStop {
    std::u16string name;
    std::u16string code;
    std::u16string cell;  // the time as the file has it ("3015" after midnight)
};

struct TrainEvent {
    std::u16string trainNo;
    std::u16string typeLabel;
    RouteCode routeCode;
    std::vector<CalendarStop> stops;  // in order; the event runs from the first to the last
    std::string serviceDay;           // YYYYMMDD: the day whose timetable lists the train
    std::string stamp;                // when the event was made, UTC: YYYYMMDDTHHMMSSZ
};

// The whole calendar with one event. Times past midnight of the service day fall on the next
// day (the file's "3HMM", or a time earlier than the stop before it). The UID is made from the
// day, the file, the train and the two stations, so exporting the same train again updates the
// event instead of adding one. Nothing when a stop has no clock time or there is no stop or
// the day is no date.
std::optional<std::string> CalendarText(const TrainEvent& event);

// One content line folded: at most 75 octets per line, never inside a UTF-8 sequence, each
// continuation begun with a space; every line ended by CR LF.
std::string FoldCalendarLine(std::string_view line);

// A TEXT value: backslash, semicolon and comma escaped, line breaks as \n.
std::string CalendarTextValue(std::u16string_view text);

// YYYYMMDD moved by a number of days; nothing for a text that is no date.
std::optional<std::string> AddDays(std::string_view date, int days);

}  // namespace velomar
