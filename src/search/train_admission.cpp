#include "search/train_admission.h"

#include "timetable/train_codes.h"

namespace velomar {

TrainAdmission::TrainAdmission(std::u16string_view typeFilter, ServiceDay day) : m_day(day) {
    for (std::size_t i = 1; i < kTrainTypeEntries.size(); ++i) {
        if (typeFilter == kTrainTypeEntries[i]) {
            m_type = kTrainTypeEntries[i];
        }
    }
    if (m_day.filters()) {
        m_dayInPeriod = m_day.dates->period().contains(m_day.day);
        m_patternRuns.assign(static_cast<std::size_t>(m_day.dates->patternCount()) + 1, -1);
    }
}

bool TrainAdmission::passesTypeOf(std::u16string_view code) const {
    return TrainTypeOf(code) == m_type;
}

bool TrainAdmission::runsOnTheDay(RouteCode sheet, int column) const {
    if (!m_dayInPeriod) {
        return false;
    }
    if (sheet != m_sheet) {
        m_sheet = sheet;
        m_columns = m_day.dates->columnPatterns(sheet);
    }
    if (m_columns == nullptr || column < 1 ||
        static_cast<std::size_t>(column) > m_columns->size()) {
        return true;  // no pattern: every day of the period
    }
    const int id = (*m_columns)[static_cast<std::size_t>(column - 1)];
    if (id == ServiceDates::kEveryDay) {
        return true;
    }
    signed char& known = m_patternRuns[static_cast<std::size_t>(id)];
    if (known < 0) {
        known = m_day.dates->pattern(id).runs(m_day.day) ? 1 : 0;
    }
    return known == 1;
}

}  // namespace velomar
