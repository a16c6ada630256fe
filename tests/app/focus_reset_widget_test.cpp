// The form's focus reset runs when the form gets the focus back (a modal window over it
// closed, the program came back to the front) and never after the user's own pick.
#include <QAbstractItemView>
#include <QLineEdit>
#include <QTreeWidget>

#include "app/about_dialog.h"
#include "app/detail_dialog.h"
#include "app/emulated_dialog.h"
#include "app/favorites_dialog.h"
#include "app/focus_watch.h"
#include "app/message_box.h"
#include "app/options_dialog.h"
#include "app/qt_message_sink.h"
#include "app/station_picker_dialog.h"
#include "app/tile_button.h"
#include "connected_handheld.h"

namespace velomar {
namespace {

using namespace app_test;

// A pick as the user makes it: the list opens, a click on the row closes it.
void PickWithTheMouse(QComboBox* list, int row) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QApplication::processEvents();
}

// The user's choices, then the clock moves on: a reset shows hour 9 and the first type.
void ChooseKtxAtThree(Handheld& device) {
    Pick(device.form().typeList(), 1);
    Pick(device.form().hourList(), 15);
    device.clock.set({9, 5});
}

void ExpectReset(Handheld& device) {
    EXPECT_EQ(device.form().typeList()->currentIndex(), 0);
    EXPECT_EQ(device.form().hourList()->currentIndex(), 9);
}

// After the reset the user's next picks stay, whatever the window system reports then.
void ExpectPicksStay(Handheld& device) {
    PickWithTheMouse(device.form().hourList(), 13);
    PickWithTheMouse(device.form().typeList(), 2);
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&*device.window, &activation);
    QApplication::processEvents();
    EXPECT_EQ(device.form().hourList()->currentIndex(), 13);
    EXPECT_EQ(device.form().typeList()->currentIndex(), 2);
    EXPECT_EQ(device.form().screen().form().hourSelection, 13);
}

void CloseBox(EmulatedDialog& dialog) {
    Click(dialog.caption()->closeBox());
}

struct ResetCase {
    const char* name;
    std::function<void(Handheld&)> open;  // runs the dialog; it is closed while it runs
};

class ResetAfterDialogTest : public testing::TestWithParam<ResetCase> {};

TEST_P(ResetAfterDialogTest, ClosingResetsOnceAndTheNextPickStays) {
    Handheld device({240, 320});
    ChooseKtxAtThree(device);
    GetParam().open(device);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ExpectReset(device);
    ExpectPicksStay(device);
}

void OpenAbout(Handheld& device, std::function<void(AboutDialog&)> close) {
    WhenShown<AboutDialog>(std::move(close));
    device.window->runCommand(command::kAbout);
}

void OpenPicker(Handheld& device, std::function<void(StationPickerDialog&)> close) {
    WhenShown<StationPickerDialog>([close](StationPickerDialog& picker) {
        Pick(picker.groupList(0), 2);
        close(picker);
    });
    Click(device.form().button(portrait_id::kDepartureButton));
}

void OpenAndCloseDetail(Handheld& device) {
    Click(device.form().button(portrait_id::kSearch));
    QTreeWidget* list = device.form().resultList();
    ASSERT_GT(list->topLevelItemCount(), 0);
    WhenShown<DetailDialog>([](DetailDialog& dialog) { CloseBox(dialog); });
    const QRect row = list->visualItemRect(list->topLevelItem(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ResetAfterDialogTest,
    testing::Values(
        ResetCase{"about ok",
                  [](Handheld& d) { OpenAbout(d, [](AboutDialog& a) { a.accept(); }); }},
        ResetCase{"about close box",
                  [](Handheld& d) { OpenAbout(d, [](AboutDialog& a) { CloseBox(a); }); }},
        ResetCase{"options cancel",
                  [](Handheld& d) {
                      WhenShown<OptionsDialog>(
                          [](OptionsDialog& o) { Click(o.control(kOptionsCancelId)); });
                      d.window->runCommand(command::kOptions);
                  }},
        ResetCase{"favourites cancel",
                  [](Handheld& d) {
                      WhenShown<FavoritesDialog>(
                          [](FavoritesDialog& f) { Click(f.control(favorites_id::kCancel)); });
                      d.window->runCommand(command::kFavorites);
                  }},
        // 선택 and 취 소 close the picker the same way, so both reset alike.
        ResetCase{"picker select",
                  [](Handheld& d) {
                      OpenPicker(d, [](StationPickerDialog& p) { Click(p.okButton()); });
                  }},
        ResetCase{"picker cancel",
                  [](Handheld& d) {
                      OpenPicker(d, [](StationPickerDialog& p) { Click(p.cancelButton()); });
                  }},
        ResetCase{"detail close box", [](Handheld& d) { OpenAndCloseDetail(d); }},
        ResetCase{"message box",
                  [](Handheld& d) {
                      QtMessageSink boxes([&d]() -> QWidget* { return &*d.window; });
                      WhenShown<MessageBoxDialog>([](MessageBoxDialog& m) { Click(m.okButton()); });
                      boxes.showMessage(u"열차가 없습니다.", u"Velomar");
                  }}),
    [](const testing::TestParamInfo<ResetCase>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = c == ' ' ? '_' : c;
        }
        return name;
    });

// The picker's own lists are not the form's: nothing resets while the favourites' picker
// closes over the still open favourites dialog, once the favourites close it does.
TEST(ResetAfterDialogTest, NestedDialogsResetWhenTheLastCloses) {
    Handheld device({240, 320});
    ChooseKtxAtThree(device);
    int typeWhileOpen = -1;
    WhenShown<FavoritesDialog>([&](FavoritesDialog& favorites) {
        WhenShown<StationPickerDialog>(
            [](StationPickerDialog& picker) { Click(picker.okButton()); });
        Click(favorites.control(favorites_id::kArrivalFind));
        typeWhileOpen = device.form().typeList()->currentIndex();
        Click(favorites.control(favorites_id::kCancel));
    });
    device.window->runCommand(command::kFavorites);
    EXPECT_EQ(typeWhileOpen, 1);
    ExpectReset(device);
}

TEST(FreshStartTest, TheFirstPickStays) {
    Handheld device({240, 320});
    // Without a window manager the program becomes active with the first click.
    device.window->focusWatch().applicationStateChanged(Qt::ApplicationActive);
    ExpectPicksStay(device);
    EXPECT_EQ(device.world.messages.messages.size(), 0u);
}

TEST(FreshStartTest, ComingBackToTheProgramResets) {
    Handheld device({240, 320});
    FocusWatch& watch = device.window->focusWatch();
    watch.applicationStateChanged(Qt::ApplicationActive);
    ChooseKtxAtThree(device);
    // Still active (a popup closed, another window of ours): no reset.
    watch.applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(device.form().typeList()->currentIndex(), 1);
    watch.applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_EQ(device.form().typeList()->currentIndex(), 1);
    watch.applicationStateChanged(Qt::ApplicationActive);
    ExpectReset(device);
    // The minute and the stations stay as they are.
    EXPECT_EQ(device.form().minuteList()->currentIndex(), 0);
    EXPECT_EQ(device.form().departureField()->text(), q(u"문산"));
}

}  // namespace
}  // namespace velomar
