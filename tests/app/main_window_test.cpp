#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <optional>

#include "app/focus_watch.h"
#include "app/qt_text.h"
#include "app/tile_button.h"
#include "connected_handheld.h"
#include "screens/layout_rules.h"
#include "support/timetable_world.h"

namespace velomar {
namespace {

using testing_support::TimetableWorld;

// One emulated handheld: fixtures, a recording sink, a fixed clock and the real window.
struct Handheld {
    TimetableWorld world;
    FixedClock clock{{7, 42}};
    std::optional<MainWindow> window;
    std::vector<int> exits;
    int squareRuns = 0;

    explicit Handheld(ScreenSize screen) {
        world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
        window.emplace(MainScreenServices{world.settings, world.directory, world.grid,
                                          world.messages, clock, screen, world.squareDialogShown});
        window->exitProcess = [this](int status) { exits.push_back(status); };
        window->runSquareDialog = [this](SquareDialog&) {
            ++squareRuns;
            return int{QDialog::Rejected};
        };
    }
    ScreenForm& form() { return window->form(); }
    void storeMunsanPair(std::uint32_t pageSize = 0) {
        world.setNumber(kFirstRunMarkerName, kFirstRunMarker);
        WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kStartStationName,
                         u"문산");
        WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, kEndStationName,
                         u"도라산");
        if (pageSize != 0) {
            world.setNumber(kResultCountName, pageSize);
        }
    }
    std::vector<QString> column(int index) {
        std::vector<QString> cells;
        QTreeWidget* list = form().resultList();
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            cells.push_back(list->topLevelItem(row)->text(index));
        }
        return cells;
    }
};

QString q(std::u16string_view text) {
    return ToQString(text);
}

std::vector<int> columnWidths(QTreeWidget* list) {
    std::vector<int> widths;
    for (int column = 0; column < list->columnCount(); ++column) {
        widths.push_back(list->columnWidth(column));
    }
    return widths;
}

PixelRect templateRect(int templateId, int itemId, ScreenSize screen) {
    return *ToPixels(FindDialogTemplate(templateId)->item(itemId)->rect, DialogUnitsFor(screen));
}

QRect asQRect(const PixelRect& rect) {
    return {rect.x, rect.y, rect.width, rect.height};
}

struct StartCase {
    ScreenSize screen;
    std::uint32_t pageSize;
    int listTemplate;
    std::vector<int> widths;
    int searchTile;
};

class FirstStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(FirstStartTest, WritesSettingsAndShowsThePortraitForm) {
    const StartCase& c = GetParam();
    Handheld device(c.screen);
    device.window->start();

    EXPECT_EQ(device.world.number(kFirstRunMarkerName), 1020u);
    EXPECT_EQ(device.world.text(kStartStationName), u"서울");
    EXPECT_EQ(device.world.text(kEndStationName), u"대전");
    EXPECT_EQ(device.world.number(kResultCountName), c.pageSize);

    ScreenForm& form = device.form();
    EXPECT_EQ(form.departureField()->text(), q(u"서울"));
    EXPECT_EQ(form.arrivalField()->text(), q(u"대전"));
    EXPECT_EQ(form.typeList()->currentText(), q(u"전체 (ABCD:금토일월)"));
    EXPECT_EQ(form.hourList()->currentText(), QStringLiteral("07"));
    EXPECT_EQ(form.minuteList()->currentText(), QStringLiteral("00"));
    EXPECT_EQ(form.typeList()->count(), 6);
    EXPECT_EQ(form.hourList()->count(), 24);
    EXPECT_EQ(form.minuteList()->count(), 6);

    EXPECT_EQ(columnWidths(form.resultList()), c.widths);
    EXPECT_EQ(form.resultList()->headerItem()->text(3), q(u"열 차"));
    EXPECT_EQ(form.resultList()->geometry(),
              asQRect(templateRect(c.listTemplate, portrait_id::kResultList, c.screen)));
    TileButton* search = form.button(portrait_id::kSearch);
    EXPECT_EQ(search->normalTile(), c.searchTile);
    const ButtonTile* tile = FindButtonTile(c.searchTile);
    EXPECT_EQ(search->size(), QSize(tile->width, tile->height));
    // The button keeps its template position when it takes its tile's size.
    const PixelRect place = templateRect(kPortraitTemplate, portrait_id::kSearch, c.screen);
    EXPECT_EQ(search->pos(), QPoint(place.x, place.y));

    EXPECT_EQ(device.window->size(), QSize(c.screen.width, c.screen.height));
    EXPECT_EQ(device.window->windowTitle(), QStringLiteral("Velomar"));
    EXPECT_EQ(device.squareRuns, 0);
    EXPECT_TRUE(device.world.messages.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FirstStartTest,
    ::testing::Values(StartCase{{240, 320}, 9, kPortraitTemplate, {58, 55, 55, 65}, 162},
                      StartCase{{240, 400}, 14, kPortraitTallTemplate, {58, 55, 55, 65}, 162},
                      StartCase{{480, 800}, 14, kPortraitWideTemplate, {116, 111, 111, 130}, 152}));

TEST(RelayoutWidgetTest, WideScreenMovesTheMinuteUnit) {
    const ScreenSize screen{480, 800};
    Handheld device(screen);
    device.window->start();
    QWidget* unit = device.form().controls().control(portrait_id::kMinuteUnit);
    EXPECT_EQ(unit->x(), templateRect(kPortraitWideTemplate, portrait_id::kMinuteUnit, screen).x);
}

// The hour list (24 entries) drops cut to its item's 74 units; the type list (6 entries)
// is shorter than its item and keeps its own height.
TEST(RelayoutWidgetTest, OpenListsDropBelowAtMostAsHighAsTheirItem) {
    Handheld device({480, 800});
    device.window->start();
    device.window->show();
    QComboBox* hours = device.form().hourList();
    hours->showPopup();
    EXPECT_EQ(hours->view()->window()->height(), 241 - 39);
    EXPECT_EQ(hours->view()->window()->geometry().top(),
              hours->mapToGlobal(QPoint(0, hours->height())).y());
    hours->hidePopup();
    QComboBox* types = device.form().typeList();
    types->showPopup();
    EXPECT_LT(types->view()->window()->height(), 354 - 39);
    types->hidePopup();
}

TEST(SearchWidgetTest, SearchFillsTheListWithTheCoreRows) {
    Handheld device({240, 320});
    device.storeMunsanPair();
    device.window->start();
    QTest::mouseClick(device.form().button(portrait_id::kSearch), Qt::LeftButton);

    // Page size 9 from 07:00: trains 0103 to 0111.
    EXPECT_EQ(device.column(0), (std::vector<QString>{"0103", "0104", "0105", "0106", "0107",
                                                      "0108", "0109", "0110", "0111"}));
    EXPECT_EQ(device.column(1).front(), QStringLiteral("07:10"));
    EXPECT_EQ(device.column(2).front(), QStringLiteral("07:40"));
    EXPECT_EQ(device.column(3).front(), q(u"무궁화"));
    // Row i is slot i of the page.
    const ResultPage& page = device.form().screen().page();
    for (std::size_t i = 0; i < device.column(0).size(); ++i) {
        EXPECT_EQ(device.column(0)[i], q(page[i].trainNo));
        EXPECT_EQ(device.column(1)[i], q(page[i].departureText).insert(2, ':'));
    }
    EXPECT_EQ(device.world.text(kStartStationName), u"문산");
    EXPECT_TRUE(device.world.messages.messages.empty());
}

TEST(SearchWidgetTest, FieldsTypedByTheUserAreSearched) {
    Handheld device({480, 800});
    device.window->start();
    device.form().departureField()->setText(q(u"문산"));
    device.form().arrivalField()->setText(q(u"도라산"));
    device.form().hourList()->setCurrentIndex(13);
    QTest::mouseClick(device.form().button(portrait_id::kSearch), Qt::LeftButton);
    EXPECT_EQ(device.column(0).front(), QStringLiteral("0109"));  // 13:10
    EXPECT_EQ(device.world.text(kEndStationName), u"도라산");
}

// The handheld bound the click and the pushed notification; one tap must search once.
TEST(SearchWidgetTest, OneTapRunsTheSearchOnce) {
    Handheld device({240, 320});
    device.window->start();  // 서울 -> 대전 has no timetable in the fixture
    QTest::mouseClick(device.form().button(portrait_id::kSearch), Qt::LeftButton);
    const std::size_t perSearch = device.world.messages.messages.size();
    ASSERT_GT(perSearch, 0u);

    TimetableWorld reference;
    FixedClock clock{{7, 42}};
    ResultRows rows;
    MainScreen screen(Layout::Portrait,
                      {reference.settings,
                       reference.directory,
                       reference.grid,
                       reference.messages,
                       clock,
                       {240, 320},
                       reference.squareDialogShown},
                      rows);
    screen.startUp();
    screen.search();
    EXPECT_EQ(device.world.messages.messages, reference.messages.messages);
}

TEST(PagingWidgetTest, NextAndPrevSelectTheBandHours) {
    Handheld device({240, 320});
    device.storeMunsanPair(3);
    device.window->start();
    ScreenForm& form = device.form();
    form.minuteList()->setCurrentIndex(2);

    QTest::mouseClick(form.button(portrait_id::kPrev), Qt::LeftButton);  // before any search
    EXPECT_TRUE(device.column(0).empty());
    EXPECT_EQ(form.hourList()->currentIndex(), 7);

    QTest::mouseClick(form.button(portrait_id::kSearch), Qt::LeftButton);  // from 07:20
    EXPECT_EQ(device.column(0), (std::vector<QString>{"0104", "0105", "0106"}));

    // Last at 10:10: the page goes on with the train after it, from the step 10:10.
    QTest::mouseClick(form.button(portrait_id::kNext), Qt::LeftButton);
    EXPECT_EQ(form.hourList()->currentIndex(), 10);
    EXPECT_EQ(form.minuteList()->currentIndex(), 1);
    EXPECT_EQ(device.column(0), (std::vector<QString>{"0107", "0108", "0109"}));

    QTest::mouseClick(form.button(portrait_id::kPrev), Qt::LeftButton);  // first at 11:10
    EXPECT_EQ(form.hourList()->currentIndex(), 8);
    EXPECT_EQ(device.column(0), (std::vector<QString>{"0104", "0105", "0106"}));
    EXPECT_EQ(form.minuteList()->currentIndex(), 1);  // Prev leaves the minute alone
}

TEST(FocusResetWidgetTest, RestoresTypeAndCurrentHourOnly) {
    Handheld device({240, 320});
    device.window->start();
    ScreenForm& form = device.form();
    form.typeList()->setCurrentIndex(3);
    form.hourList()->setCurrentIndex(15);
    form.minuteList()->setCurrentIndex(4);
    form.departureField()->setText(q(u"문산"));
    device.clock.set({9, 5});

    // The user switches to another program and back.
    device.window->focusWatch().applicationStateChanged(Qt::ApplicationInactive);
    device.window->focusWatch().applicationStateChanged(Qt::ApplicationActive);

    EXPECT_EQ(form.typeList()->currentIndex(), 0);
    EXPECT_EQ(form.hourList()->currentIndex(), 9);
    EXPECT_EQ(form.minuteList()->currentIndex(), 4);
    EXPECT_EQ(form.departureField()->text(), q(u"문산"));
    EXPECT_EQ(form.screen().form().minuteSelection, 4);
}

TEST(NewDocumentWidgetTest, SecondStartUpKeepsOneSetOfColumns) {
    Handheld device({240, 320});
    device.window->start();
    device.form().arrivalField()->setText(q(u"부산"));
    EXPECT_TRUE(device.window->runCommand(command::kNewDocument));
    EXPECT_EQ(device.form().resultList()->columnCount(), 4);
    EXPECT_EQ(columnWidths(device.form().resultList()), (std::vector<int>{58, 55, 55, 65}));
    // The start-up shows the held texts again.
    EXPECT_EQ(device.form().arrivalField()->text(), q(u"대전"));
}

TEST(SquareDialogWidgetTest, ShownOnceAndOkEndsTheProcess) {
    Handheld device({320, 320});
    QString caption;
    std::vector<int> widths;
    int searchTile = 0;
    QString departure;
    device.window->runSquareDialog = [&](SquareDialog& dialog) {
        ++device.squareRuns;
        caption = dialog.windowTitle();
        widths = columnWidths(dialog.form().resultList());
        searchTile = dialog.form().button(square_id::kSearch)->normalTile();
        departure = dialog.form().departureField()->text();
        return int{QDialog::Accepted};
    };
    device.window->start();
    EXPECT_EQ(device.squareRuns, 1);
    EXPECT_EQ(device.exits, (std::vector<int>{0}));
    EXPECT_EQ(caption, QStringLiteral("Velomar"));
    EXPECT_EQ(widths, (std::vector<int>{75, 70, 70, 82}));
    EXPECT_EQ(searchTile, 179);
    EXPECT_EQ(departure, q(u"서울"));
    // The square start-up wrote the first-start settings with its own page size.
    EXPECT_EQ(device.world.number(kResultCountName), 9u);
}

TEST(SquareDialogWidgetTest, CancelReturnsToThePortraitFormForGood) {
    Handheld device({320, 320});
    device.window->start();
    EXPECT_EQ(device.squareRuns, 1);
    EXPECT_TRUE(device.exits.empty());
    // The portrait form ran its start-up and got the small screens' columns, widened with the
    // form to the 320 pixels of the screen.
    EXPECT_EQ(columnWidths(device.form().resultList()), (std::vector<int>{77, 73, 73, 86}));
    EXPECT_EQ(device.form().button(portrait_id::kSearch)->normalTile(), 162);
    device.window->start();
    EXPECT_EQ(device.squareRuns, 1);
}

TEST(SquareDialogWidgetTest, SearchInsideTheDialogAndEnterAccepts) {
    Handheld device({320, 320});
    device.storeMunsanPair();
    int result = -1;
    std::vector<QString> trains;
    device.window->runSquareDialog = [&](SquareDialog& dialog) {
        dialog.show();
        QTest::mouseClick(dialog.form().button(square_id::kSearch), Qt::LeftButton);
        for (int row = 0; row < dialog.form().resultList()->topLevelItemCount(); ++row) {
            trains.push_back(dialog.form().resultList()->topLevelItem(row)->text(0));
        }
        QTest::keyClick(&dialog, Qt::Key_Return);
        result = dialog.result();
        return result;
    };
    device.window->start();
    EXPECT_EQ(trains.size(), 9u);
    EXPECT_EQ(trains.front(), QStringLiteral("0103"));
    EXPECT_EQ(result, int{QDialog::Accepted});
    EXPECT_EQ(device.exits, (std::vector<int>{0}));
}

TEST(MenuWidgetTest, MenuOpensUpwardsFromItsStrip) {
    Handheld device({240, 320});
    device.window->start();
    device.window->show();
    QRect shown;
    QTimer::singleShot(0, [&] {
        shown = device.window->mainMenu().geometry();
        device.window->mainMenu().close();
    });
    device.window->menuButton().click();
    const QPoint strip = device.window->menuButton().mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(shown.bottom() + 1, strip.y());
    EXPECT_EQ(shown.left(), strip.x());
}

TEST(MenuWidgetTest, MenuEntriesAndCommands) {
    Handheld device({240, 320});
    device.window->start();
    EXPECT_EQ(device.window->menuButton().text(), q(u"메뉴"));
    EXPECT_EQ(device.window->infoButton().text(), q(u"정보"));
    const QList<QAction*> actions = device.window->mainMenu().actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), q(u"즐겨찾기"));
    EXPECT_EQ(actions[1]->text(), q(u"옵션"));
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), q(u"종료"));

    actions[0]->trigger();  // not connected yet: nothing happens
    int favorites = 0;
    int options = 0;
    device.window->favoritesCommand = [&](ScreenForm&) { ++favorites; };
    device.window->optionsCommand = [&](ScreenForm&) { ++options; };
    actions[0]->trigger();
    actions[1]->trigger();
    EXPECT_EQ(favorites, 1);
    EXPECT_EQ(options, 1);
    EXPECT_TRUE(device.exits.empty());
    actions[3]->trigger();
    EXPECT_EQ(device.exits, (std::vector<int>{0}));
    EXPECT_FALSE(device.window->runCommand(57643));  // Ctrl+Z has no handler
}

class AboutWidgetTest : public ::testing::TestWithParam<ScreenSize> {};

TEST_P(AboutWidgetTest, ShowsVersionOnEveryScreen) {
    Handheld device(GetParam());
    device.window->runSquareDialog = [](SquareDialog&) { return int{QDialog::Rejected}; };
    device.window->start();
    QString caption;
    QStringList texts;
    QString group;
    device.window->runAboutDialog = [&](AboutDialog& about) {
        caption = about.windowTitle();
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            texts << label->text();
        }
        if (const auto* box = about.findChild<QGroupBox*>()) {
            group = box->title();
        }
    };
    QTest::mouseClick(&device.window->infoButton(), Qt::LeftButton);
    EXPECT_EQ(caption, q(u"Velomar 정보"));
    EXPECT_TRUE(texts.contains(q(u"Velomar 버전 0.4")));
    EXPECT_TRUE(
        texts.contains(q(u"열차 시간은 철도청 사정에 따라 바뀔 수 있습니다. 참고용으로만 "
                         u"사용하시기 바랍니다. 그에따른 책임은 없음을 알려드립니다.")));
    EXPECT_EQ(group, QStringLiteral("Special Thanks"));
}

INSTANTIATE_TEST_SUITE_P(Screens, AboutWidgetTest,
                         ::testing::Values(ScreenSize{240, 320}, ScreenSize{320, 320},
                                           ScreenSize{480, 800}, ScreenSize{640, 480}));

TEST(RowTapWidgetTest, TapHandsTheStopsToTheDetailHook) {
    Handheld device({480, 800});
    device.storeMunsanPair();
    device.window->start();
    device.window->show();
    std::optional<StopList> shown;
    device.form().trainDetailHook = [&](ScreenForm&, const StopList& stops) { shown = stops; };
    QTest::mouseClick(device.form().button(portrait_id::kSearch), Qt::LeftButton);
    QTreeWidget* list = device.form().resultList();
    const QRect second = list->visualItemRect(list->topLevelItem(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->stationNames, (std::vector<std::u16string>{u"문산", u"도라산"}));
    EXPECT_EQ(shown->times, (std::vector<std::u16string>{u"0810", u"0840"}));

    shown.reset();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->height() - 40));
    EXPECT_FALSE(shown);  // below the rows: nothing
}

TEST(TileWidgetTest, TilesRenderAtTheirTableSize) {
    for (int id : {145, 152, 162, 165, 179, 182}) {
        const ButtonTile* tile = FindButtonTile(id);
        const QPixmap picture = RenderButtonTile(*tile);
        EXPECT_EQ(picture.size(), QSize(tile->width, tile->height)) << id;
    }
}

}  // namespace
}  // namespace velomar
