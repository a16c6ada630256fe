#pragma once

// The day the main screen answers for, where the timetable set carries dates. Like the hour it
// follows the clock: today at every start, never stored. The user may take today, tomorrow or
// a day of the set's period; today and tomorrow move on with the clock, a chosen day stays.
// A set without dates shows no date and answers as the 64 files always did.

#include <optional>
#include <string>
#include <vector>

#include "timetable/service_dates.h"

namespace velomar {

enum class DateChoice { Today, Tomorrow, Chosen };

class SearchDate {
  public:
    // What the set carries, as start-up finds it: a period; no dates (no date is shown); or
    // dates that cannot be read (the date is shown, and each search reports the read error).
    void setDates(const LoadedDates& loaded);
    bool shown() const { return m_status != DatesLoad::None; }
    const std::optional<ServicePeriod>& period() const { return m_period; }

    DateChoice choice() const { return m_choice; }
    void chooseToday() { m_choice = DateChoice::Today; }
    // False, and nothing changes, when the day after `today` lies outside the period.
    bool chooseTomorrow(int today);
    // A day of the period; false, and nothing changes, for any other.
    bool chooseDay(int day);

    // The day answered for when the clock says `today`.
    int day(int today) const;
    // Whether that day lies in the period; the search lists no train for a day outside it.
    bool inPeriod(int today) const { return m_period && m_period->contains(day(today)); }

  private:
    DatesLoad m_status = DatesLoad::None;
    std::optional<ServicePeriod> m_period;
    DateChoice m_choice = DateChoice::Today;
    int m_chosen = 0;
};

// A day as the screen shows it: "12/24(수)".
std::u16string DateLabel(int day);

// The entries of the date list, in order: "오늘 12/24(수)", "내일 12/25(목)" (when in the
// period) and "날짜 선택" for a day of the period; a chosen day adds its own entry first.
struct DateEntry {
    DateChoice choice;
    std::u16string text;
};
std::vector<DateEntry> DateEntries(const SearchDate& date, int today);

}  // namespace velomar
