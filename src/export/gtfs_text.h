#pragma once

// The small pieces of GTFS text the export writes and the import reads: dates, times, service
// ids and CSV fields.

#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "timetable/calendar_date.h"
#include "timetable/day_letters.h"

namespace velomar {

// The address the exported feed gives for the agency and the feed's publisher.
inline constexpr std::string_view kFeedUrl = "https://velomar.invalid";

// 0..99 with a leading zero: "07".
std::string TwoDigits(int value);

// Exact YYYYMMDD with a month 01-12 and a day that exists in that month.
bool IsGtfsDate(std::string_view text);

// The calendar entries the export writes, in writing order; only the sets a train code can
// stand for.
struct GtfsService {
    std::string_view id;
    WeekDays days;
};

inline constexpr std::array<GtfsService, 9> kGtfsServices = {{
    {"DAILY", kEveryDay},
    {"WEEKDAY", kWeekdays},
    {"MON", kMonday},
    {"FRI", kFriday},
    {"SAT", kSaturday},
    {"SUN", kSunday},
    {"SAT_SUN", kSaturday | kSunday},
    {"FRI_SAT_SUN", kFriday | kSaturday | kSunday},
    {"FRI_SUN", kFriday | kSunday},
}};

// Which calendar entry a train code runs on: "DAILY", "WEEKDAY", "FRI", "SAT", "SUN", "MON",
// "SAT_SUN", "FRI_SAT_SUN" or "FRI_SUN". Unknown codes carry no known restriction: "DAILY".
std::string_view GtfsServiceId(std::u16string_view trainCode);

// The calendar entry of a set of days; "DAILY" for a set no entry has.
std::string_view GtfsServiceOfDays(WeekDays days);

// "24:15:00" for the after-midnight cell "3015", "07:05:00" for "0705"; empty for a cell that
// is no time ("9999", "2460", "ab12").
std::string GtfsTime(std::u16string_view cell);

// One CSV field, quoted when it holds a comma, a quote or a line break (quotes doubled).
std::string CsvField(std::string_view text);

// A CSV file built row by row, CR LF line ends.
class CsvWriter {
  public:
    explicit CsvWriter(std::initializer_list<std::string_view> header) { row(header); }
    void row(std::initializer_list<std::string_view> fields);
    std::string take() { return std::move(m_text); }

  private:
    std::string m_text;
};

}  // namespace velomar
