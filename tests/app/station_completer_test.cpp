// The list under a station field: typing opens it, a pick puts the name into the field and
// nothing else changes (layout, selections, focus, what Search takes); it stays on the
// emulated screen and never counts as a window that gives the form its focus back.
#include <QAbstractItemView>
#include <QGraphicsProxyWidget>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QWindow>

#include "app/favorites_dialog.h"
#include "app/focus_watch.h"
#include "app/station_completer.h"
#include "app/tile_button.h"
#include "app/zoomed_screen.h"
#include "connected_handheld.h"
#include "screens/station_completion.h"

namespace velomar {
namespace {

using namespace app_test;

QAbstractItemView* ListOf(QLineEdit* field) {
    StationCompleter* completer = StationCompleterOf(*field);
    return completer != nullptr ? completer->popup() : nullptr;
}

// Keys go where the window system sends them: to the open list, which hands typing on to
// the field.
void SendKey(QLineEdit* field, int key, const QString& text = {}) {
    QWidget* to =
        QApplication::activePopupWidget() != nullptr ? QApplication::activePopupWidget() : field;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(to, &release);
    QApplication::processEvents();
}

// Replaces the field's text by typing, one character at a time, into the window the user
// works in (on a desktop the keyboard goes only to the active one).
void Type(QLineEdit* field, const QString& text) {
    if (!field->window()->isActiveWindow()) {
        ActivateScreenWindow(*field->window());
        static_cast<void>(
            QTest::qWaitFor([field] { return field->window()->isActiveWindow(); }, 500));
    }
    field->setFocus();
    field->selectAll();
    SendKey(field, Qt::Key_Delete);
    for (const QChar c : text) {
        SendKey(field, Qt::Key_unknown, QString(c));
    }
}

// The user moves to `row` with the arrow keys and presses Enter.
void PickWithKeys(QLineEdit* field, int row) {
    for (int i = 0; i <= row; ++i) {
        SendKey(field, Qt::Key_Down);
    }
    SendKey(field, Qt::Key_Return);
}

void PickWithTheMouse(QLineEdit* field, int row) {
    QAbstractItemView* list = ListOf(field);
    const QModelIndex index = list->model()->index(row, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    QApplication::processEvents();
}

QString Offered(QLineEdit* field, int row) {
    return StationCompleterOf(*field)->offered().value(row);
}

// Choices that a focus reset would undo: type KTX, 15 h, while the clock says 9 h.
void ChooseKtxAtThree(Handheld& device, ScreenForm& form) {
    Pick(form.typeList(), 1);
    Pick(form.hourList(), 15);
    device.clock.set({9, 5});
}

// Types ㄷㄷㄱ into the departure field and picks the first row; checks on the way that the
// list only suggests.
void TypeAndPickDongdaegu(ScreenForm& form, bool withKeys) {
    QLineEdit* field = form.departureField();
    const QRect place = field->geometry();
    Type(field, q(u"ㄷㄷㄱ"));
    ASSERT_TRUE(ListOf(field)->isVisible());
    EXPECT_EQ(Offered(field, 0), q(u"동대구"));
    EXPECT_EQ(field->text(), q(u"ㄷㄷㄱ"));
    EXPECT_EQ(QApplication::focusWidget(), field);
    withKeys ? PickWithKeys(field, 0) : PickWithTheMouse(field, 0);
    EXPECT_FALSE(ListOf(field)->isVisible());
    EXPECT_EQ(field->text(), q(u"동대구"));
    EXPECT_EQ(field->geometry(), place);
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_EQ(form.resultList()->topLevelItemCount(), 0);  // a pick runs no search
}

TEST(StationCompleterTest, PortraitPickKeepsTheSelectionsAndSearchTakesIt) {
    Handheld device({480, 800});
    ScreenForm& form = device.form();
    device.window->focusWatch().applicationStateChanged(Qt::ApplicationActive);
    ChooseKtxAtThree(device, form);
    TypeAndPickDongdaegu(form, true);
    EXPECT_EQ(form.typeList()->currentIndex(), 1);
    EXPECT_EQ(form.hourList()->currentIndex(), 15);
    EXPECT_EQ(device.window->focusWatch().gate().openModals(), 0);

    Type(form.arrivalField(), q(u"ㄷㄹㅅ"));
    ASSERT_EQ(Offered(form.arrivalField(), 0), q(u"도라산"));
    PickWithTheMouse(form.arrivalField(), 0);
    form.departureField()->setText(q(u"문산"));
    Pick(form.typeList(), 0);
    Click(form.button(portrait_id::kSearch));
    EXPECT_GT(form.resultList()->topLevelItemCount(), 0);
    EXPECT_EQ(device.world.text(kEndStationName), u"도라산");
}

TEST(StationCompleterTest, SquarePickStaysInTheDialogAndSearchTakesIt) {
    bool stillOpen = false;
    int rows = 0;
    std::u16string searched;
    Handheld device({320, 320}, [&](SquareDialog& square) {
        ScreenForm& form = square.form();
        TypeAndPickDongdaegu(form, false);
        form.departureField()->setText(q(u"문산"));
        Type(form.arrivalField(), q(u"ㄷㄹㅅ"));
        PickWithKeys(form.arrivalField(), 0);
        Click(form.button(square_id::kSearch));
        rows = form.resultList()->topLevelItemCount();
        searched = form.screen().form().arrivalField;
        stillOpen = square.isVisible() && square.result() == 0;
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_GT(rows, 0);
    EXPECT_EQ(searched, u"도라산");
}

TEST(StationCompleterTest, FavouritesFieldsOfferStationsToo) {
    Handheld device({240, 320});
    QString departure;
    QString arrival;
    WhenShown<FavoritesDialog>([&](FavoritesDialog& favorites) {
        Type(favorites.departureField(), q(u"ㄷㄷㄱ"));
        PickWithKeys(favorites.departureField(), 0);
        Type(favorites.arrivalField(), q(u"ㅅㅇ"));
        ExpectInside(ListOf(favorites.arrivalField())->geometry(), device.screenRect());
        PickWithTheMouse(favorites.arrivalField(), 1);
        departure = favorites.departureField()->text();
        arrival = favorites.arrivalField()->text();
        Click(favorites.control(favorites_id::kCancel));
    });
    device.window->runCommand(command::kFavorites);
    EXPECT_EQ(departure, q(u"동대구"));
    EXPECT_EQ(arrival, q(device.form().suggestions()->completions(u"ㅅㅇ").at(1)));
}

// Escape and an Enter without a chosen row leave the field as typed; the Enter then does
// what Enter in the field does: search, with the typed name.
TEST(StationCompleterTest, EscapeClosesOnlyTheListAndEnterWithoutARowSearches) {
    Handheld device({240, 320});
    ScreenForm& form = device.form();
    QLineEdit* field = form.arrivalField();
    Type(field, q(u"도라"));
    ASSERT_TRUE(ListOf(field)->isVisible());
    SendKey(field, Qt::Key_Escape);
    EXPECT_FALSE(ListOf(field)->isVisible());
    EXPECT_EQ(field->text(), q(u"도라"));
    EXPECT_EQ(QApplication::focusWidget(), field);
    // The whole name leaves nothing to pick: the list closes by itself.
    SendKey(field, Qt::Key_unknown, q(u"산"));
    EXPECT_FALSE(ListOf(field)->isVisible());

    // 문산 looks like 군산 and 논산, so the list stays open under the whole name.
    QLineEdit* departure = form.departureField();
    Type(departure, q(u"문산"));
    ASSERT_TRUE(ListOf(departure)->isVisible());
    EXPECT_EQ(form.resultList()->topLevelItemCount(), 0);
    SendKey(departure, Qt::Key_Return);
    EXPECT_FALSE(ListOf(departure)->isVisible());
    EXPECT_EQ(departure->text(), q(u"문산"));
    EXPECT_GT(form.resultList()->topLevelItemCount(), 0);
}

TEST(StationCompleterTest, OnlyTypingOpensTheList) {
    Handheld device({240, 320});
    QLineEdit* field = device.form().departureField();
    field->setText(q(u"ㄷㄷㄱ"));
    device.form().pushForm();
    EXPECT_FALSE(ListOf(field)->isVisible());
    // Emptied by typing, or typed into nothing alike: no list.
    Type(field, q(u"ㄷㄷㄱ"));
    SendKey(field, Qt::Key_Backspace);
    SendKey(field, Qt::Key_Backspace);
    SendKey(field, Qt::Key_Backspace);
    EXPECT_FALSE(ListOf(field)->isVisible());
    Type(field, QStringLiteral("xyz"));
    EXPECT_FALSE(ListOf(field)->isVisible());
}

// A syllable still being composed by the input method counts as typed.
TEST(StationCompleterTest, FollowsTheSyllableBeingComposed) {
    Handheld device({240, 320});
    QLineEdit* field = device.form().departureField();
    Type(field, q(u"대"));
    QInputMethodEvent composing(q(u"구"), {});
    QApplication::sendEvent(QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                              : static_cast<QWidget*>(field),
                            &composing);
    QStringList wanted;
    for (const std::u16string& name : device.form().suggestions()->completions(u"대구")) {
        wanted.append(q(name));
    }
    EXPECT_EQ(StationCompleterOf(*field)->offered(), wanted);
    EXPECT_EQ(field->text(), q(u"대"));
}

class CompleterOnScreenTest : public testing::TestWithParam<ScreenSize> {};

TEST_P(CompleterOnScreenTest, OpensInsideTheScreenWithoutAResetAfterIt) {
    Handheld device(GetParam());
    ScreenForm& form = device.form();
    device.window->focusWatch().applicationStateChanged(Qt::ApplicationActive);
    ChooseKtxAtThree(device, form);
    for (QLineEdit* field : {form.departureField(), form.arrivalField()}) {
        Type(field, q(u"ㅅ"));
        QAbstractItemView* list = ListOf(field);
        ASSERT_TRUE(list->isVisible());
        ExpectInside(list->geometry(), device.screenRect());
        EXPECT_GE(list->width(), field->width());
        // All rows show on screens that have room for them.
        EXPECT_EQ(list->model()->rowCount(), static_cast<int>(kCompletionRows));
        PickWithTheMouse(field, 2);
        EXPECT_EQ(field->text(), Offered(field, 2));
    }
    EXPECT_EQ(form.typeList()->currentIndex(), 1);
    EXPECT_EQ(form.hourList()->currentIndex(), 15);
}

INSTANTIATE_TEST_SUITE_P(Screens, CompleterOnScreenTest,
                         testing::Values(ScreenSize{240, 320}, ScreenSize{240, 400},
                                         ScreenSize{480, 640}, ScreenSize{480, 800}),
                         [](const testing::TestParamInfo<ScreenSize>& info) {
                             return std::to_string(info.param.width) + "x" +
                                    std::to_string(info.param.height);
                         });

// Drawn at half size, the list joins the screen's scene like the drop-down lists.
TEST(StationCompleterTest, JoinsTheScaledScreen) {
    Handheld device({240, 320});
    ZoomedScreen view(*device.window, 0.5);
    view.show();
    QLineEdit* field = device.form().arrivalField();
    Type(field, q(u"ㄷㄷㄱ"));
    QAbstractItemView* list = ListOf(field);
    ASSERT_TRUE(list->isVisible());
    const QGraphicsProxyWidget* proxy = list->graphicsProxyWidget();
    ASSERT_NE(proxy, nullptr);
    const QRectF place = proxy->sceneBoundingRect();
    EXPECT_TRUE(QRectF(0, 0, 240, 320).contains(place))
        << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
    PickWithTheMouse(field, 0);
    EXPECT_EQ(field->text(), q(u"동대구"));
}

// A click where the user sees `target`, as the window system delivers it: to the screen's
// window, or to the view that draws it smaller (so an open list sees it first).
void ClickOnScreen(Handheld& device, QWidget* target) {
    const QPoint inWindow = target->mapTo(&*device.window, target->rect().center());
    QWidget* window = device.view ? static_cast<QWidget*>(&*device.view) : &*device.window;
    const QPoint at = device.view ? device.view->mapFromScene(QPointF(inWindow)) : inWindow;
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, at);
    QApplication::processEvents();
}

class CompleterClickTest : public testing::TestWithParam<double> {};

// A click outside the open list closes it and does what it does without the list: Search
// searches, a click on the other field moves the focus there.
TEST_P(CompleterClickTest, AClickOutsideClosesTheListAndGoesThrough) {
    Handheld device({480, 800}, {}, GetParam());
    ScreenForm& form = device.form();
    Type(form.arrivalField(), q(u"부"));
    ASSERT_TRUE(ListOf(form.arrivalField())->isVisible());
    ClickOnScreen(device, form.departureField());
    EXPECT_FALSE(ListOf(form.arrivalField())->isVisible());
    EXPECT_TRUE(form.departureField()->hasFocus());

    form.arrivalField()->setText(q(u"도라산"));
    Type(form.departureField(), q(u"문산"));  // 군산 and 논산 keep the list open
    ASSERT_TRUE(ListOf(form.departureField())->isVisible());
    ClickOnScreen(device, form.button(portrait_id::kSearch));
    EXPECT_FALSE(ListOf(form.departureField())->isVisible());
    EXPECT_GT(form.resultList()->topLevelItemCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Zooms, CompleterClickTest, testing::Values(0.5, 0.91, 1.0));

// Letters typed on the desktop reach a scaled screen through its view.
void TypeOnScreen(Handheld& device, const QString& text) {
    QWindow* window = device.view->windowHandle();
    for (const QChar c : text) {
        QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QApplication::processEvents();
    }
}

// A list shown again (after Escape, after a click from the other field's list) leaves the
// typing in its field: the scene made it the active panel, and the next letters closed it and
// were lost.
TEST(StationCompleterTest, TypingGoesOnAfterEscapeOnTheScaledScreen) {
    Handheld device({480, 800}, {}, 0.91);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&*device.view));
    QLineEdit* field = device.form().departureField();
    ClickOnScreen(device, field);
    field->selectAll();
    TypeOnScreen(device, q(u"대전"));
    QTest::sendKeyEvent(QTest::Click, device.view->windowHandle(), Qt::Key_Escape, QString(),
                        Qt::NoModifier);
    field->selectAll();
    TypeOnScreen(device, q(u"동대"));
    EXPECT_TRUE(ListOf(field)->isVisible());
    EXPECT_TRUE(field->hasFocus());
    TypeOnScreen(device, q(u"구"));
    EXPECT_EQ(field->text(), q(u"동대구"));

    // And after a click from the other field's open list.
    QLineEdit* arrival = device.form().arrivalField();
    ClickOnScreen(device, arrival);
    TypeOnScreen(device, q(u"부"));
    ASSERT_TRUE(ListOf(arrival)->isVisible());
    ClickOnScreen(device, field);
    field->selectAll();
    TypeOnScreen(device, q(u"동대"));
    EXPECT_TRUE(ListOf(field)->isVisible());
    TypeOnScreen(device, q(u"구"));
    EXPECT_EQ(field->text(), q(u"동대구"));
}

}  // namespace
}  // namespace velomar
