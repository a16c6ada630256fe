#include "screens/date_control.h"

#include <algorithm>

namespace velomar {

PixelRect PortraitDateBox(ScreenSize screen) {
    const int strip = ChromeStripHeight(screen);
    const int margin = strip / 8;
    const int height = ToPixels({0, 0, 0, kClosedDropDownHeightDu}, DialogUnitsFor(screen))
                           .value_or(PixelRect{0, 0, 0, strip})
                           .height;
    const int width = screen.width / 2 - margin;
    return {screen.width - margin - width, (strip - height) / 2, width, height};
}

int SelectedDateEntry(const SearchDate& date, int today) {
    const std::vector<DateEntry> entries = DateEntries(date, today);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].choice == date.choice()) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

DateEntryOutcome PickDateEntry(SearchDate& date, int index, int today) {
    const std::vector<DateEntry> entries = DateEntries(date, today);
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) {
        return DateEntryOutcome::Nothing;
    }
    if (static_cast<std::size_t>(index) + 1 == entries.size()) {
        return DateEntryOutcome::OpenPicker;  // "날짜 선택" is always the last
    }
    switch (entries[static_cast<std::size_t>(index)].choice) {
        case DateChoice::Today:
            date.chooseToday();
            return DateEntryOutcome::Chosen;
        case DateChoice::Tomorrow:
            return date.chooseTomorrow(today) ? DateEntryOutcome::Chosen
                                              : DateEntryOutcome::Nothing;
        case DateChoice::Chosen:
            break;  // the chosen day stays
    }
    return DateEntryOutcome::Chosen;
}

std::vector<int> PickerDays(const SearchDate& date) {
    std::vector<int> days;
    if (const auto& period = date.period()) {
        for (int day = period->first; day <= period->last; ++day) {
            days.push_back(day);
        }
    }
    return days;
}

int PickerStartRow(const SearchDate& date, int today) {
    const auto& period = date.period();
    if (!period) {
        return -1;
    }
    return std::clamp(date.day(today), period->first, period->last) - period->first;
}

bool PickDay(SearchDate& date, int row) {
    const auto& period = date.period();
    return period && row >= 0 && date.chooseDay(period->first + row);
}

}  // namespace velomar
