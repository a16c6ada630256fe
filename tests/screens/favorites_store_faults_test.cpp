// The favourites rules over a store that cannot answer: a store that cannot be read is never
// taken for one without pairs, a change is stored whole or not at all, and the rows the
// dialog shows are the stored pairs.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "screens/favorites.h"
#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#include "support/faulty_settings.h"

namespace velomar {
namespace {

using testing_support::FaultySettingsBackend;
using testing_support::SettingsStep;

using testing_support::SameStoredValues;
using testing_support::StoredValuesOf;

// The pairs as the store holds them, read the way a fresh dialog reads them.
std::vector<FavoritePair> storedRows(SettingsBackend& store) {
    RecordingMessageSink sink;
    Favorites fresh(store, sink);
    fresh.start();
    return fresh.rows();
}

struct FavoritesOverFaults {
    MemorySettingsBackend inner;
    FaultySettingsBackend store{inner, /*snapshots=*/true};
    RecordingMessageSink sink;

    FavoritesOverFaults() {
        Favorites seed(inner, sink);
        seed.start();
        seed.add(u"서울", u"부산");
        seed.add(u"용산", u"목포");
        seed.add(u"청량리", u"강릉");
    }
};

struct OpenFault {
    const char* label;
    SettingsStep step;
    int nth;
    SettingsStatus why;
    friend void PrintTo(const OpenFault& c, std::ostream* out) { *out << c.label; }
};

class FavoritesOpenOverFaults : public testing::TestWithParam<OpenFault> {};

// The count read failing used to be taken for "no count yet" and stored as "no pairs".
TEST_P(FavoritesOpenOverFaults, ChangesNothingAndShowsNoRowItDidNotRead) {
    const OpenFault& c = GetParam();
    FavoritesOverFaults f;
    const auto before = StoredValuesOf(f.inner);
    f.store.failOn(c.step, c.why, c.nth);
    Favorites dialog(f.store, f.sink);
    dialog.start();
    EXPECT_TRUE(SameStoredValues(StoredValuesOf(f.inner), before)) << "a value changed";
    EXPECT_TRUE(dialog.rows().empty() || dialog.rows() == storedRows(f.inner));

    // The store answers again: an add stores the fourth pair, and the rows are the stored ones.
    f.store.clearFaults();
    EXPECT_EQ(dialog.add(u"수원", u"천안"), FavoriteAddOutcome::Added);
    EXPECT_EQ(dialog.rows(), storedRows(f.inner));
    ASSERT_EQ(dialog.rows().size(), 4u);
    EXPECT_EQ(dialog.rows()[3], (FavoritePair{u"수원", u"천안"}));
}

using testing_support::kBusy;
using testing_support::kFailed;

INSTANTIATE_TEST_SUITE_P(
    FavoritesStoreFaults, FavoritesOpenOverFaults,
    testing::Values(OpenFault{"BeginBusy", SettingsStep::Begin, 1, kBusy},
                    OpenFault{"CountBusy", SettingsStep::Query, 1, kBusy},
                    OpenFault{"CountFailed", SettingsStep::Query, 1, kFailed},
                    OpenFault{"SecondRowFailed", SettingsStep::Query, 4, kFailed}),
    [](const testing::TestParamInfo<OpenFault>& info) { return info.param.label; });

// Deleting moves the later pairs up; a pair the store could not read must not move up as
// blanks, and a delete it could not do must not be passed over.
TEST(FavoritesStoreFaults, DeleteStopsAtTheFirstStepTheStoreCannotDo) {
    for (const SettingsStep step : {SettingsStep::Query, SettingsStep::Remove}) {
        for (int nth = 1; nth <= 6; ++nth) {
            FavoritesOverFaults f;
            Favorites dialog(f.store, f.sink);
            dialog.start();
            const auto before = StoredValuesOf(f.inner);
            dialog.rowClicked(0);
            f.store.failOn(step, kFailed, nth);
            const FavoriteDeleteOutcome outcome = dialog.remove();
            const bool failed = f.store.calls(step) >= nth;
            EXPECT_EQ(outcome,
                      failed ? FavoriteDeleteOutcome::StoreFailed : FavoriteDeleteOutcome::Deleted)
                << testing_support::SettingsStepName(step) << ' ' << nth;
            if (failed) {
                EXPECT_TRUE(SameStoredValues(StoredValuesOf(f.inner), before));
            }
            EXPECT_EQ(dialog.rows(), storedRows(f.inner));
        }
    }
}

TEST(FavoritesStoreFaults, AddOverAnUnreadableCountStoresNothing) {
    FavoritesOverFaults f;
    Favorites dialog(f.store, f.sink);
    dialog.start();
    const auto before = StoredValuesOf(f.inner);
    f.store.failOn(SettingsStep::Query, kFailed, 1);
    EXPECT_EQ(dialog.add(u"수원", u"천안"), FavoriteAddOutcome::StoreFailed);
    EXPECT_TRUE(SameStoredValues(StoredValuesOf(f.inner), before));
    EXPECT_EQ(dialog.rows(), storedRows(f.inner));
}

}  // namespace
}  // namespace velomar
