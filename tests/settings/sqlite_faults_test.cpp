// Real faults of the SQLite store: damage the quick check on opening does not see, another
// program holding the lock beyond the busy timeout, a disk that fills up. For each: what the
// operations say, and that no stored value changed.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>

#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"
#include "support/sqlite_store_faults.h"

namespace velomar {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;
using testing_support::CorruptValueIndex;
using testing_support::HideLastIndexEntry;
using testing_support::StoredRowsOf;
using testing_support::StoreLockHolder;
using Status = SettingsStatus;

constexpr auto kShortTimeout = 300ms;

// 23 values, as a store holds after a few favourites: FS0..FS10, FE0..FE10, ResultCount.
void Seed(const std::filesystem::path& file) {
    auto store = SqliteSettingsBackend::Open(file);
    for (int i = 0; i <= 10; ++i) {
        ASSERT_TRUE(WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, FavoriteStartName(i),
                                     u"문산"));
        ASSERT_TRUE(WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, FavoriteEndName(i),
                                     u"도라산"));
    }
    ASSERT_TRUE(WriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, kResultCountName, 7));
}

// A store whose index disagrees with its values cannot be trusted for any read, a missing
// value included: the full check on opening finds it, and nothing is read from it or written
// to it. Entries that lead nowhere fail in SQLite too; one that names another key would hide
// its value without any error.
TEST(SqliteFaults, DamageTheQuickCheckMissesFailsReadsInsteadOfHidingValues) {
    for (const bool hidden : {false, true}) {
        TempDir dir;
        const auto file = dir / "settings.sqlite3";
        Seed(file);
        ASSERT_TRUE(WriteNumberSetting(*SqliteSettingsBackend::Open(file), kSettingsRoot,
                                       kSettingsKeyPath, kFirstRunMarkerName, kFirstRunMarker));
        const auto before = StoredRowsOf(file);
        ASSERT_EQ(before.size(), 24u);
        ASSERT_TRUE(hidden ? HideLastIndexEntry(file) : CorruptValueIndex(file));

        SettingsOpenReport report;
        auto store = SqliteSettingsBackend::Open(file, &report);
        EXPECT_TRUE(report.damaged) << hidden;
        EXPECT_FALSE(report.opened || report.movedAside) << hidden;
        EXPECT_EQ(store->failureText(), "database disk image is malformed");
        std::vector<StoredValue> values;
        EXPECT_EQ(TryListSettings(*store, kSettingsRoot, kSettingsKeyPath, values), Status::Failed);
        EXPECT_TRUE(values.empty()) << "never a part of the values passed off as all";
        std::uint32_t number = 0;
        for (const std::u16string_view name : {kFirstRunMarkerName, kResultCountName}) {
            EXPECT_EQ(TryReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, name, &number),
                      Status::Failed);
        }
        EXPECT_EQ(
            TryWriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, kEndStationName, u"부산"),
            Status::Failed);
        EXPECT_EQ(store->failureText(), "database disk image is malformed");
        store.reset();
        EXPECT_EQ(StoredRowsOf(file), before);
    }
}

// Another program holds the write lock (others may read) past the busy timeout.
TEST(SqliteFaults, AWriteLockHeldElsewhereMakesWritesBusyAndLeavesReads) {
    TempDir dir;
    const auto file = dir / "settings.sqlite3";
    Seed(file);
    const auto before = StoredRowsOf(file);
    StoreLockHolder other(file, "BEGIN IMMEDIATE");
    auto store = SqliteSettingsBackend::Open(file, nullptr, kShortTimeout);
    ASSERT_TRUE(other.hold());

    char16_t text[20] = {};
    EXPECT_EQ(TryReadTextSetting(*store, kSettingsRoot, kSettingsKeyPath, u"FS0", text, 20),
              Status::Ok);
    EXPECT_EQ(TryDeleteSetting(*store, kSettingsRoot, kSettingsKeyPath, u"FS0"), Status::Busy);
    EXPECT_EQ(TryWriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"X", 1),
              Status::Busy);
    SettingsTransaction transaction(*store);
    EXPECT_EQ(transaction.beginStatus(), Status::Busy);
    EXPECT_EQ(store->failureText(), "database is locked");
    other.release();
    EXPECT_EQ(StoredRowsOf(file), before);
    EXPECT_EQ(TryDeleteSetting(*store, kSettingsRoot, kSettingsKeyPath, u"FS0"), Status::Ok);
}

// Nobody may even read: opening meets the lock too.
TEST(SqliteFaults, AnExclusiveLockHeldElsewhereMakesEverythingBusy) {
    TempDir dir;
    const auto file = dir / "settings.sqlite3";
    Seed(file);
    const auto before = StoredRowsOf(file);
    StoreLockHolder other(file, "BEGIN EXCLUSIVE");
    ASSERT_TRUE(other.hold());
    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(file, &report, kShortTimeout);
    EXPECT_FALSE(report.opened);
    EXPECT_TRUE(report.busy);
    EXPECT_FALSE(report.movedAside) << "a busy store is never taken for a broken one";
    std::uint32_t number = 1;
    EXPECT_EQ(
        TryReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, kResultCountName, &number),
        Status::Busy);
    EXPECT_EQ(number, 1u);
    std::vector<StoredValue> values;
    EXPECT_EQ(TryListSettings(*store, kSettingsRoot, kSettingsKeyPath, values), Status::Busy);
    EXPECT_EQ(TryDeleteSetting(*store, kSettingsRoot, kSettingsKeyPath, u"FS0"), Status::Busy);
    other.release();
    EXPECT_EQ(StoredRowsOf(file), before);
}

// Read-then-write steps start with the write lock, so none can find itself holding a read
// lock it cannot turn into a write lock while another writer waits.
TEST(SqliteFaults, ATransactionHoldsTheWriteLockFromItsStart) {
    TempDir dir;
    const auto file = dir / "settings.sqlite3";
    Seed(file);
    auto store = SqliteSettingsBackend::Open(file);
    ASSERT_TRUE(store->beginTransaction());
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_BUSY);
    sqlite3_close(other);
    store->rollbackTransaction();
}

// A store on a file system that fills up: writes fail, nothing stored is lost, and once
// there is room again everything works. Needs root to mount a small tmpfs.
TEST(SqliteFaults, AFullDiskFailsWritesAndLosesNothing) {
    TempDir dir;
    const auto mountPoint = dir / "small";
    std::filesystem::create_directories(mountPoint);
    if (::geteuid() != 0 || ::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=256k") != 0) {
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
    }
    struct Unmount {
        std::filesystem::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{mountPoint};
    const auto file = mountPoint / "settings.sqlite3";
    Seed(file);
    const auto before = StoredRowsOf(file);
    {
        // Fill what is left.
        std::ofstream filler(mountPoint / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), block.size())) {
        }
    }
    auto store = SqliteSettingsBackend::Open(file);
    const std::u16string big(2000, u'가');
    Status status = Status::Ok;
    for (int i = 0; i < 100 && status == Status::Ok; ++i) {
        status = TryWriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath,
                                     u"Big" + FavoriteStartName(i), big);
    }
    EXPECT_EQ(status, Status::Failed);
    EXPECT_NE(store->failureText().find("full"), std::string::npos) << store->failureText();
    auto rows = StoredRowsOf(file);
    for (const auto& [name, data] : before) {
        EXPECT_EQ(rows[name], data) << name;
    }
    std::filesystem::remove(mountPoint / "filler");
    EXPECT_EQ(TryWriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"After", 1),
              Status::Ok);
}

TEST(SqliteFaults, DevFullAsTheStoreCannotBeOpened) {
    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open("/dev/full", &report);
    EXPECT_FALSE(report.opened);
    EXPECT_FALSE(report.movedAside);
    EXPECT_EQ(TryWriteNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"X", 1),
              Status::Failed);
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

}  // namespace
}  // namespace velomar
