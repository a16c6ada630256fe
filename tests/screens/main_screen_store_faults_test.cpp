// The main screen over a store that cannot answer: start-up never takes a store it cannot
// read for a first start, what it stores is stored whole or not at all, and a search stores
// its pair whole or not at all. After every failure the stored values are those of before.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "screens/main_screen.h"
#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "support/faulty_settings.h"
#include "support/timetable_world.h"

namespace velomar {
namespace {

using testing_support::FaultySettingsBackend;
using testing_support::SettingsStep;
using testing_support::TimetableWorld;

using testing_support::SameStoredValues;
using testing_support::StoredValuesOf;

struct FaultyScreen {
    TimetableWorld world;
    MemorySettingsBackend inner;
    FaultySettingsBackend store{inner, /*snapshots=*/true};
    FixedClock clock{{7, 42}};
    ResultRows list;
    MainScreen screen{Layout::Portrait,
                      {store,
                       world.directory,
                       world.grid,
                       world.messages,
                       clock,
                       {480, 800},
                       world.squareDialogShown},
                      list};

    explicit FaultyScreen(bool stored) {
        world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
        if (stored) {
            WriteNumberSetting(inner, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName,
                               kFirstRunMarker);
            WriteTextSetting(inner, kSettingsRoot, kSettingsKeyPath, kStartStationName, u"문산");
            WriteTextSetting(inner, kSettingsRoot, kSettingsKeyPath, kEndStationName, u"도라산");
            WriteNumberSetting(inner, kSettingsRoot, kSettingsKeyPath, kResultCountName, 9);
        }
    }
};

struct StartUpFault {
    const char* label;
    bool stored;  // a store of an earlier run, else an empty one (a first start)
    SettingsStep step;
    int nth;
    SettingsStatus why;
    bool readFails;  // else a write or the commit fails
    friend void PrintTo(const StartUpFault& c, std::ostream* out) { *out << c.label; }
};

class StartUpOverAFailingStore : public testing::TestWithParam<StartUpFault> {};

TEST_P(StartUpOverAFailingStore, StoresNothingAndSaysWhy) {
    const StartUpFault& c = GetParam();
    FaultyScreen s(c.stored);
    const auto before = StoredValuesOf(s.inner);
    s.store.failOn(c.step, c.why, c.nth);
    s.screen.startUp();

    EXPECT_TRUE(SameStoredValues(StoredValuesOf(s.inner), before)) << "a value changed";
    const SettingsRestore& restore = s.screen.settingsRestore();
    EXPECT_EQ(restore.read, c.readFails ? c.why : SettingsStatus::Ok);
    EXPECT_EQ(restore.written, c.readFails ? SettingsStatus::Ok : c.why);
    if (c.readFails) {
        // The built-in pair and page size for this run.
        EXPECT_EQ(s.screen.form().departureField, u"서울");
        EXPECT_EQ(s.screen.form().arrivalField, u"대전");
        EXPECT_EQ(s.screen.query().pageSize, 14u);
    } else if (c.stored) {
        EXPECT_EQ(s.screen.form().departureField, u"문산") << "what was read is kept";
    }

    // The next start, over a store that answers again, restores what was stored before.
    s.store.clearFaults();
    s.screen.startUp();
    EXPECT_TRUE(s.screen.settingsRestore().ok());
    EXPECT_EQ(s.screen.form().departureField, c.stored ? u"문산" : u"서울");
    EXPECT_EQ(s.screen.query().pageSize, c.stored ? 9u : 14u);
}

using testing_support::kBusy;
using testing_support::kFailed;

INSTANTIATE_TEST_SUITE_P(
    MainScreenStoreFaults, StartUpOverAFailingStore,
    testing::Values(
        StartUpFault{"BeginBusy", true, SettingsStep::Begin, 1, kBusy, true},
        StartUpFault{"BeginBusyFirstStart", false, SettingsStep::Begin, 1, kBusy, true},
        StartUpFault{"MarkerBusy", true, SettingsStep::Query, 1, kBusy, true},
        StartUpFault{"MarkerFailed", true, SettingsStep::Query, 1, kFailed, true},
        StartUpFault{"MarkerFailedFirstStart", false, SettingsStep::Query, 1, kFailed, true},
        StartUpFault{"StartStationFailed", true, SettingsStep::Query, 2, kFailed, true},
        StartUpFault{"EndStationBusy", true, SettingsStep::Query, 3, kBusy, true},
        StartUpFault{"ResultCountFailed", true, SettingsStep::Query, 4, kFailed, true},
        StartUpFault{"PairWriteBackFailed", true, SettingsStep::Set, 2, kFailed, false},
        StartUpFault{"CommitFailed", true, SettingsStep::Commit, 1, kFailed, false},
        // A full disk on a first start: the marker, the pair and "ResultCount" are stored
        // together or not at all, so the next start is again a first start.
        StartUpFault{"FirstStartMarkerWriteFailed", false, SettingsStep::Set, 1, kFailed, false},
        StartUpFault{"FirstStartPageSizeWriteFailed", false, SettingsStep::Set, 4, kFailed, false},
        StartUpFault{"FirstStartCommitFailed", false, SettingsStep::Commit, 1, kFailed, false}),
    [](const testing::TestParamInfo<StartUpFault>& info) { return info.param.label; });

// Only a marker that is missing or holds another value means a first start.
TEST(MainScreenStoreFaults, AnotherMarkerValueIsAFirstStart) {
    FaultyScreen s(true);
    WriteNumberSetting(s.inner, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName, 7);
    s.screen.startUp();
    EXPECT_TRUE(s.screen.settingsRestore().ok());
    EXPECT_EQ(ReadStationText(s.inner, kStartStationName), u"서울");
}

struct PairFault {
    const char* label;
    SettingsStep step;
    int nth;
    SettingsStatus why;
    friend void PrintTo(const PairFault& c, std::ostream* out) { *out << c.label; }
};

class PairStoreOverAFailingStore : public testing::TestWithParam<PairFault> {};

TEST_P(PairStoreOverAFailingStore, StoresTheWholePairOrNothing) {
    const PairFault& c = GetParam();
    FaultyScreen s(true);
    s.screen.startUp();
    WriteTextSetting(s.inner, kSettingsRoot, kSettingsKeyPath, kStartStationName, u"서울");
    WriteTextSetting(s.inner, kSettingsRoot, kSettingsKeyPath, kEndStationName, u"대전");
    const auto before = StoredValuesOf(s.inner);
    s.store.failOn(c.step, c.why, c.nth);
    s.screen.form().departureField = u"문산";
    s.screen.form().arrivalField = u"도라산";
    s.screen.search();
    EXPECT_TRUE(SameStoredValues(StoredValuesOf(s.inner), before)) << "half a pair was stored";
    EXPECT_EQ(s.screen.pairStoreStatus(), c.why);

    s.store.clearFaults();
    s.screen.search();
    EXPECT_EQ(s.screen.pairStoreStatus(), c.why) << "the first failure stays until start-up";
    EXPECT_EQ(ReadStationText(s.inner, kStartStationName), u"문산");
    EXPECT_EQ(ReadStationText(s.inner, kEndStationName), u"도라산");
    s.screen.startUp();
    EXPECT_EQ(s.screen.pairStoreStatus(), SettingsStatus::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    MainScreenStoreFaults, PairStoreOverAFailingStore,
    testing::Values(PairFault{"BeginBusy", SettingsStep::Begin, 1, kBusy},
                    PairFault{"FirstWriteFailed", SettingsStep::Set, 1, kFailed},
                    PairFault{"SecondWriteBusy", SettingsStep::Set, 2, kBusy},
                    PairFault{"CommitFailed", SettingsStep::Commit, 1, kFailed}),
    [](const testing::TestParamInfo<PairFault>& info) { return info.param.label; });

}  // namespace
}  // namespace velomar
