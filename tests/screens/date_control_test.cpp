// The date control: its place in the portrait menu bar, the entries' effects, the picker.
#include <gtest/gtest.h>

#include "screens/date_control.h"
#include "support/day_number.h"
#include "timetable/calendar_date.h"

namespace velomar {
namespace {

using testing_support::Day;

SearchDate Dated(const char* first, const char* last) {
    SearchDate date;
    date.setDates({DatesLoad::Loaded, ServiceDates({Day(first), Day(last)}), {}, 0});
    return date;
}

TEST(DateControl, PortraitBoxFitsBesideTheMenuButtonsOnEveryScreen) {
    for (const ScreenSize screen :
         {ScreenSize{240, 320}, ScreenSize{240, 400}, ScreenSize{320, 320}, ScreenSize{480, 640},
          ScreenSize{480, 800}}) {
        const PixelRect box = PortraitDateBox(screen);
        const int strip = ChromeStripHeight(screen);
        EXPECT_GE(box.x, screen.width / 2) << screen.width;  // "메뉴" and "정보" keep the left
        EXPECT_LT(box.x + box.width, screen.width);
        EXPECT_GE(box.y, 0);
        EXPECT_LE(box.y + box.height, strip);
        EXPECT_GT(box.height, strip / 2);
    }
}

TEST(DateControl, EntriesChooseAndTheLastOpensThePicker) {
    SearchDate date = Dated("20251201", "20251231");
    const int today = Day("20251224");
    EXPECT_EQ(SelectedDateEntry(date, today), 0);  // 오늘
    EXPECT_EQ(PickDateEntry(date, 1, today), DateEntryOutcome::Chosen);
    EXPECT_EQ(date.day(today), today + 1);
    EXPECT_EQ(SelectedDateEntry(date, today), 1);
    EXPECT_EQ(PickDateEntry(date, 2, today), DateEntryOutcome::OpenPicker);
    EXPECT_EQ(date.choice(), DateChoice::Tomorrow);  // the picker's day is still to come
    EXPECT_EQ(PickDateEntry(date, 3, today), DateEntryOutcome::Nothing);
    EXPECT_EQ(PickDateEntry(date, -1, today), DateEntryOutcome::Nothing);

    // On the period's last day there is no tomorrow: 오늘 and 날짜 선택 only.
    const int last = Day("20251231");
    date.chooseToday();
    EXPECT_EQ(PickDateEntry(date, 1, last), DateEntryOutcome::OpenPicker);

    // A chosen day is the first entry, and picking it keeps it.
    ASSERT_TRUE(PickDay(date, 5));
    EXPECT_EQ(date.day(today), Day("20251206"));
    EXPECT_EQ(SelectedDateEntry(date, today), 0);
    EXPECT_EQ(PickDateEntry(date, 0, today), DateEntryOutcome::Chosen);
    EXPECT_EQ(date.day(today), Day("20251206"));
    EXPECT_EQ(PickDateEntry(date, 1, today), DateEntryOutcome::Chosen);
    EXPECT_EQ(date.choice(), DateChoice::Today);
}

TEST(DateControl, PickerListsThePeriodAndOpensOnTheDayOrTheNearestEnd) {
    SearchDate date = Dated("20251201", "20251231");
    EXPECT_EQ(PickerDays(date).size(), 31u);
    EXPECT_EQ(PickerStartRow(date, Day("20251224")), 23);
    EXPECT_EQ(PickerStartRow(date, Day("20251120")), 0);
    EXPECT_EQ(PickerStartRow(date, Day("20260105")), 30);
    EXPECT_FALSE(PickDay(date, 31));
    EXPECT_FALSE(PickDay(date, -1));
    EXPECT_EQ(date.choice(), DateChoice::Today);

    SearchDate undated;
    EXPECT_TRUE(PickerDays(undated).empty());
    EXPECT_EQ(PickerStartRow(undated, Day("20251224")), -1);
    EXPECT_FALSE(PickDay(undated, 0));
}

}  // namespace
}  // namespace velomar
