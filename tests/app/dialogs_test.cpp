// The dialogs driven from the real main window, drawn off screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>
#include <optional>

#include "app/detail_dialog.h"
#include "app/favorites_dialog.h"
#include "app/options_dialog.h"
#include "app/station_picker_dialog.h"
#include "app/tile_button.h"
#include "connected_handheld.h"

namespace velomar {
namespace {

using namespace app_test;

std::vector<QString> LabelTexts(QWidget& dialog) {
    std::vector<QString> texts;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        texts.push_back(label->text());
    }
    return texts;
}

bool HasLabel(QWidget& dialog, const QString& text) {
    const auto texts = LabelTexts(dialog);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// ---- Options -------------------------------------------------------------------------------

struct OptionsCase {
    ScreenSize screen;
    int entryCount;
    QString lastEntry;
    int storedPageSize;  // what start-up wrote for this screen
};

class OptionsDialogTest : public testing::TestWithParam<OptionsCase> {};

TEST_P(OptionsDialogTest, OfferedSizesAndOkStoresTheChoice) {
    const OptionsCase& c = GetParam();
    Handheld device(c.screen);
    ASSERT_EQ(device.world.number(kResultCountName), static_cast<std::uint32_t>(c.storedPageSize));
    bool came = false;
    WhenShown<OptionsDialog>(
        [&](OptionsDialog& dialog) {
            EXPECT_TRUE(HasLabel(dialog, QStringLiteral("검색 결과 수 :  ")));
            QComboBox* list = dialog.entryList();
            ASSERT_EQ(list->count(), c.entryCount);
            EXPECT_EQ(list->itemText(0), QStringLiteral("5"));
            EXPECT_EQ(list->itemText(c.entryCount - 1), c.lastEntry);
            EXPECT_EQ(list->currentText(), QString::number(c.storedPageSize));
            EXPECT_EQ(static_cast<TileButton*>(dialog.control(1))->text(), QStringLiteral("확인"));
            EXPECT_EQ(static_cast<TileButton*>(dialog.control(2))->text(), QStringLiteral("취소"));
            Pick(list, 1);
            Click(dialog.control(1));
        },
        &came);
    EXPECT_TRUE(device.window->runCommand(command::kOptions));
    EXPECT_TRUE(came);
    EXPECT_EQ(device.world.number(kResultCountName), 6u);
}

INSTANTIATE_TEST_SUITE_P(Screens, OptionsDialogTest,
                         testing::Values(OptionsCase{{240, 320}, 5, QStringLiteral("9"), 9},
                                         OptionsCase{{480, 800}, 10, QStringLiteral("14"), 14}));

TEST(OptionsDialogCancelTest, CancelKeepsTheStoredSize) {
    Handheld device({240, 320});
    WhenShown<OptionsDialog>([](OptionsDialog& dialog) {
        Pick(dialog.entryList(), 0);
        Click(dialog.control(2));
    });
    device.window->runCommand(command::kOptions);
    EXPECT_EQ(device.world.number(kResultCountName), 9u);
}

// ---- Train detail --------------------------------------------------------------------------

TEST(DetailDialogTest, TapOnARowListsTheStopsInBlue) {
    Handheld device({480, 800});
    // The place is on the handheld's screen, wherever its window sits on the desktop.
    device.window->move(37, 21);
    const QPoint screenOrigin = device.window->mapToGlobal(QPoint(0, 0));
    Click(device.form().button(portrait_id::kSearch));
    QTreeWidget* results = device.form().resultList();
    ASSERT_GE(results->topLevelItemCount(), 2);
    bool came = false;
    WhenShown<DetailDialog>(
        [&](DetailDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("상세정보"));
            EXPECT_EQ(dialog.pos() - screenOrigin, QPoint(70, 100));
            QTreeWidget* list = dialog.stopList();
            EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("역이름"));
            EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("시간"));
            EXPECT_EQ(list->columnWidth(0), 150);
            EXPECT_EQ(list->columnWidth(1), 135);
            ASSERT_EQ(list->topLevelItemCount(), 2);
            EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("문산"));
            EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("08:10"));
            EXPECT_EQ(list->topLevelItem(1)->text(0), QStringLiteral("도라산"));
            EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("08:40"));
            EXPECT_EQ(list->topLevelItem(1)->foreground(1).color(), QColor(0, 0, 255));
            dialog.reject();
        },
        &came);
    const QRect second = results->visualItemRect(results->topLevelItem(1));
    QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_TRUE(came);
}

struct StopsCase {
    ScreenSize screen;
    int stops;
    bool allShown;  // without scrolling
};

class DetailStopsTest : public testing::TestWithParam<StopsCase> {};

// Every stop shows where the screen has room for it; a longer train scrolls in a dialog that
// still fits the screen.
TEST_P(DetailStopsTest, EveryStopShowsWhereTheScreenHasRoom) {
    const StopsCase& c = GetParam();
    Handheld device(c.screen);
    StopList stops;
    for (int i = 0; i < c.stops; ++i) {
        stops.AddStop(i + 1 == c.stops ? u"부산" : u"대전", u"1729");
    }
    DetailDialog dialog(Layout::Portrait, c.screen, stops, &device.form());
    dialog.show();
    QApplication::processEvents();
    QTreeWidget* list = dialog.stopList();
    const QRect last = list->visualItemRect(list->topLevelItem(c.stops - 1));
    EXPECT_EQ(last.bottom() <= list->viewport()->height() - 1, c.allShown);
    EXPECT_EQ(list->verticalScrollBar()->isVisible(), !c.allShown);
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(device.screenRect().contains(dialog.frameGeometry()));
}

INSTANTIATE_TEST_SUITE_P(Screens, DetailStopsTest,
                         testing::Values(StopsCase{{480, 800}, 10, true},
                                         StopsCase{{480, 800}, 20, true},
                                         StopsCase{{240, 320}, 12, true},
                                         StopsCase{{240, 320}, 40, false},
                                         StopsCase{{480, 800}, 2, true}));

TEST(DetailDialogTest, TimesAreShownAsHoursAndMinutes) {
    EXPECT_EQ(DetailTimeText(u"0015"), QStringLiteral("00:15"));
    EXPECT_EQ(DetailTimeText(u"2359"), QStringLiteral("23:59"));
    EXPECT_EQ(DetailTimeText(u""), QString());  // never a cut-up text
    EXPECT_EQ(DetailTimeText(u"123"), QStringLiteral("123"));
}

// ---- Station picker ------------------------------------------------------------------------

TEST(StationPickerDialogTest, ListsLabelsAndDisabledFillers) {
    StationPickerDialog dialog(Layout::Portrait, {240, 320}, false);
    EXPECT_EQ(dialog.endLabel()->text(), QStringLiteral("도착역"));
    EXPECT_EQ(dialog.endLabel()->normalTile(), 158);
    EXPECT_EQ(dialog.endLabel()->geometry(), QRect(10, 10, 50, 20));
    const std::u16string_view labels[] = {u"가:", u"나:", u"다:", u"라:", u"마:", u"바:", u"사:",
                                          u"아:", u"자:", u"차:", u"카:", u"타:", u"파:", u"하:"};
    for (int group = 0; group < kGroupCount; ++group) {
        SCOPED_TRACE(group);
        EXPECT_EQ(dialog.groupLabel(group)->text(), q(labels[group]));
        QComboBox* list = dialog.groupList(group);
        ASSERT_EQ(list->count(), GroupSize(group));
        EXPECT_EQ(list->currentIndex(), 0);
        EXPECT_EQ(list->isEnabled(), group != 3 && group != 10);
    }
    EXPECT_EQ(dialog.groupList(3)->currentText(), QStringLiteral("없음"));
    EXPECT_EQ(dialog.groupList(10)->currentText(), QStringLiteral("없음"));
    EXPECT_EQ(static_cast<TileButton*>(dialog.okButton())->text(), QStringLiteral("선택"));
    EXPECT_EQ(static_cast<TileButton*>(dialog.cancelButton())->text(), QStringLiteral("취 소"));
}

// A long group list drops below its box, cut to the drop height of its group; a short one
// keeps its own height.
TEST(StationPickerDialogTest, OpenListsDropBelowAsHighAsTheirGroupSays) {
    const ScreenSize screen{480, 800};
    StationPickerDialog dialog(Layout::Portrait, screen, true);
    dialog.show();
    for (const int group : {0, 7, 12}) {
        SCOPED_TRACE(group);
        QComboBox* list = dialog.groupList(group);
        list->showPopup();
        const QWidget* popup = list->view()->window();
        EXPECT_EQ(popup->height(),
                  PickerDroppedListHeight(Layout::Portrait, group, DialogUnitsFor(screen)));
        EXPECT_EQ(popup->geometry().top(), list->mapToGlobal(QPoint(0, list->height())).y());
        list->hidePopup();
    }
}

struct PickerCase {
    int button;
    bool accept;
    std::u16string_view departure;  // field texts afterwards
    std::u16string_view arrival;
};

class StationButtonTest : public testing::TestWithParam<PickerCase> {};

TEST_P(StationButtonTest, PickReplacesOnlyTheServedFieldOnSelect) {
    const PickerCase& c = GetParam();
    Handheld device({240, 320});
    const QString picked = q(GroupEntry(0, 1).name);
    WhenShown<StationPickerDialog>([&](StationPickerDialog& dialog) {
        EXPECT_EQ(dialog.endLabel()->text(), c.button == portrait_id::kDepartureButton
                                                 ? QStringLiteral("출발역")
                                                 : QStringLiteral("도착역"));
        Pick(dialog.groupList(0), 1);
        Click(c.accept ? dialog.okButton() : dialog.cancelButton());
    });
    Click(device.form().button(c.button));
    EXPECT_EQ(device.form().departureField()->text(),
              c.departure == u"*" ? picked : q(c.departure));
    EXPECT_EQ(device.form().arrivalField()->text(), c.arrival == u"*" ? picked : q(c.arrival));
}

// "*" stands for the picked name.
INSTANTIATE_TEST_SUITE_P(
    Ends, StationButtonTest,
    testing::Values(PickerCase{portrait_id::kDepartureButton, true, u"*", u"도라산"},
                    PickerCase{portrait_id::kArrivalButton, true, u"문산", u"*"},
                    PickerCase{portrait_id::kArrivalButton, false, u"문산", u"도라산"}));

TEST(StationButtonTest, PickingNothingKeepsTheField) {
    Handheld device({240, 320});
    WhenShown<StationPickerDialog>([](StationPickerDialog& dialog) { Click(dialog.okButton()); });
    Click(device.form().button(portrait_id::kDepartureButton));
    EXPECT_EQ(device.form().departureField()->text(), QStringLiteral("문산"));
}

TEST(StationButtonTest, SquareFormOpensTheSquarePickerAndDetail) {
    QString endLabel;
    int detailRows = -1;
    QString departure;
    Handheld device({320, 320}, [&](SquareDialog& square) {
        ScreenForm& form = square.form();
        WhenShown<StationPickerDialog>([&](StationPickerDialog& dialog) {
            endLabel = dialog.endLabel()->text();
            EXPECT_EQ(dialog.groupList(0)->count(), GroupSize(0));
            Pick(dialog.groupList(0), 1);
            Click(dialog.okButton());
        });
        Click(form.button(square_id::kDepartureButton));
        departure = form.departureField()->text();

        form.departureField()->setText(QStringLiteral("문산"));
        Click(form.button(square_id::kSearch));
        WhenShown<DetailDialog>([&](DetailDialog& dialog) {
            EXPECT_EQ(dialog.pos() - square.mapToGlobal(QPoint(0, 0)), QPoint(50, 50));
            detailRows = dialog.stopList()->topLevelItemCount();
            dialog.reject();
        });
        QTreeWidget* results = form.resultList();
        ASSERT_GE(results->topLevelItemCount(), 1);
        const QRect first = results->visualItemRect(results->topLevelItem(0));
        QTest::mouseClick(results->viewport(), Qt::LeftButton, {}, first.center());
    });
    EXPECT_EQ(endLabel, QStringLiteral("출발역"));
    EXPECT_EQ(departure, q(GroupEntry(0, 1).name));
    EXPECT_EQ(detailRows, 2);
}

// ---- Favourites ----------------------------------------------------------------------------

TEST(FavoritesDialogTest, AddChooseAndSelectLoadsThePair) {
    Handheld device({240, 320});
    bool came = false;
    WhenShown<FavoritesDialog>(
        [](FavoritesDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("즐겨찾기"));
            QTreeWidget* list = dialog.pairList();
            EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("출발역"));
            EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("도착역"));
            EXPECT_EQ(list->columnWidth(0), 100);
            EXPECT_EQ(list->topLevelItemCount(), 0);
            dialog.departureField()->setText(QStringLiteral("서울"));
            dialog.arrivalField()->setText(QStringLiteral("부산"));
            Click(dialog.control(favorites_id::kAdd));
            ASSERT_EQ(list->topLevelItemCount(), 1);
            EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("서울"));
            EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("부산"));
            EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Unchecked);
            const QRect row = list->visualItemRect(list->topLevelItem(0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
            EXPECT_EQ(dialog.rules().GetSelection(), 0);
            Click(dialog.control(favorites_id::kOk));
        },
        &came);
    device.window->runCommand(command::kFavorites);
    EXPECT_TRUE(came);
    EXPECT_EQ(device.form().departureField()->text(), QStringLiteral("서울"));
    EXPECT_EQ(device.form().arrivalField()->text(), QStringLiteral("부산"));
}

TEST(FavoritesDialogTest, CancelKeepsTheFieldsAndDeleteEmptiesTheList) {
    Handheld device({480, 800});
    WhenShown<FavoritesDialog>([](FavoritesDialog& dialog) {
        EXPECT_EQ(dialog.pairList()->columnWidth(0), 200);
        dialog.departureField()->setText(QStringLiteral("서울"));
        dialog.arrivalField()->setText(QStringLiteral("부산"));
        Click(dialog.control(favorites_id::kAdd));
        QTreeWidget* list = dialog.pairList();
        const QRect row = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
        Click(dialog.control(favorites_id::kDelete));
        EXPECT_EQ(list->topLevelItemCount(), 0);
        Click(dialog.control(favorites_id::kCancel));
    });
    device.window->runCommand(command::kFavorites);
    EXPECT_EQ(device.form().departureField()->text(), QStringLiteral("문산"));
    EXPECT_EQ(device.form().arrivalField()->text(), QStringLiteral("도라산"));
}

TEST(FavoritesDialogTest, FindOpensThePortraitPickerForItsField) {
    Handheld device({480, 800});
    const QString picked = q(GroupEntry(0, 2).name);
    std::optional<QString> arrivalAfter;
    WhenShown<FavoritesDialog>([&](FavoritesDialog& dialog) {
        WhenShown<StationPickerDialog>([](StationPickerDialog& picker) {
            EXPECT_EQ(picker.endLabel()->text(), QStringLiteral("도착역"));
            Pick(picker.groupList(0), 2);
            Click(picker.okButton());
        });
        Click(dialog.control(favorites_id::kArrivalFind));
        arrivalAfter = dialog.arrivalField()->text();
        dialog.reject();
    });
    device.window->runCommand(command::kFavorites);
    EXPECT_EQ(arrivalAfter, picked);
}

}  // namespace
}  // namespace velomar
