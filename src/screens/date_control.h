#pragma once

// The control of the day the main screen answers for, without widgets: where it sits in each
// layout, which entry shows the current choice, what picking an entry does, and the days the
// small day picker lists. Shown only where the timetable set carries dates.

#include <vector>

#include "screens/dialog_template.h"
#include "screens/layout_rules.h"
#include "screens/search_date.h"

namespace velomar {

// Portrait: a drop-down box at the right end of the menu bar strip (the strip's own
// coordinates), beside "메뉴" and "정보": half the screen's width less a margin, a closed
// drop-down's height, in the strip's middle.
PixelRect PortraitDateBox(ScreenSize screen);
// Square: in place of the web address line under the product line, beside 취소.
inline constexpr DuRect kSquareDateBox{27, 180, 85, kClosedDropDownHeightDu};

// The entry of DateEntries() that shows the current choice.
int SelectedDateEntry(const SearchDate& date, int today);

// What picking entry `index` of DateEntries() did. Like the hour, a choice only changes what
// the next search answers for; nothing is searched.
enum class DateEntryOutcome {
    Chosen,      // today, tomorrow or the chosen day again: the choice is made
    OpenPicker,  // "날짜 선택": the day picker opens; its day goes to PickDay
    Nothing,     // no such entry (or tomorrow left the period meanwhile)
};
DateEntryOutcome PickDateEntry(SearchDate& date, int index, int today);

// The days the picker lists, the period's first to its last, and the row it opens on: the
// day answered for, or the period's nearest end when that day lies outside it.
std::vector<int> PickerDays(const SearchDate& date);
int PickerStartRow(const SearchDate& date, int today);
// The picker's row `row` chosen: false, and nothing changes, for a row it does not list.
bool PickDay(SearchDate& date, int row);

}  // namespace velomar
