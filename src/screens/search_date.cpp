#include "screens/search_date.h"

#include "timetable/calendar_date.h"

namespace velomar {

namespace {

constexpr std::u16string_view kWeekdayLetters = u"월화수목금토일";

std::u16string Digits(int value) {
    std::u16string text;
    do {
        text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
        value /= 10;
    } while (value > 0);
    return text;
}

}  // namespace

void SearchDate::setDates(const LoadedDates& loaded) {
    m_status = loaded.status;
    m_period.reset();
    if (loaded.dates) {
        m_period = loaded.dates->period();
    }
    m_choice = DateChoice::Today;
}

bool SearchDate::chooseTomorrow(int today) {
    if (!m_period || !m_period->contains(today + 1)) {
        return false;
    }
    m_choice = DateChoice::Tomorrow;
    return true;
}

bool SearchDate::chooseDay(int day) {
    if (!m_period || !m_period->contains(day)) {
        return false;
    }
    m_choice = DateChoice::Chosen;
    m_chosen = day;
    return true;
}

int SearchDate::day(int today) const {
    switch (m_choice) {
        case DateChoice::Tomorrow:
            return today + 1;
        case DateChoice::Chosen:
            return m_chosen;
        case DateChoice::Today:
            break;
    }
    return today;
}

std::u16string DateLabel(int day) {
    const std::string text = GtfsDateText(day);  // YYYYMMDD
    const int month = (text[4] - '0') * 10 + (text[5] - '0');
    const int dayOfMonth = (text[6] - '0') * 10 + (text[7] - '0');
    std::u16string label = Digits(month);
    label.append(1, u'/').append(Digits(dayOfMonth)).append(1, u'(');
    return label.append(1, kWeekdayLetters[static_cast<std::size_t>(WeekdayOf(day))])
        .append(1, u')');
}

std::vector<DateEntry> DateEntries(const SearchDate& date, int today) {
    std::vector<DateEntry> entries;
    if (date.choice() == DateChoice::Chosen) {
        entries.push_back({DateChoice::Chosen, DateLabel(date.day(today))});
    }
    entries.push_back({DateChoice::Today, std::u16string(u"오늘 ").append(DateLabel(today))});
    if (date.period() && date.period()->contains(today + 1)) {
        entries.push_back(
            {DateChoice::Tomorrow, std::u16string(u"내일 ").append(DateLabel(today + 1))});
    }
    entries.push_back({DateChoice::Chosen, u"날짜 선택"});
    return entries;
}

}  // namespace velomar
