#include "screens/favorites.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "network/station_directory.h"
#include "settings/memory_settings.h"
#include "settings/settings_store.h"
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include "settings/sqlite_settings.h"
#endif

namespace velomar {
namespace {

using Snapshot = std::map<std::u16string, std::pair<std::uint32_t, std::vector<std::byte>>>;

Snapshot snapshotOf(SettingsBackend& store) {
    Snapshot all;
    auto key =
        store.openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::CreateForRead);
    for (const StoredValue& value : key->values()) {
        all[FoldNameCase(value.name)] = {value.type, value.data};
    }
    return all;
}

std::optional<std::uint32_t> storedCount(SettingsBackend& store) {
    std::uint32_t value = 0;
    if (!ReadNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kFavoriteCountName, &value)) {
        return std::nullopt;
    }
    return value;
}

void setCount(SettingsBackend& store, std::uint32_t value) {
    WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, kFavoriteCountName, value);
}

void setText(SettingsBackend& store, std::u16string_view name, std::u16string_view text) {
    WriteTextSetting(store, kSettingsRoot, kSettingsKeyPath, name, text);
}

// The stored pair i, or nothing for a side that is not stored.
std::pair<std::optional<std::u16string>, std::optional<std::u16string>> storedPair(
    SettingsBackend& store, int i) {
    return {ReadStationText(store, FavoriteStartName(i)),
            ReadStationText(store, FavoriteEndName(i))};
}

std::pair<std::optional<std::u16string>, std::optional<std::u16string>> pairOf(
    std::u16string_view departure, std::u16string_view arrival) {
    return {std::u16string(departure), std::u16string(arrival)};
}

const std::pair<std::optional<std::u16string>, std::optional<std::u16string>> kGone{};

class FavoritesTest : public testing::Test {
  protected:
    Favorites opened() {
        Favorites dialog(store, sink);
        dialog.start();
        return dialog;
    }

    MemorySettingsBackend store;
    RecordingMessageSink sink;
};

TEST_F(FavoritesTest, EmptyStoreOpensWithDefaultsAndCreatesTheCount) {
    Favorites dialog = opened();
    EXPECT_EQ(storedCount(store), kNoFavoritePairs);
    EXPECT_TRUE(dialog.rows().empty());
    EXPECT_EQ(dialog.departureText(), u"서울");
    EXPECT_EQ(dialog.arrivalText(), u"부산");
    EXPECT_EQ(dialog.GetSelection(), kNoFavoriteChosen);
}

TEST_F(FavoritesTest, FirstAddWritesPairZero) {
    Favorites dialog = opened();
    EXPECT_EQ(dialog.add(u"서울", u"대전"), FavoriteAddOutcome::Added);
    EXPECT_EQ(storedPair(store, 0), pairOf(u"서울", u"대전"));
    EXPECT_EQ(storedCount(store), 0u);
    ASSERT_EQ(dialog.rows().size(), 1u);
    EXPECT_EQ(dialog.rows()[0], (FavoritePair{u"서울", u"대전"}));
    EXPECT_EQ(dialog.checks(), std::vector<bool>{false});
    // Adding does not choose the pair.
    EXPECT_EQ(dialog.GetSelection(), kNoFavoriteChosen);
}

TEST_F(FavoritesTest, TenthPairGoesToNineAndEleventhIsRefusedWithMessage) {
    Favorites dialog = opened();
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(dialog.add(u"서울", GroupEntry(0, i).name), FavoriteAddOutcome::Added);
    }
    EXPECT_EQ(storedCount(store), 9u);
    EXPECT_EQ(storedPair(store, 9), pairOf(u"서울", GroupEntry(0, 9).name));
    EXPECT_TRUE(sink.messages.empty());

    const Snapshot before = snapshotOf(store);
    EXPECT_EQ(dialog.add(u"대전", u"부산"), FavoriteAddOutcome::Full);
    EXPECT_EQ(snapshotOf(store), before);
    EXPECT_EQ(dialog.rows().size(), 10u);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0], (Message{u"10개까지만 등록가능합니다.", u"Info"}));
}

TEST_F(FavoritesTest, CountOutsideTheRangeShowsAtMostTenRowsAndRefusesSilently) {
    setCount(store, 50);
    setText(store, u"FS0", u"서울");
    setText(store, u"FE0", u"부산");
    Favorites dialog = opened();
    EXPECT_EQ(dialog.rows().size(), 10u);
    EXPECT_EQ(dialog.rows()[0], (FavoritePair{u"서울", u"부산"}));
    EXPECT_EQ(dialog.rows()[9], (FavoritePair{}));  // unreadable counts as empty

    const Snapshot before = snapshotOf(store);
    EXPECT_EQ(dialog.add(u"대전", u"부산"), FavoriteAddOutcome::Refused);
    EXPECT_EQ(snapshotOf(store), before);
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(FavoritesTest, OpensOnTheLastPairReadAgain) {
    setCount(store, 1);
    setText(store, u"FS0", u"서울");
    setText(store, u"FE0", u"대전");
    setText(store, u"FS1", u"부산");
    setText(store, u"FE1", u"동대구");
    Favorites dialog = opened();
    ASSERT_EQ(dialog.rows().size(), 2u);
    EXPECT_EQ(dialog.rows()[1], (FavoritePair{u"부산", u"동대구"}));
    EXPECT_EQ(dialog.departureText(), u"부산");
    EXPECT_EQ(dialog.arrivalText(), u"동대구");
}

TEST_F(FavoritesTest, TextsTooLongForTheRoomReadAsEmpty) {
    setCount(store, 0);
    setText(store, u"FS0", u"1234567890123456789");   // 19 characters fit
    setText(store, u"FE0", u"12345678901234567890");  // 20 do not
    Favorites dialog = opened();
    ASSERT_EQ(dialog.rows().size(), 1u);
    EXPECT_EQ(dialog.rows()[0].departure, u"1234567890123456789");
    EXPECT_EQ(dialog.rows()[0].arrival, u"");
    EXPECT_EQ(dialog.arrivalText(), u"");
}

TEST_F(FavoritesTest, CountStoredWithTheWrongSizeIsRewrittenAsEmpty) {
    setText(store, kFavoriteCountName, u"33");  // six bytes, not a number
    Favorites dialog = opened();
    EXPECT_EQ(storedCount(store), kNoFavoritePairs);
    EXPECT_TRUE(dialog.rows().empty());
}

TEST_F(FavoritesTest, DeletingTheOnlyPairEmptiesTheStore) {
    Favorites dialog = opened();
    dialog.add(u"서울", u"대전");
    dialog.rowClicked(0);
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::Deleted);
    EXPECT_EQ(storedPair(store, 0), kGone);
    EXPECT_EQ(storedCount(store), kNoFavoritePairs);
    EXPECT_TRUE(dialog.rows().empty());
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::NoRow);
}

TEST_F(FavoritesTest, DeletingAMiddlePairShiftsTheRest) {
    Favorites dialog = opened();
    dialog.add(u"서울", u"대전");
    dialog.add(u"부산", u"대구");
    dialog.add(u"광주", u"목포");
    dialog.rowClicked(1);
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::Deleted);
    EXPECT_EQ(storedPair(store, 0), pairOf(u"서울", u"대전"));
    EXPECT_EQ(storedPair(store, 1), pairOf(u"광주", u"목포"));
    EXPECT_EQ(storedPair(store, 2), kGone);
    EXPECT_EQ(storedCount(store), 1u);
    EXPECT_EQ(dialog.rows(), (std::vector<FavoritePair>{{u"서울", u"대전"}, {u"광주", u"목포"}}));
    EXPECT_EQ(dialog.checks().size(), 2u);

    // The chosen index now names the row that moved up.
    EXPECT_EQ(dialog.GetSelection(), 1);
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::Deleted);
    EXPECT_EQ(storedPair(store, 1), kGone);
    EXPECT_EQ(storedCount(store), 0u);
    // Nothing moved into place 1 this time: a third delete does nothing.
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::NoRow);
    EXPECT_EQ(storedPair(store, 0), pairOf(u"서울", u"대전"));
}

TEST_F(FavoritesTest, DeleteBeforeAnyClickDoesNothing) {
    Favorites dialog = opened();
    dialog.add(u"서울", u"대전");
    const Snapshot before = snapshotOf(store);
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::NoRow);
    dialog.rowClicked(-1);
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::NoRow);
    EXPECT_EQ(snapshotOf(store), before);
    EXPECT_EQ(dialog.rows().size(), 1u);
}

TEST_F(FavoritesTest, ClickOnAFullRowClearsOtherBoxesOnly) {
    Favorites dialog = opened();
    dialog.add(u"서울", u"대전");
    dialog.add(u"부산", u"대구");
    dialog.add(u"광주", u"목포");
    dialog.setChecked(0, true);
    dialog.setChecked(1, true);
    dialog.setChecked(2, true);
    dialog.rowClicked(1);
    EXPECT_EQ(dialog.GetSelection(), 1);
    EXPECT_EQ(dialog.checks(), (std::vector<bool>{false, true, false}));
    // A click outside the rows clears the choice and leaves the boxes alone.
    dialog.setChecked(0, true);
    dialog.rowClicked(3);
    EXPECT_EQ(dialog.GetSelection(), kNoFavoriteChosen);
    EXPECT_EQ(dialog.checks(), (std::vector<bool>{true, true, false}));
}

TEST_F(FavoritesTest, PairOfEmptyTextsIsStoredAndItsClickClearsNothing) {
    Favorites dialog = opened();
    dialog.add(u"서울", u"대전");
    EXPECT_EQ(dialog.add(u"", u""), FavoriteAddOutcome::Added);
    EXPECT_EQ(storedPair(store, 1), pairOf(u"", u""));
    dialog.setChecked(0, true);
    dialog.rowClicked(1);
    EXPECT_EQ(dialog.GetSelection(), 1);
    EXPECT_EQ(dialog.checks(), (std::vector<bool>{true, false}));

    std::u16string start = u"서울", end = u"대전";
    EXPECT_TRUE(RunFavoritesFlow(store, start, end, [&] {
        return FavoritesOutcome{true, dialog.GetSelection()};
    }));
    EXPECT_EQ(start, u"");
    EXPECT_EQ(end, u"");
}

TEST_F(FavoritesTest, FindRunsThePickerOnTheDialogsTexts) {
    Favorites dialog = opened();
    const bool replaced = dialog.find(false, [](bool departure) {
        EXPECT_FALSE(departure);
        return PickerOutcome{true, {u"대전", u"0010"}};
    });
    EXPECT_TRUE(replaced);
    EXPECT_EQ(dialog.departureText(), u"서울");
    EXPECT_EQ(dialog.arrivalText(), u"대전");
}

struct FormStub {
    std::u16string start = u"수원";
    std::u16string end = u"천안";
    int writes = 0;
    std::u16string& startStation() { return start; }
    std::u16string& endStation() { return end; }
    void WriteForm() { ++writes; }
};

TEST_F(FavoritesTest, ChosenPairIsLoadedIntoTheMainScreen) {
    FormStub screen;
    EXPECT_TRUE(OpenFavoritesFrom(screen, store, [&] {
        Favorites dialog = opened();
        dialog.add(u"서울", u"대전");
        dialog.add(u"부산", u"대구");
        dialog.rowClicked(0);
        dialog.select(u"typed", u"ignored");
        return FavoritesOutcome{true, dialog.GetSelection()};
    }));
    EXPECT_EQ(screen.start, u"서울");
    EXPECT_EQ(screen.end, u"대전");
    EXPECT_EQ(screen.writes, 1);
}

TEST_F(FavoritesTest, SelectWithoutClickLeavesTheMainScreenUnchanged) {
    FormStub screen;
    EXPECT_FALSE(OpenFavoritesFrom(screen, store, [&] {
        Favorites dialog = opened();
        dialog.add(u"서울", u"대전");  // adding does not choose
        return FavoritesOutcome{true, dialog.GetSelection()};
    }));
    EXPECT_EQ(screen.start, u"수원");
    EXPECT_EQ(screen.end, u"천안");
    EXPECT_EQ(screen.writes, 0);
}

TEST_F(FavoritesTest, CancelKeepsTheScreenButNotTheChangesUndone) {
    FormStub screen;
    EXPECT_FALSE(OpenFavoritesFrom(screen, store, [&] {
        Favorites dialog = opened();
        dialog.add(u"서울", u"대전");
        dialog.add(u"부산", u"대구");
        dialog.rowClicked(0);
        dialog.remove();
        return FavoritesOutcome{false, dialog.GetSelection()};
    }));
    EXPECT_EQ(screen.start, u"수원");
    EXPECT_EQ(screen.writes, 0);
    EXPECT_EQ(storedPair(store, 0), pairOf(u"부산", u"대구"));
    EXPECT_EQ(storedCount(store), 0u);
}

TEST_F(FavoritesTest, IndexTenIsAcceptedAndKeepsTheHeldTexts) {
    std::u16string start = u"수원", end = u"천안";
    EXPECT_TRUE(RunFavoritesFlow(store, start, end, [] { return FavoritesOutcome{true, 10}; }));
    EXPECT_EQ(start, u"수원");
    EXPECT_EQ(end, u"천안");
    EXPECT_FALSE(RunFavoritesFlow(store, start, end, [] { return FavoritesOutcome{true, 11}; }));
}

struct ColumnCase {
    int width;
    FavoriteColumns expected;
};

class FavoriteColumnsTest : public testing::TestWithParam<ColumnCase> {};

TEST_P(FavoriteColumnsTest, ByScreenWidth) {
    EXPECT_EQ(FavoriteColumnWidths(GetParam().width), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Widths, FavoriteColumnsTest,
                         testing::Values(ColumnCase{240, {100, 100}}, ColumnCase{320, {140, 141}},
                                         ColumnCase{480, {200, 200}}, ColumnCase{200, {100, 100}},
                                         ColumnCase{319, {100, 100}}, ColumnCase{400, {140, 141}},
                                         ColumnCase{640, {200, 200}}));

// A store with real transactions (a snapshot restored on rollback) into which failures can be
// injected: a failing begin, a failing commit, or a write that fails after some succeeded.
class FaultyStore : public SettingsBackend {
  public:
    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override {
        auto key = inner.openKey(root, path, mode);
        if (!key) {
            return nullptr;
        }
        return std::make_unique<Key>(std::move(key), *this);
    }
    bool beginTransaction() override {
        if (failBegin) {
            return false;
        }
        saved = snapshotOf(inner);
        return true;
    }
    bool commitTransaction() override {
        if (failCommit) {
            restore();
            return false;
        }
        return true;
    }
    void rollbackTransaction() override { restore(); }

    MemorySettingsBackend inner;
    bool failBegin = false;
    bool failCommit = false;
    int writesLeft = -1;  // -1: no write fails

  private:
    class Key : public SettingsKey {
      public:
        Key(std::unique_ptr<SettingsKey> inner, FaultyStore& store)
            : m_inner(std::move(inner)), m_store(store) {}
        QueryResult query(std::u16string_view name, std::span<std::byte> buffer) override {
            return m_inner->query(name, buffer);
        }
        bool set(std::u16string_view name, std::uint32_t type,
                 std::span<const std::byte> data) override {
            if (m_store.writesLeft == 0) {
                return false;
            }
            if (m_store.writesLeft > 0) {
                --m_store.writesLeft;
            }
            return m_inner->set(name, type, data);
        }
        bool remove(std::u16string_view name) override { return m_inner->remove(name); }
        std::vector<StoredValue> values() override { return m_inner->values(); }

      private:
        std::unique_ptr<SettingsKey> m_inner;
        FaultyStore& m_store;
    };

    void restore() {
        auto key = inner.openKey(kSettingsRoot, kSettingsKeyPath, OpenMode::CreateForWrite);
        for (const StoredValue& value : key->values()) {
            key->remove(value.name);
        }
        for (const auto& [name, value] : saved) {
            key->set(name, value.first, value.second);
        }
    }

    Snapshot saved;
};

class FavoritesTransactionTest : public testing::Test {
  protected:
    FavoritesTransactionTest() : dialog(store, sink) {
        dialog.start();
        dialog.add(u"서울", u"대전");
        dialog.add(u"부산", u"대구");
        dialog.add(u"광주", u"목포");
        before = snapshotOf(store.inner);
    }

    FaultyStore store;
    RecordingMessageSink sink;
    Favorites dialog;
    Snapshot before;
};

TEST_F(FavoritesTransactionTest, FailedCommitLeavesStoreAndListUnchanged) {
    store.failCommit = true;
    EXPECT_EQ(dialog.add(u"수원", u"천안"), FavoriteAddOutcome::StoreFailed);
    dialog.rowClicked(0);
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::StoreFailed);
    EXPECT_EQ(snapshotOf(store.inner), before);
    EXPECT_EQ(dialog.rows().size(), 3u);
}

TEST_F(FavoritesTransactionTest, WriteFailingHalfwayLeavesStoreAndListUnchanged) {
    // Adding writes three values, deleting row 0 of three writes five.
    for (int allowed : {0, 1, 2, 3, 4}) {
        store.writesLeft = allowed;
        if (allowed < 3) {
            EXPECT_EQ(dialog.add(u"수원", u"천안"), FavoriteAddOutcome::StoreFailed) << allowed;
        }
        store.writesLeft = allowed;
        dialog.rowClicked(0);
        EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::StoreFailed) << allowed;
        EXPECT_EQ(snapshotOf(store.inner), before) << allowed;
    }
    EXPECT_EQ(dialog.rows().size(), 3u);
}

TEST_F(FavoritesTransactionTest, NoTransactionNoChange) {
    store.failBegin = true;
    EXPECT_EQ(dialog.add(u"수원", u"천안"), FavoriteAddOutcome::StoreFailed);
    dialog.rowClicked(1);
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::StoreFailed);
    EXPECT_EQ(snapshotOf(store.inner), before);

    store.failBegin = false;
    EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::Deleted);
    EXPECT_EQ(storedPair(store, 1), pairOf(u"광주", u"목포"));
}

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
// The same steps on the on-disk store, whose transactions are real. (No SQLite on Windows nor
// in the web build.)
TEST(FavoritesOnDisk, AddAndDeleteInsideTransactions) {
    const std::filesystem::path file =
        std::filesystem::path(testing::TempDir()) / "favorites_test.sqlite3";
    std::filesystem::remove(file);
    {
        auto store = SqliteSettingsBackend::Open(file);
        ASSERT_TRUE(store->usable());
        RecordingMessageSink sink;
        Favorites dialog(*store, sink);
        dialog.start();
        EXPECT_EQ(dialog.add(u"서울", u"대전"), FavoriteAddOutcome::Added);
        EXPECT_EQ(dialog.add(u"부산", u"대구"), FavoriteAddOutcome::Added);
        EXPECT_EQ(dialog.add(u"광주", u"목포"), FavoriteAddOutcome::Added);
        dialog.rowClicked(0);
        EXPECT_EQ(dialog.remove(), FavoriteDeleteOutcome::Deleted);
    }
    auto reopened = SqliteSettingsBackend::Open(file);
    EXPECT_EQ(storedCount(*reopened), 1u);
    EXPECT_EQ(storedPair(*reopened, 0), pairOf(u"부산", u"대구"));
    EXPECT_EQ(storedPair(*reopened, 1), pairOf(u"광주", u"목포"));
    EXPECT_EQ(storedPair(*reopened, 2), kGone);
    reopened.reset();
    std::filesystem::remove(file);
}
#endif

}  // namespace
}  // namespace velomar
