#include <gtest/gtest.h>

#include "screens/main_screen.h"
#include "settings/settings_store.h"
#include "support/timetable_world.h"

namespace velomar {
namespace {

using testing_support::TimetableWorld;
using Messages = std::vector<Message>;

struct Screen {
    TimetableWorld world;
    FixedClock clock{{7, 42}};
    ResultRows list;
    MainScreen screen;

    explicit Screen(Layout layout = Layout::Portrait, ScreenSize size = {480, 800})
        : screen(layout,
                 {world.settings, world.directory, world.grid, world.messages, clock, size,
                  world.squareDialogShown},
                 list) {
        world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
    }
    void storeText(std::u16string_view name, std::u16string_view text) {
        WriteTextSetting(world.settings, kSettingsRoot, kSettingsKeyPath, name, text);
    }
    void markInitialised() { world.setNumber(kFirstRunMarkerName, kFirstRunMarker); }
    std::vector<std::u16string> trainNos() const { return testing_support::TrainNos(list.rows); }
};

using Nos = std::vector<std::u16string>;

struct FirstStartCase {
    Layout layout;
    ScreenSize size;
    std::uint32_t pageSize;
};

class FirstStart : public testing::TestWithParam<FirstStartCase> {};

TEST_P(FirstStart, WritesDefaultsAndSelectsTheCurrentHour) {
    Screen s(GetParam().layout, GetParam().size);
    s.screen.startUp();
    EXPECT_EQ(s.world.number(kFirstRunMarkerName), 1020u);
    EXPECT_EQ(s.world.text(kStartStationName), u"서울");
    EXPECT_EQ(s.world.text(kEndStationName), u"대전");
    EXPECT_EQ(s.world.number(kResultCountName), GetParam().pageSize);
    const MainForm& form = s.screen.form();
    EXPECT_EQ(form.departureField, u"서울");
    EXPECT_EQ(form.arrivalField, u"대전");
    EXPECT_EQ(form.typeSelection, 0);
    EXPECT_EQ(form.hourSelection, 7);
    EXPECT_EQ(form.minuteSelection, 0);
    EXPECT_TRUE(s.world.messages.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Screens, FirstStart,
    testing::Values(FirstStartCase{Layout::Portrait, {240, 320}, 9},
                    FirstStartCase{Layout::Portrait, {240, 400}, 14},
                    FirstStartCase{Layout::Portrait, {480, 800}, 14},
                    // Heights with no rule of their own: below 400 a short page, else 14.
                    FirstStartCase{Layout::Portrait, {320, 320}, 9},
                    FirstStartCase{Layout::Portrait, {240, 300}, 9},
                    FirstStartCase{Layout::Portrait, {480, 640}, 14},
                    FirstStartCase{Layout::Portrait, {480, 1000}, 14},
                    FirstStartCase{Layout::Square, {320, 320}, 9},
                    FirstStartCase{Layout::Square, {480, 800}, 9}));

TEST(StartUp, AnyOtherMarkerCountsAsFirstStart) {
    Screen s;
    s.world.setNumber(kFirstRunMarkerName, 1019);
    s.storeText(kStartStationName, u"부산");
    s.screen.startUp();
    EXPECT_EQ(s.screen.form().departureField, u"서울");
    EXPECT_EQ(s.world.text(kStartStationName), u"서울");
    EXPECT_EQ(s.world.number(kFirstRunMarkerName), 1020u);
}

TEST(StartUp, RestoresStationsAndWritesThemBack) {
    for (Layout layout : {Layout::Portrait, Layout::Square}) {
        Screen s(layout);
        s.markInitialised();
        s.world.setNumber(kResultCountName, 7);
        s.storeText(kStartStationName, u"문산");
        s.storeText(kEndStationName, u"대전");
        s.screen.startUp();
        EXPECT_EQ(s.screen.form().departureField, u"문산");
        EXPECT_EQ(s.screen.form().arrivalField, u"대전");
        EXPECT_EQ(s.screen.startStation(), u"문산");
        EXPECT_EQ(s.world.number(kResultCountName), 7u);  // a stored 7 stays
        EXPECT_EQ(s.screen.query().pageSize, 7u);
    }
}

TEST(StartUp, StationTextTooLongForTheReaderIsNotRestored) {
    Screen s;
    s.markInitialised();
    const std::u16string nineteen(19, u'가');
    s.storeText(kStartStationName, std::u16string(20, u'가'));
    s.storeText(kEndStationName, nineteen);
    s.screen.startUp();
    EXPECT_EQ(s.screen.form().departureField, u"서울");
    EXPECT_EQ(s.screen.form().arrivalField, nineteen);
    // The kept text is written back in place of the long one.
    EXPECT_EQ(s.world.text(kStartStationName), u"서울");
}

struct StoredZeroCase {
    Layout layout;
    ScreenSize size;
    std::uint32_t rewritten;
};

class StoredZero : public testing::TestWithParam<StoredZeroCase> {};

TEST_P(StoredZero, IsRewrittenLikeAFirstStart) {
    Screen s(GetParam().layout, GetParam().size);
    s.markInitialised();
    s.world.setNumber(kResultCountName, 0);
    s.screen.startUp();
    EXPECT_EQ(s.world.number(kResultCountName), GetParam().rewritten);
}

INSTANTIATE_TEST_SUITE_P(Screens, StoredZero,
                         testing::Values(StoredZeroCase{Layout::Portrait, {240, 320}, 9},
                                         StoredZeroCase{Layout::Portrait, {480, 800}, 14},
                                         StoredZeroCase{Layout::Square, {480, 800}, 9}));

TEST(StartUp, UnavailableStoreKeepsTheDefaults) {
    Screen s;
    s.world.settings.setUnavailable(true);
    s.screen.startUp();
    EXPECT_EQ(s.screen.form().departureField, u"서울");
    EXPECT_EQ(s.screen.query().pageSize, 14u);
}

Screen& searchedFromMunsan(Screen& s, int hour) {
    s.screen.startUp();
    s.screen.form().departureField = u"문산";
    s.screen.form().arrivalField = u"도라산";
    s.screen.form().hourSelection = hour;
    s.world.setNumber(kResultCountName, 3);
    s.screen.search();
    return s;
}

TEST(Search, TakesTheFormAndStoresThePair) {
    Screen s;
    searchedFromMunsan(s, 7);
    EXPECT_EQ(s.trainNos(), (Nos{u"0103", u"0104", u"0105"}));
    EXPECT_EQ(s.screen.query().hourIndex, 7);
    EXPECT_EQ(s.screen.query().typeIndex, 0);
    EXPECT_EQ(s.world.text(kStartStationName), u"문산");
    EXPECT_EQ(s.world.text(kEndStationName), u"도라산");
}

TEST(Paging, NextAndPrevSelectAnHourAndSearchAgain) {
    Screen s;
    searchedFromMunsan(s, 7);
    s.screen.next();  // last train 09:10: the page after it, from the step 09:10
    EXPECT_EQ(s.screen.form().hourSelection, 9);
    EXPECT_EQ(s.screen.form().minuteSelection, 1);
    EXPECT_EQ(s.trainNos(), (Nos{u"0106", u"0107", u"0108"}));
    s.screen.prev();  // first train 10:10 -> hour 8; the minute stays
    EXPECT_EQ(s.screen.form().hourSelection, 8);
    EXPECT_EQ(s.trainNos(), (Nos{u"0104", u"0105", u"0106"}));
    EXPECT_EQ(s.screen.form().minuteSelection, 1);
}

TEST(Paging, NextAfterElevenAtNightGoesOnPastMidnight) {
    Screen s;
    searchedFromMunsan(s, 22);
    EXPECT_EQ(s.trainNos(), (Nos{u"0110", u"0111", u"0112"}));
    s.screen.next();
    EXPECT_EQ(s.screen.form().hourSelection, 23);
    EXPECT_EQ(s.trainNos(), (Nos{u"0113"}));
    // A page that is not full: the same search again.
    s.screen.next();
    EXPECT_EQ(s.screen.form().hourSelection, 23);
    EXPECT_EQ(s.trainNos(), (Nos{u"0113"}));
}

TEST(Paging, BeforeAnySearchNothingHappens) {
    Screen s;
    s.screen.startUp();
    s.screen.next();
    s.screen.prev();
    EXPECT_TRUE(s.world.messages.messages.empty());
    EXPECT_EQ(s.screen.form().hourSelection, 7);
    EXPECT_EQ(s.world.text(kStartStationName), u"서울");
}

// The widgets move the focus to the result list in this hook: once per search, before the
// list changes, and not for a Prev or Next that does nothing.
TEST(BeforeSearch, RunsOnceBeforeEachSearchOnly) {
    Screen s;
    std::vector<std::size_t> rowsSeen;
    s.screen.beforeSearch = [&] { rowsSeen.push_back(s.list.rows.size()); };
    s.screen.startUp();
    s.screen.prev();  // nothing to page yet
    s.screen.next();
    EXPECT_TRUE(rowsSeen.empty());
    searchedFromMunsan(s, 7);
    s.screen.next();
    s.screen.prev();
    EXPECT_EQ(rowsSeen, (std::vector<std::size_t>{0, 3, 3}));
}

TEST(StartUpOrder, SquareSetsUpItsListBeforeRestoringPortraitAfter) {
    EXPECT_EQ(StartUpOrder(Layout::Square),
              (std::array{StartUpStep::ColumnsAndTiles, StartUpStep::RestoreSettings}));
    EXPECT_EQ(StartUpOrder(Layout::Portrait),
              (std::array{StartUpStep::RestoreSettings, StartUpStep::ColumnsAndTiles}));
}

TEST(ChooseLayout, TheSquareDialogComesOncePerRun) {
    Screen first(Layout::Portrait, {320, 320});
    EXPECT_EQ(first.screen.chooseLayout().kind, LayoutActionKind::SquareDialog);
    EXPECT_TRUE(first.world.squareDialogShown);
    EXPECT_EQ(first.screen.chooseLayout().kind, LayoutActionKind::Nothing);
    // Another run (another test) starts with the flag clear.
    Screen second(Layout::Portrait, {320, 320});
    EXPECT_EQ(second.screen.chooseLayout().kind, LayoutActionKind::SquareDialog);
}

TEST(FocusReset, SelectsFirstTypeAndCurrentHourOnlyInPortrait) {
    for (Layout layout : {Layout::Portrait, Layout::Square}) {
        Screen s(layout);
        s.screen.startUp();
        MainForm& form = s.screen.form();
        form.typeSelection = 3;
        form.hourSelection = 15;
        form.minuteSelection = 4;
        form.departureField = u"문산";
        s.clock.set({9, 5});
        s.screen.focusReset();
        const bool portrait = layout == Layout::Portrait;
        EXPECT_EQ(form.typeSelection, portrait ? 0 : 3);
        EXPECT_EQ(form.hourSelection, portrait ? 9 : 15);
        EXPECT_EQ(form.minuteSelection, 4);
        EXPECT_EQ(form.departureField, u"문산");
    }
}

TEST(TrainDetail, TapOnARowListsItsStops) {
    Screen s;
    searchedFromMunsan(s, 7);
    const auto stops = s.screen.trainDetail(1);
    ASSERT_TRUE(stops.has_value());
    EXPECT_EQ(stops->stationNames, (std::vector<std::u16string>{u"문산", u"도라산"}));
    EXPECT_EQ(stops->times, (std::vector<std::u16string>{u"0810", u"0840"}));
    // A following search reads the fields again.
    s.screen.search();
    EXPECT_EQ(s.world.text(kStartStationName), u"문산");
}

TEST(TrainDetail, TapsThatDoNothing) {
    Screen s;
    s.screen.startUp();
    EXPECT_FALSE(s.screen.trainDetail(0).has_value());  // no search yet
    searchedFromMunsan(s, 7);
    EXPECT_FALSE(s.screen.trainDetail(-1).has_value());
    EXPECT_FALSE(s.screen.trainDetail(3).has_value());   // beyond the found trains
    EXPECT_FALSE(s.screen.trainDetail(14).has_value());  // beyond the page
    EXPECT_TRUE(s.world.messages.messages.empty());
}

TEST(SquareLayout, NoRouteKeepsOldRowsButTheirTapDoesNothing) {
    Screen s(Layout::Square, {320, 320});
    searchedFromMunsan(s, 7);
    s.screen.form().arrivalField = u"가야";
    s.screen.search();
    EXPECT_EQ(s.trainNos(), (Nos{u"0103", u"0104", u"0105"}));
    EXPECT_EQ(s.world.messages.messages, (Messages{{u"열차를 찾을 수 없습니다.", u"Info"},
                                                   {u"열차가 없습니다.", u"Velomar"}}));
    EXPECT_FALSE(s.screen.trainDetail(0).has_value());
    EXPECT_EQ(s.world.text(kEndStationName), u"가야");
}

TEST(SquareLayout, PageHoldsAtMostNineTrains) {
    Screen s(Layout::Square, {320, 320});
    s.screen.startUp();
    s.world.setNumber(kResultCountName, 14);
    s.screen.form().departureField = u"문산";
    s.screen.form().arrivalField = u"도라산";
    s.screen.form().hourSelection = 0;
    s.screen.search();
    EXPECT_EQ(s.screen.rowCapacity(), 9);
    EXPECT_EQ(s.list.rows.size(), 9u);
}

}  // namespace
}  // namespace velomar
