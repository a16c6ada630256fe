// The date drop-down of both layouts: shown for a dated set, a choice changes the day the next
// search answers for (and searches nothing itself); no control at all for a set without dates.
#include <gtest/gtest.h>

#include <QLabel>
#include <optional>

#include "app/date_box.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "support/timetable_world.h"
#include "timetable/calendar_date.h"

namespace velomar {
namespace {

using testing_support::TimetableWorld;

int Day(const char* text) {
    return *GtfsDayNumber(text);
}

struct DatedHandheld {
    TimetableWorld world;
    FixedClock clock{{7, 0}, Day("20251224")};
    std::optional<MainWindow> window;
    bool squareDateShown = false;
    bool squareAddressShown = false;

    DatedHandheld(ScreenSize screen, bool dated) {
        world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
        if (dated) {
            world.reader.add("/fixture/TimeData/Dates.txt",
                             "velomar-dates 1\nperiod 20251201 20251231\n");
        }
        window.emplace(MainScreenServices{world.settings, world.directory, world.grid,
                                          world.messages, clock, screen, world.squareDialogShown});
        window->exitProcess = [](int) {};
        window->runSquareDialog = [this](SquareDialog& dialog) {
            ScreenForm& form = dialog.form();
            squareDateShown = form.dateBox()->isVisibleTo(&form);
            for (QLabel* label : form.findChildren<QLabel*>()) {
                if (label->text() == ToQString(kWebAddressLine)) {
                    squareAddressShown = label->isVisibleTo(&form);
                }
            }
            return int{QDialog::Rejected};
        };
        window->start();
    }
    DateBox& box() { return *window->form().dateBox(); }
    MainScreen& screen() { return window->form().screen(); }
};

TEST(DateBox, ADatedSetShowsTheDateAndAChoiceIsTheNextSearchsDay) {
    DatedHandheld h({240, 320}, true);
    ASSERT_TRUE(h.box().isVisibleTo(h.window.operator->()));
    ASSERT_EQ(h.box().count(), 3);
    EXPECT_EQ(h.box().currentText(), ToQString(u"오늘 12/24(수)"));

    h.box().pickEntry(1);                                              // 내일
    EXPECT_EQ(h.window->form().resultList()->topLevelItemCount(), 0);  // nothing searched
    h.window->form().searchAction();
    EXPECT_EQ(h.screen().query().serviceDay, Day("20251225"));

    // 날짜 선택: the picker lists the period and opens on the day answered for.
    int listed = 0;
    h.box().runPicker = [&listed](DatePickerDialog& picker) {
        listed = picker.dayList()->count();
        EXPECT_EQ(picker.chosenRow(), 24);
        picker.dayList()->setCurrentRow(5);
        return int{QDialog::Accepted};
    };
    h.box().pickEntry(2);
    EXPECT_EQ(listed, 31);
    EXPECT_EQ(h.box().currentText(), ToQString(u"12/6(토)"));
    h.window->form().searchAction();
    EXPECT_EQ(h.screen().query().serviceDay, Day("20251206"));

    // A cancelled picker keeps the day.
    h.box().runPicker = [](DatePickerDialog&) { return int{QDialog::Rejected}; };
    h.box().pickEntry(3);
    EXPECT_EQ(h.box().currentText(), ToQString(u"12/6(토)"));
}

TEST(DateBox, TheSquareFormShowsItInPlaceOfTheWebAddress) {
    DatedHandheld h({320, 320}, true);
    EXPECT_TRUE(h.squareDateShown);
    EXPECT_FALSE(h.squareAddressShown);
}

TEST(DateBox, ASetWithoutDatesShowsNone) {
    for (const ScreenSize screen : {ScreenSize{240, 320}, ScreenSize{320, 320}}) {
        DatedHandheld h(screen, false);
        EXPECT_FALSE(h.box().isVisibleTo(h.window.operator->())) << screen.width;
        if (screen.width == 320) {
            EXPECT_FALSE(h.squareDateShown);
            EXPECT_TRUE(h.squareAddressShown);
        }
    }
}

}  // namespace
}  // namespace velomar
