// Everything stays on the emulated screen: drop-down lists, dialogs (with their caption
// strips), a full page of results; Enter works; the zoomed screen keeps its dialogs.
#include <QAbstractItemView>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>

#include "app/about_dialog.h"
#include "app/detail_dialog.h"
#include "app/favorites_dialog.h"
#include "app/message_box.h"
#include "app/options_dialog.h"
#include "app/qt_message_sink.h"
#include "app/station_picker_dialog.h"
#include "app/tile_button.h"
#include "app/zoomed_screen.h"
#include "connected_handheld.h"
#include "screens/screen_fit.h"

namespace velomar {
namespace {

using namespace app_test;

QRect OpenPopup(QComboBox* list) {
    list->showPopup();
    const QRect shown = list->view()->window()->geometry();
    list->hidePopup();
    return shown;
}

// ---- Drop-down lists -----------------------------------------------------------------------

class FormListsTest : public testing::TestWithParam<ScreenSize> {};

TEST_P(FormListsTest, OpenInsideTheScreenNoHigherThanTheirItem) {
    Handheld device(GetParam());
    for (QComboBox* list :
         {device.form().typeList(), device.form().hourList(), device.form().minuteList()}) {
        const QRect popup = OpenPopup(list);
        ExpectInside(popup, device.screenRect());
        EXPECT_LE(popup.height(), static_cast<DropDownList*>(list)->droppedHeight());
        // Below its box, never over it.
        EXPECT_GE(popup.top(), list->mapToGlobal(QPoint(0, list->height())).y());
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, FormListsTest,
                         testing::Values(ScreenSize{240, 320}, ScreenSize{240, 400},
                                         ScreenSize{320, 320}, ScreenSize{480, 800}));

struct PickerListsCase {
    ScreenSize screen;
    Layout layout;
};

class PickerListsTest : public testing::TestWithParam<PickerListsCase> {};

// Each group list drops as high as the picker's table says (less when its names take less),
// always inside the screen, scrolling inside.
TEST_P(PickerListsTest, DropHeightsOfTheTableInsideTheScreen) {
    const PickerListsCase& c = GetParam();
    Handheld device(c.screen);
    bool came = false;
    WhenShown<StationPickerDialog>(
        [&](StationPickerDialog& picker) {
            const DialogUnits units = FitDialogUnits(
                c.layout == Layout::Portrait ? DialogUnitsFor(c.screen)
                                             : SquareDialogUnits(c.screen),
                kPickerWidthDu, kPickerHeightDu, DialogCaptionHeight(c.screen), c.screen);
            for (int group = 0; group < kGroupCount; ++group) {
                if (!PickerGroupEnabled(group)) {
                    continue;
                }
                SCOPED_TRACE(group);
                QComboBox* list = picker.groupList(group);
                const QRect popup = OpenPopup(list);
                ExpectInside(popup, device.screenRect());
                const int table = PickerDroppedListHeight(c.layout, group, units);
                EXPECT_LE(popup.height(), table);
                if (GroupSize(group) > 20) {
                    EXPECT_EQ(popup.height(), table);  // long groups fill their drop height
                }
            }
            picker.reject();
        },
        &came);
    Click(device.form().button(portrait_id::kArrivalButton));
    EXPECT_TRUE(came);
}

INSTANTIATE_TEST_SUITE_P(Screens, PickerListsTest,
                         testing::Values(PickerListsCase{{240, 320}, Layout::Portrait},
                                         PickerListsCase{{480, 800}, Layout::Portrait}));

TEST(OptionsListTest, OpensInsideTheScreen) {
    Handheld device({240, 320});
    WhenShown<OptionsDialog>([&](OptionsDialog& options) {
        ExpectInside(OpenPopup(options.entryList()), device.screenRect());
        options.reject();
    });
    device.window->runCommand(command::kOptions);
}

// A window manager that has just framed a dialog may report it at 0,0 for a while; the list
// still opens under its box, where the dialog was put.
TEST(OptionsListTest, OpensUnderItsBoxWhereverTheDialogIsReported) {
    Handheld device({480, 800});
    device.window->move(300, 100);
    bool came = false;
    WhenShown<OptionsDialog>(
        [&](OptionsDialog& options) {
            QComboBox* list = options.entryList();
            const QPoint under = list->mapToGlobal(QPoint(0, list->height()));
            options.move(0, 0);
            EXPECT_EQ(OpenPopup(list).topLeft(), under);
            options.reject();
        },
        &came);
    device.window->runCommand(command::kOptions);
    EXPECT_TRUE(came);
}

// ---- Result list ---------------------------------------------------------------------------

struct PageCase {
    ScreenSize screen;
    int rows;  // of a full page on this screen
};

class FullPageTest : public testing::TestWithParam<PageCase> {};

TEST_P(FullPageTest, ShowsWithoutScrolling) {
    const PageCase& c = GetParam();
    Handheld device(c.screen);
    ResultListWidget* list = device.form().resultList();
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());  // empty: nothing to scroll
    for (int row = 0; row < c.rows; ++row) {
        list->insertRow({row, u"0101", u"07:10", u"07:40", u"(무)ABC"});
    }
    QApplication::processEvents();
    EXPECT_FALSE(list->verticalScrollBar()->isVisible());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    const QRect last = list->visualItemRect(list->topLevelItem(c.rows - 1));
    EXPECT_LE(last.bottom(), list->viewport()->height() - 1);
    // The last column ends inside the list.
    QHeaderView* header = list->header();
    EXPECT_LE(header->sectionPosition(3) + header->sectionSize(3), list->viewport()->width());
}

INSTANTIATE_TEST_SUITE_P(Screens, FullPageTest,
                         testing::Values(PageCase{{240, 320}, 9}, PageCase{{240, 400}, 14},
                                         PageCase{{480, 800}, 14}, PageCase{{320, 320}, 9},
                                         PageCase{{480, 640}, 14}));

TEST(FullPageTest, SquareListShowsNineRows) {
    int hidden = -1;
    Handheld device({320, 320}, [&](SquareDialog& square) {
        Click(square.form().button(square_id::kSearch));
        ResultListWidget* list = square.form().resultList();
        ASSERT_EQ(list->topLevelItemCount(), 9);
        hidden = list->verticalScrollBar()->isVisible() || list->horizontalScrollBar()->isVisible();
        EXPECT_LE(list->visualItemRect(list->topLevelItem(8)).bottom(),
                  list->viewport()->height() - 1);
    });
    EXPECT_EQ(hidden, 0);
}

// A page larger than the list (a page size stored on a taller screen) scrolls; the next page
// is shown from its first row again.
TEST(FullPageTest, EveryNewPageStartsAtTheTop) {
    Handheld device({240, 320});
    device.world.setNumber(kResultCountName, 14);
    Pick(device.form().hourList(), 5);
    Click(device.form().button(portrait_id::kSearch));
    ResultListWidget* list = device.form().resultList();
    ASSERT_GT(list->topLevelItemCount(), 9);
    list->scrollToBottom();
    ASSERT_GT(list->verticalScrollBar()->value(), 0);
    Click(device.form().button(portrait_id::kNext));
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
}

// ---- The portrait form at 320 x 320 --------------------------------------------------------

TEST(SpreadFormTest, PortraitFormFillsTheSquareScreenAfterCancel) {
    Handheld device({320, 320});
    ResultListWidget* list = device.form().resultList();
    EXPECT_GE(list->geometry().right(), 314);
    EXPECT_LE(list->geometry().right(), 319);
    EXPECT_LE(device.form().controls().control(portrait_id::kMinuteUnit)->geometry().right(), 319);
    Click(device.form().button(portrait_id::kSearch));
    ASSERT_GT(list->topLevelItemCount(), 0);
    QHeaderView* header = list->header();
    EXPECT_LE(header->sectionPosition(3) + header->sectionSize(3), list->viewport()->width());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
}

// ---- Dialogs: caption strips, inside the screen --------------------------------------------

struct CaptionCase {
    const char* name;
    QString title;
    std::function<void(Handheld&)> open;
};

class DialogOnScreenTest : public testing::TestWithParam<CaptionCase> {};

// At 240 x 320 no dialog leaves the screen; each has its caption strip and close box, and
// the close box closes it.
TEST_P(DialogOnScreenTest, CaptionStripAndInsideTheScreen) {
    const CaptionCase& c = GetParam();
    Handheld device({240, 320});
    bool came = false;
    WhenShown<EmulatedDialog>(
        [&](EmulatedDialog& dialog) {
            EXPECT_EQ(dialog.caption()->title(), c.title);
            EXPECT_TRUE(dialog.windowFlags() & Qt::FramelessWindowHint);
            EXPECT_EQ(dialog.caption()->geometry().top(), 0);
            EXPECT_EQ(dialog.caption()->width(), dialog.width());
            ExpectInside(dialog.frameGeometry(), device.screenRect());
            Click(dialog.caption()->closeBox());
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(dialog.result(), int{QDialog::Rejected});
        },
        &came);
    c.open(device);
    EXPECT_TRUE(came);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, DialogOnScreenTest,
    testing::Values(CaptionCase{"picker", QStringLiteral("Velomar"),
                                [](Handheld& d) {
                                    Click(d.form().button(portrait_id::kDepartureButton));
                                }},
                    CaptionCase{"options", QStringLiteral("Dialog"),
                                [](Handheld& d) { d.window->runCommand(command::kOptions); }},
                    CaptionCase{"about", q(u"Velomar 정보"),
                                [](Handheld& d) { d.window->runCommand(command::kAbout); }},
                    CaptionCase{"favorites", q(u"즐겨찾기"),
                                [](Handheld& d) { d.window->runCommand(command::kFavorites); }},
                    CaptionCase{"detail", q(u"상세정보"),
                                [](Handheld& d) {
                                    Click(d.form().button(portrait_id::kSearch));
                                    QTreeWidget* list = d.form().resultList();
                                    const QRect row = list->visualItemRect(list->topLevelItem(0));
                                    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                                      row.center());
                                }},
                    CaptionCase{"message", QStringLiteral("Info"),
                                [](Handheld& d) {
                                    QtMessageSink boxes([&d]() -> QWidget* { return &*d.window; });
                                    boxes.showMessage(u"fopen Error", u"Info");
                                }}),
    [](const testing::TestParamInfo<CaptionCase>& info) { return std::string(info.param.name); });

// The templates wider than 240 pixels are narrowed to the screen.
TEST(DialogOnScreenTest, WideTemplatesAreNarrowedToTheScreen) {
    const ScreenSize screen{240, 320};
    StationPickerDialog picker(Layout::Portrait, screen, true);
    AboutDialog about(screen);
    TimetableWorld world;
    OptionsDialog options(world.settings, screen);
    for (QDialog* dialog : {static_cast<QDialog*>(&picker), static_cast<QDialog*>(&about),
                            static_cast<QDialog*>(&options)}) {
        EXPECT_EQ(dialog->width(), 240);
        EXPECT_LE(dialog->height(), 320);
    }
    // About's notice wraps inside the narrowed dialog instead of running off its edge.
    for (const QLabel* label : about.findChildren<QLabel*>()) {
        EXPECT_LE(label->geometry().right(), 239) << label->text().toStdString();
    }
}

TEST(DialogOnScreenTest, PickerCloseBoxIsCancel) {
    Handheld device({240, 320});
    WhenShown<StationPickerDialog>([](StationPickerDialog& picker) {
        Pick(picker.groupList(0), 2);
        Click(picker.caption()->closeBox());
    });
    Click(device.form().button(portrait_id::kDepartureButton));
    EXPECT_EQ(device.form().departureField()->text(), q(u"문산"));
}

// ---- Keyboard ------------------------------------------------------------------------------

TEST(KeyboardTest, EnterOnTheFocusedSearchTileSearches) {
    Handheld device({240, 320});
    TileButton* search = device.form().button(portrait_id::kSearch);
    search->setFocus();
    QTest::keyClick(search, Qt::Key_Return);
    EXPECT_GT(device.form().resultList()->topLevelItemCount(), 0);
}

TEST(KeyboardTest, EnterInAStationFieldSearches) {
    Handheld device({240, 320});
    QLineEdit* arrival = device.form().arrivalField();
    arrival->setFocus();
    QTest::keyClick(arrival, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_GT(device.form().resultList()->topLevelItemCount(), 0);
    EXPECT_EQ(device.world.text(kEndStationName), u"도라산");
}

TEST(KeyboardTest, EnterInTheSquareStationFieldSearchesWithoutLeaving) {
    int rows = 0;
    bool stillOpen = false;
    Handheld device({320, 320}, [&](SquareDialog& square) {
        QLineEdit* field = square.form().departureField();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_Return);
        rows = square.form().resultList()->topLevelItemCount();
        stillOpen = square.isVisible() && square.result() == 0;
    });
    EXPECT_EQ(rows, 9);
    EXPECT_TRUE(stillOpen);
}

TEST(KeyboardTest, EnterInThePickerSelects) {
    Handheld device({240, 320});
    const QString picked = q(GroupEntry(0, 3).name);
    WhenShown<StationPickerDialog>([](StationPickerDialog& picker) {
        Pick(picker.groupList(0), 3);
        picker.okButton()->setFocus();
        QTest::keyClick(picker.okButton(), Qt::Key_Return);
    });
    Click(device.form().button(portrait_id::kDepartureButton));
    EXPECT_EQ(device.form().departureField()->text(), picked);

    // On a (closed) group list Enter is the dialog's default: 선택.
    WhenShown<StationPickerDialog>([](StationPickerDialog& picker) {
        Pick(picker.groupList(1), 0);
        picker.groupList(1)->setFocus();
        QTest::keyClick(picker.groupList(1), Qt::Key_Return);
    });
    Click(device.form().button(portrait_id::kArrivalButton));
    EXPECT_EQ(device.form().arrivalField()->text(), q(GroupEntry(1, 0).name));
}

TEST(KeyboardTest, AFocusedTileShowsAFocusMark) {
    Handheld device({240, 320});
    TileButton* next = device.form().button(portrait_id::kNext);
    device.window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&*device.window));
    device.form().resultList()->setFocus();
    const QImage plain = next->grab().toImage();
    next->setFocus();
    ASSERT_TRUE(next->hasFocus());
    EXPECT_NE(next->grab().toImage(), plain);
}

// ---- Zoom ----------------------------------------------------------------------------------

// Drawn at half size, the screen's dialogs and lists join its scene and stay on it.
TEST(ZoomedScreenTest, DialogsAndListsJoinTheScaledScreen) {
    Handheld device({240, 320});
    ZoomedScreen view(*device.window, 0.5);
    view.show();
    EXPECT_EQ(view.size(), QSize(120, 160));
    EXPECT_DOUBLE_EQ(SceneZoom(*device.window), 0.5);
    EXPECT_EQ(device.window->size(), QSize(240, 320));  // the layout sees the real screen

    QComboBox* hours = device.form().hourList();
    hours->showPopup();
    const QGraphicsProxyWidget* list = hours->view()->window()->graphicsProxyWidget();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(QRectF(0, 0, 240, 320).contains(list->sceneBoundingRect()));
    hours->hidePopup();

    // A dialog in the scene is not a window of the desktop's, so it is found among the
    // screen's children.
    bool joined = false;
    QRectF place;
    bool blocksTheForm = false;
    QTimer::singleShot(0, [&] {
        auto* about = device.window->findChild<AboutDialog*>();
        ASSERT_NE(about, nullptr);
        const QGraphicsProxyWidget* proxy = about->graphicsProxyWidget();
        joined = proxy != nullptr;
        if (proxy != nullptr) {
            place = proxy->sceneBoundingRect();
            blocksTheForm = device.window->graphicsProxyWidget()->isBlockedByModalPanel();
        }
        Click(about->caption()->closeBox());
    });
    device.window->runCommand(command::kAbout);
    EXPECT_TRUE(blocksTheForm);
    EXPECT_TRUE(joined);
    EXPECT_TRUE(QRectF(0, 0, 240, 320).contains(place))
        << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
}

// At 0.91 (a 480 x 800 screen fitted to a 1366 x 768 desktop) a dialog covers what lies
// below it whole, and a closed list leaves nothing behind.
TEST(ZoomedScreenTest, NoTracesAtAFractionalZoom) {
    Handheld device({480, 800}, {}, 0.91);
    ZoomedScreen& view = *device.view;
    const auto onScreen = [&view] {
        QApplication::processEvents();
        return view.screen()
            ->grabWindow(view.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    QComboBox* hours = device.form().hourList();
    hours->showPopup();
    onScreen();
    hours->hidePopup();
    EXPECT_EQ(onScreen(), view.grab().toImage().convertToFormat(QImage::Format_RGB32));

    QRect inside;
    QImage over, overOther;
    QTimer::singleShot(0, [&] {
        // In the scene it is no window of the desktop's: found among the screen's children.
        FavoritesDialog& favorites = *device.window->findChild<FavoritesDialog*>();
        inside = view.mapFromScene(favorites.graphicsProxyWidget()->sceneBoundingRect())
                     .boundingRect()
                     .adjusted(2, 2, -2, -2);
        over = view.grab(inside).toImage();
        device.form().resultList()->setStyleSheet(QStringLiteral("background: black"));
        device.form().button(portrait_id::kSearch)->hide();
        overOther = view.grab(inside).toImage();
        favorites.reject();
    });
    device.window->runCommand(command::kFavorites);
    EXPECT_EQ(over, overOther);
}

}  // namespace
}  // namespace velomar
