#include "export/gtfs_calendar.h"

#include <string_view>

#include "export/gtfs_text.h"
#include "timetable/calendar_date.h"

namespace velomar {

namespace {

constexpr std::string_view kAllDays = "ALL_DAYS";

std::string PatternService(int id) {
    std::string service(1, 'D');
    return service.append(std::to_string(id));
}

void CalendarRow(CsvWriter& calendar, std::string_view id, WeekDays days, const std::string& first,
                 const std::string& last) {
    auto day = [&](int i) -> std::string_view { return (days >> i) & 1 ? "1" : "0"; };
    calendar.row({id, day(0), day(1), day(2), day(3), day(4), day(5), day(6), first, last});
}

}  // namespace

std::string GtfsServiceOf(const ServiceDates* dates, RouteCode sheet, int column,
                          std::u16string_view trainCode) {
    if (dates == nullptr) {
        return std::string(GtfsServiceId(trainCode));
    }
    const std::vector<int>* ids = dates->columnPatterns(sheet);
    const int id = ids != nullptr && column >= 1 && static_cast<std::size_t>(column) <= ids->size()
                       ? (*ids)[static_cast<std::size_t>(column - 1)]
                       : ServiceDates::kEveryDay;
    return id == ServiceDates::kEveryDay ? std::string(kAllDays) : PatternService(id);
}

std::vector<GtfsFile> GtfsCalendarFiles(const std::set<std::string>& usedServices,
                                        const GtfsExportOptions& options,
                                        const ServiceDates* dates) {
    CsvWriter calendar({"service_id", "monday", "tuesday", "wednesday", "thursday", "friday",
                        "saturday", "sunday", "start_date", "end_date"});
    std::string first = options.startDate;
    std::string last = options.endDate;
    std::vector<GtfsFile> files;
    if (dates == nullptr) {
        for (const GtfsService& service : kGtfsServices) {
            if (usedServices.contains(std::string(service.id))) {
                CalendarRow(calendar, service.id, service.days, first, last);
            }
        }
        files.push_back({"calendar.txt", calendar.take()});
    } else {
        first = GtfsDateText(dates->period().first);
        last = GtfsDateText(dates->period().last);
        CsvWriter exceptions({"service_id", "date", "exception_type"});
        if (usedServices.contains(std::string(kAllDays))) {
            CalendarRow(calendar, kAllDays, kEveryDay, first, last);
        }
        for (int id = 1; id <= dates->patternCount(); ++id) {
            const std::string service = PatternService(id);
            if (!usedServices.contains(service)) {
                continue;
            }
            const DayPattern& pattern = dates->pattern(id);
            CalendarRow(calendar, service, pattern.weekdays, GtfsDateText(pattern.first),
                        GtfsDateText(pattern.last));
            for (int day : pattern.added) {
                exceptions.row({service, GtfsDateText(day), "1"});
            }
            for (int day : pattern.removed) {
                exceptions.row({service, GtfsDateText(day), "2"});
            }
        }
        files.push_back({"calendar.txt", calendar.take()});
        files.push_back({"calendar_dates.txt", exceptions.take()});
    }
    CsvWriter feedInfo({"feed_publisher_name", "feed_publisher_url", "feed_lang", "feed_start_date",
                        "feed_end_date", "feed_version"});
    feedInfo.row({"Velomar", kFeedUrl, "ko", first, last, "velomar-timetables"});
    files.push_back({"feed_info.txt", feedInfo.take()});
    return files;
}

}  // namespace velomar
