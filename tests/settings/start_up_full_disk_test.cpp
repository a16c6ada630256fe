// Start-up on a disk that is full, for real: a first start used to store the pair and
// "ResultCount" without the marker, so the next start took itself for a first start again
// and overwrote the pair. Now start-up stores all of it or none. Needs root to mount a small
// tmpfs.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "screens/main_screen.h"
#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"
#include "support/timetable_world.h"

namespace velomar {
namespace {

using testing::TempDir;

struct SmallDisk {
    std::filesystem::path at;
    bool mounted = false;
    explicit SmallDisk(std::filesystem::path where) : at(std::move(where)) {
        std::filesystem::create_directories(at);
        mounted = ::geteuid() == 0 && ::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=128k") == 0;
    }
    ~SmallDisk() {
        if (mounted) {
            ::umount2(at.c_str(), MNT_DETACH);
        }
    }
    void fill() const {
        std::ofstream filler(at / "filler", std::ios::binary);
        const std::string block(1024, 'x');
        while (filler.write(block.data(), block.size())) {
        }
    }
    void makeRoom() const { std::filesystem::remove(at / "filler"); }
    // Fills the disk up to `room` bytes.
    void leave(std::uintmax_t room) const {
        const auto free = std::filesystem::space(at).available;
        std::ofstream filler(at / "filler", std::ios::binary);
        const std::string block(1024, 'x');
        for (std::uintmax_t n = 0; n + room + block.size() <= free; n += block.size()) {
            filler.write(block.data(), block.size());
        }
    }
};

// Start-up, then a search for 문산 -> 도라산 (which stores the pair when it ends).
SettingsRestore startUpOn(SettingsBackend& store, bool search = false) {
    testing_support::TimetableWorld world;
    world.addFile(6, Direction::Down, testing_support::kHourlyRoute6);
    FixedClock clock{{7, 0}};
    ResultRows list;
    MainScreen screen(Layout::Portrait,
                      {store,
                       world.directory,
                       world.grid,
                       world.messages,
                       clock,
                       {480, 800},
                       world.squareDialogShown},
                      list);
    screen.startUp();
    if (search) {
        screen.form().departureField = u"문산";
        screen.form().arrivalField = u"도라산";
        screen.search();
    }
    return screen.settingsRestore();
}

TEST(StartUpFullDisk, AFirstStartIsStoredWholeOrNotAtAll) {
    TempDir dir;
    const SmallDisk disk(dir / "small");
    if (!disk.mounted) {
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
    }
    const auto file = disk.at / "settings.sqlite3";
    auto store = SqliteSettingsBackend::Open(file);  // the empty store of a first start
    ASSERT_TRUE(store->usable());
    disk.fill();

    // The transaction cannot even begin (no room for its journal): nothing is written.
    EXPECT_EQ(startUpOn(*store).read, SettingsStatus::Failed);
    std::vector<StoredValue> values;
    ASSERT_EQ(TryListSettings(*store, kSettingsRoot, kSettingsKeyPath, values), SettingsStatus::Ok);
    EXPECT_TRUE(values.empty()) << values.size() << " values stored without the rest";

    // With room again the next start is a first start, stored whole; the user's pair then
    // survives every later start.
    disk.makeRoom();
    EXPECT_TRUE(startUpOn(*store).ok());
    ASSERT_TRUE(
        WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, kStartStationName, u"용산"));
    disk.fill();
    startUpOn(*store);  // may or may not find room for its journal: the pair stays either way
    EXPECT_EQ(ReadStationText(*store, kStartStationName), u"용산");
    disk.makeRoom();
    EXPECT_TRUE(startUpOn(*store).ok());
    EXPECT_EQ(ReadStationText(*store, kStartStationName), u"용산");
    std::uint32_t marker = 0;
    EXPECT_TRUE(
        ReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName, &marker));
    EXPECT_EQ(marker, kFirstRunMarker);
}

// With little room, start-up may store nothing and the pair after the search still find
// room: then the pair comes with the first start's marker, never without it (the next start
// would take the store for new and overwrite the pair). Every amount of room is tried, from
// none to enough.
TEST(StartUpFullDisk, APairIsNeverStoredWithoutTheFirstStartMarker) {
    TempDir dir;
    const SmallDisk disk(dir / "small");
    if (!disk.mounted) {
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
    }
    const auto file = disk.at / "settings.sqlite3";
    int pairsStored = 0;
    for (std::uintmax_t room = 0; room <= 64 * 1024; room += 2048) {
        std::filesystem::remove(file);
        std::filesystem::remove(file.string() + "-journal");
        auto store = SqliteSettingsBackend::Open(file);
        ASSERT_TRUE(store->usable());
        disk.leave(room);
        startUpOn(*store, true);
        disk.makeRoom();
        const auto pair = ReadStationText(*store, kStartStationName);
        std::uint32_t marker = 0;
        ReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, kFirstRunMarkerName, &marker);
        if (pair) {
            ++pairsStored;
            EXPECT_EQ(marker, kFirstRunMarker) << "the pair without the marker, " << room << " B";
            EXPECT_TRUE(startUpOn(*store).ok());
            EXPECT_EQ(ReadStationText(*store, kStartStationName), u"문산") << room << " B";
        }
    }
    EXPECT_GT(pairsStored, 0);
}

}  // namespace
}  // namespace velomar
