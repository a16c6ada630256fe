// What the main screen asks of the settings store, in order and among its messages, for each
// of its actions: other programs see these reads and writes, so their order is behaviour.
#include <gtest/gtest.h>

#include <functional>

#include "screens/main_screen.h"
#include "support/recording_settings.h"
#include "support/timetable_world.h"

namespace velomar {
namespace {

using testing_support::RecordingSettingsBackend;
using testing_support::TimetableWorld;
using Log = std::vector<std::string>;

// Messages go into the store's log, so the log shows where they come among the writes.
class LoggedMessages : public MessageSink {
  public:
    explicit LoggedMessages(Log& log) : m_log(log) {}
    void showMessage(std::u16string_view text, std::u16string_view) override {
        m_log.push_back("message " + ToUtf8(text));
    }

  private:
    Log& m_log;
};

struct RecordedScreen {
    TimetableWorld world;
    RecordingSettingsBackend settings;
    LoggedMessages messages{settings.log};
    FixedClock clock{{7, 42}};
    ResultRows list;
    MainScreen screen;

    RecordedScreen(Layout layout, ScreenSize size)
        : screen(layout,
                 {settings, world.directory, world.grid, messages, clock, size,
                  world.squareDialogShown},
                 list) {
        world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
    }
    void fill(std::u16string_view from, std::u16string_view to) {
        screen.form().departureField = from;
        screen.form().arrivalField = to;
        screen.form().hourSelection = 7;
    }
};

TEST(MainScreenSettings, FirstStartWritesTheDefaultsInOneTransaction) {
    RecordedScreen s(Layout::Portrait, {480, 800});
    s.screen.startUp();
    EXPECT_EQ(s.settings.log,
              (Log{"begin", "read Velomar", "write Velomar 1020", "write StartStation 서울",
                   "write EndStation 대전", "write ResultCount 14", "commit"}));
}

TEST(MainScreenSettings, LaterStartRestoresAndWritesThePairBack) {
    RecordedScreen s(Layout::Square, {320, 320});
    s.screen.startUp();
    s.settings.log.clear();
    s.screen.startUp();
    EXPECT_EQ(s.settings.log, (Log{"begin", "read Velomar", "read StartStation", "read EndStation",
                                   "write StartStation 서울", "write EndStation 대전",
                                   "read ResultCount", "commit"}));
}

struct ActionCase {
    const char* label;
    Layout layout;
    std::function<void(RecordedScreen&)> act;  // after start-up, with the log cleared
    Log expected;
};

class MainScreenActions : public testing::TestWithParam<ActionCase> {};

TEST_P(MainScreenActions, TouchTheStoreInThisOrder) {
    const ActionCase& c = GetParam();
    RecordedScreen s(c.layout,
                     c.layout == Layout::Portrait ? ScreenSize{480, 800} : ScreenSize{320, 320});
    s.screen.startUp();
    s.settings.log.clear();
    c.act(s);
    EXPECT_EQ(s.settings.log, c.expected);
}

const Log kSearchedMunsan{"read ResultCount", "begin", "write StartStation 문산",
                          "write EndStation 도라산", "commit"};

INSTANTIATE_TEST_SUITE_P(
    Actions, MainScreenActions,
    testing::Values(ActionCase{"SearchWithTrains", Layout::Portrait,
                               [](RecordedScreen& s) {
                                   s.fill(u"문산", u"도라산");
                                   s.screen.search();
                               },
                               kSearchedMunsan},
                    ActionCase{"SquareSearchWithTrains", Layout::Square,
                               [](RecordedScreen& s) {
                                   s.fill(u"문산", u"도라산");
                                   s.screen.search();
                               },
                               kSearchedMunsan},
                    // The portrait screen ends a search without a route before the pair is stored.
                    ActionCase{"PortraitNoRoute",
                               Layout::Portrait,
                               [](RecordedScreen& s) {
                                   s.fill(u"문산", u"가야");
                                   s.screen.search();
                               },
                               {"read ResultCount", "message 열차를 찾을 수 없습니다."}},
                    ActionCase{"PortraitNoDeparture",
                               Layout::Portrait,
                               [](RecordedScreen& s) {
                                   s.fill(u"", u"도라산");
                                   s.screen.search();
                               },
                               {"read ResultCount", "message 출발역이 없습니다.",
                                "message 열차를 찾을 수 없습니다."}},
                    ActionCase{"SquareNoRoute",
                               Layout::Square,
                               [](RecordedScreen& s) {
                                   s.fill(u"문산", u"가야");
                                   s.screen.search();
                               },
                               {"read ResultCount", "message 열차를 찾을 수 없습니다.",
                                "message 열차가 없습니다.", "begin", "write StartStation 문산",
                                "write EndStation 가야", "commit"}},
                    ActionCase{"MissingFile",
                               Layout::Portrait,
                               [](RecordedScreen& s) {
                                   s.fill(u"순천", u"여수");
                                   s.screen.search();
                               },
                               {"read ResultCount", "message Read Data File Error",
                                "message GetTimeTable() Error", "message 열차가 없습니다.", "begin",
                                "write StartStation 순천", "write EndStation 여수", "commit"}},
                    // Station codes left by a detail tap are stored as names again.
                    ActionCase{"DetailThenSearch",
                               Layout::Portrait,
                               [](RecordedScreen& s) {
                                   s.fill(u"문산", u"도라산");
                                   s.screen.search();
                                   s.screen.trainDetail(0);
                                   s.screen.search();
                               },
                               {"read ResultCount", "begin", "write StartStation 문산",
                                "write EndStation 도라산", "commit", "read ResultCount", "begin",
                                "write StartStation 문산", "write EndStation 도라산", "commit"}},
                    ActionCase{"NextSearchesAgain", Layout::Portrait,
                               [](RecordedScreen& s) {
                                   s.fill(u"문산", u"도라산");
                                   s.screen.search();
                                   s.settings.log.clear();
                                   s.screen.next();
                               },
                               kSearchedMunsan},
                    ActionCase{"PagingBeforeAnySearch",
                               Layout::Portrait,
                               [](RecordedScreen& s) {
                                   s.screen.prev();
                                   s.screen.next();
                               },
                               {}}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace velomar
