#include "cli/command_day.h"

#include <algorithm>
#include <ostream>

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "platform/host.h"
#include "platform/text_join.h"
#include "timetable/calendar_date.h"

namespace velomar::cli {

std::string PeriodText(const ServicePeriod& period) {
    return GtfsDateText(period.first) + " to " + GtfsDateText(period.last);
}

std::optional<CommandDay> LoadCommandDay(std::ostream& err, std::string_view command,
                                         const TimetableDirectory& timetables,
                                         std::optional<int> date, std::vector<RouteCode> sheets) {
    std::sort(sheets.begin(), sheets.end());
    sheets.erase(std::unique(sheets.begin(), sheets.end()), sheets.end());
    CommandDay result{LoadServiceDates(timetables, &sheets), date.value_or(TodayInKorea())};
    if (result.dates.status == DatesLoad::Failed) {
        err << "velomar-cli " << command << ": " << TerminalText(result.dates.error) << '\n';
        return std::nullopt;
    }
    if (result.dates.dates && !result.dates.dates->period().contains(result.day)) {
        err << "velomar-cli " << command << ": " << (date ? "" : "today, ")
            << GtfsDateText(result.day) << (date ? "" : ",")
            << " lies outside the timetables' period, " << PeriodText(result.dates.dates->period())
            << (date ? "" : "; give --date") << '\n';
        return std::nullopt;
    }
    return result;
}

}  // namespace velomar::cli
