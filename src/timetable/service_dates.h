#pragma once

// The days each train of a timetable set runs, for sets that answer for a date. They are kept
// beside the timetable files in TimeData/Dates.txt, so the files themselves keep their format
// and a reader that knows nothing of dates still reads a valid (weekly) timetable:
//
//   velomar-dates 1
//   period 20251201 20260531
//   pattern 1 1111100 20251201 20260531 -20251225 +20251227
//   UpData_16.txt 1 1 2 *
//
// "period" gives the first and last day the set answers for. A pattern runs on the weekdays
// its seven flags name (Monday first) between its two days, plus the days given with "+" and
// less those given with "-". A sheet's line gives the pattern of its columns 1, 2, ... in
// order; "*", and every column the line does not reach, runs on every day of the period.
// Lines starting with "#" and blank lines are skipped. Days are YYYYMMDD.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "timetable/day_letters.h"
#include "timetable/timetable_file.h"

namespace velomar {

inline constexpr std::string_view kServiceDatesFileName = "Dates.txt";
// A year of dates for thousands of trains is a few hundred kilobytes; a file far beyond that
// is not a dates file.
inline constexpr std::size_t kServiceDatesFileLimit = 16u << 20;

// Days since 1970-01-01, both ends included.
struct ServicePeriod {
    int first = 0;
    int last = 0;
    bool contains(int day) const { return day >= first && day <= last; }
    friend bool operator==(const ServicePeriod&, const ServicePeriod&) = default;
};

struct DayPattern {
    WeekDays weekdays = 0;
    int first = 0;
    int last = 0;
    std::vector<int> added;    // ascending
    std::vector<int> removed;  // ascending

    bool runs(int day) const;
    // The weekdays on which the pattern runs at least once.
    WeekDays runningWeekdays() const;
    // The pattern with the fewest added and removed days for these days (ascending, unique,
    // not empty).
    static DayPattern of(std::span<const int> days);
    friend bool operator==(const DayPattern&, const DayPattern&) = default;
};

class ServiceDates {
  public:
    explicit ServiceDates(ServicePeriod period) : m_period(period) {}

    const ServicePeriod& period() const { return m_period; }

    // Returns the pattern's id (from 1); an equal pattern added before keeps its id.
    int addPattern(DayPattern pattern);
    // The pattern ids of the sheet's columns 1, 2, ...; kEveryDay runs on every day.
    static constexpr int kEveryDay = 0;
    void setColumns(RouteCode sheet, std::vector<int> patternIds);

    // Whether the train of the sheet's column runs on the day: never outside the period.
    bool runs(RouteCode sheet, int column, int day) const;
    // The pattern of a column, or nothing when it runs on every day of the period.
    const DayPattern* patternOf(RouteCode sheet, int column) const;
    // The pattern ids of the sheet's columns 1, 2, ...; null for a sheet without a line, whose
    // columns all run on every day of the period.
    const std::vector<int>* columnPatterns(RouteCode sheet) const;
    // By id, from 1 to patternCount().
    const DayPattern& pattern(int id) const { return m_patterns[static_cast<std::size_t>(id - 1)]; }
    int patternCount() const { return static_cast<int>(m_patterns.size()); }
    // The sheets that have a line, in reading order.
    std::vector<RouteCode> sheets() const;

    // Where reading the file stopped: line 0 concerns the whole file.
    struct ParseError {
        long line = 0;
        std::string message;
        std::string text() const;  // "line 3: ..."
    };
    // The file's text, and the file read back; an error names the line.
    std::string text() const;
    static std::optional<ServiceDates> parse(std::string_view text, std::string& error);
    // With `sheets` (ascending), only the lines of those sheets and the patterns they use are
    // read: a reader that answers from a few sheets pays for no more. The other lines are
    // only told apart by their first word, so their faults go unnoticed until a full read.
    static std::optional<ServiceDates> parse(std::string_view text, ParseError& error,
                                             const std::vector<RouteCode>* sheets = nullptr);

  private:
    struct SheetColumns {
        RouteCode sheet;
        std::vector<int> patterns;
    };
    const SheetColumns* columnsOf(RouteCode sheet) const;

    ServicePeriod m_period;
    std::vector<DayPattern> m_patterns;  // id - 1
    std::vector<SheetColumns> m_sheets;  // ascending by sheet value
};

enum class DatesLoad {
    None,    // the set carries no dates: it answers for every day alike
    Loaded,  // dates holds them
    Failed,  // a dates file that cannot be read or is not one: error says why
};

struct LoadedDates {
    DatesLoad status = DatesLoad::None;
    std::optional<ServiceDates> dates;
    std::string error;   // "TimeData/Dates.txt: line 3: ..."
    long errorLine = 0;  // 0: the whole file
};

// TimeData/Dates.txt of the directory; with `sheets` (ascending) only what those sheets need
// (see ServiceDates::parse).
LoadedDates LoadServiceDates(const TimetableDirectory& directory,
                             const std::vector<RouteCode>* sheets = nullptr);
// The same for a dates file anywhere; `text`, when given, receives the file's text.
LoadedDates LoadServiceDatesFile(const FileReader& reader, const std::filesystem::path& file,
                                 const std::vector<RouteCode>* sheets = nullptr,
                                 std::string* text = nullptr);

// The day a reader answers for. Without dates (a set that carries none) every train runs, as
// the 64 files always meant.
struct ServiceDay {
    const ServiceDates* dates = nullptr;
    int day = 0;
    bool filters() const { return dates != nullptr; }
};

}  // namespace velomar
