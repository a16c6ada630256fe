// What only the SQLite store has: a file, other processes, damaged and foreign files.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "settings/settings_path.h"
#include "settings/settings_store.h"
#include "settings/sqlite_settings.h"
#include "settings_test_support.h"

namespace velomar {
namespace {

using testing::ChildProcess;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

using testing::ReadNumber;

bool WriteNumber(SettingsBackend& store, std::u16string_view name, std::uint32_t value) {
    return WriteNumberSetting(store, kSettingsRoot, kSettingsKeyPath, name, value);
}

// Runs SQL on a file with a plain connection, as another program would.
void RunSql(const std::filesystem::path& file, const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

std::int64_t PragmaInteger(const std::filesystem::path& file, const char* pragma) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, pragma, -1, &stmt, nullptr);
    std::int64_t value = -1;
    if (sqlite3_step(stmt) == SQLITE_ROW) {
        value = sqlite3_column_int64(stmt, 0);
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return value;
}

std::vector<std::filesystem::path> MovedAside(const TempDir& dir) {
    std::vector<std::filesystem::path> found;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        if (entry.path().filename().string().find(".broken-") != std::string::npos) {
            found.push_back(entry.path());
        }
    }
    return found;
}

TEST(SqliteSettings, CreatesMissingDirectoriesAndMarksTheFile) {
    TempDir dir;
    const auto file = dir / "a" / "b" / "settings.sqlite3";
    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(file, &report);
    EXPECT_TRUE(report.opened);
    EXPECT_FALSE(report.movedAside);
    ASSERT_TRUE(WriteNumber(*store, u"X", 1));
    store.reset();
    EXPECT_EQ(PragmaInteger(file, "PRAGMA application_id"), kSettingsApplicationId);
    EXPECT_FALSE(std::filesystem::exists(file.string() + "-wal")) << "rollback journal only";
}

TEST(SqliteSettings, ValuesPersistAcrossReopening) {
    TempDir dir;
    {
        auto store = SqliteSettingsBackend::Open(dir / "s.db");
        ASSERT_TRUE(WriteNumber(*store, kResultCountName, 14));
        ASSERT_TRUE(
            WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, kEndStationName, u"대전"));
    }
    auto store = SqliteSettingsBackend::Open(dir / "s.db");
    EXPECT_EQ(ReadNumber(*store, kResultCountName), 14u);
    EXPECT_EQ(ReadStationText(*store, kEndStationName), u"대전");
}

TEST(SqliteSettings, AnotherProcessWriteIsSeenAtTheNextRead) {
    TempDir dir;
    ChildProcess child([&] {
        auto other = SqliteSettingsBackend::Open(dir / "s.db");
        return WriteNumber(*other, kResultCountName, 14);
    });
    auto store = SqliteSettingsBackend::Open(dir / "s.db");
    ASSERT_TRUE(WriteNumber(*store, kResultCountName, 9));
    EXPECT_EQ(ReadNumber(*store, kResultCountName), 9u);
    child.go();
    ASSERT_EQ(child.wait(), 0);
    EXPECT_EQ(ReadNumber(*store, kResultCountName), 14u);
}

TEST(SqliteSettings, AWriterWaitsForAnotherProcessTransaction) {
    TempDir dir;
    ChildProcess child([&] {
        // Busy while the parent holds its transaction: this must wait, not fail.
        auto other = SqliteSettingsBackend::Open(dir / "s.db");
        return WriteNumber(*other, u"FS0", 1) && ReadNumber(*other, u"FavoriteCount") == 0u;
    });
    auto store = SqliteSettingsBackend::Open(dir / "s.db");
    ASSERT_TRUE(WriteNumber(*store, u"FavoriteCount", 100));
    ASSERT_TRUE(store->beginTransaction());
    ASSERT_TRUE(WriteNumber(*store, u"FavoriteCount", 0));
    child.go();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(store->commitTransaction());
    EXPECT_EQ(child.wait(), 0);
    EXPECT_EQ(ReadNumber(*store, u"FS0"), 1u);
}

TEST(SqliteSettings, OpeningWaitsForAWriterInsteadOfMovingTheFileAside) {
    TempDir dir;
    const auto file = dir / "s.db";
    {
        auto store = SqliteSettingsBackend::Open(file);
        ASSERT_TRUE(WriteNumber(*store, u"X", 1));
    }
    auto holder = SqliteSettingsBackend::Open(file);
    ASSERT_TRUE(holder->beginTransaction());
    ASSERT_TRUE(WriteNumber(*holder, u"X", 2));
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        holder->commitTransaction();
    });
    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(file, &report);
    release.join();
    EXPECT_TRUE(report.opened);
    EXPECT_FALSE(report.movedAside);
    EXPECT_EQ(ReadNumber(*store, u"X"), 2u);
}

TEST(SqliteSettings, RolledBackTransactionLeavesNothing) {
    TempDir dir;
    auto store = SqliteSettingsBackend::Open(dir / "s.db");
    ASSERT_TRUE(WriteNumber(*store, kFavoriteCountName, 100));
    {
        SettingsTransaction transaction(*store);
        ASSERT_TRUE(transaction.active());
        ASSERT_TRUE(WriteNumber(*store, kFavoriteCountName, 0));
        ASSERT_TRUE(WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, u"FS0", u"서울"));
        ASSERT_TRUE(WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, u"FE0", u"부산"));
        // No commit.
    }
    EXPECT_EQ(ReadNumber(*store, kFavoriteCountName), 100u);
    EXPECT_FALSE(ReadStationText(*store, u"FS0"));
    EXPECT_FALSE(ReadStationText(*store, u"FE0"));

    {
        SettingsTransaction transaction(*store);
        ASSERT_TRUE(WriteNumber(*store, kFavoriteCountName, 0));
        ASSERT_TRUE(WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, u"FS0", u"서울"));
        EXPECT_TRUE(transaction.commit());
    }
    auto reopened = SqliteSettingsBackend::Open(dir / "s.db");
    EXPECT_EQ(ReadNumber(*reopened, kFavoriteCountName), 0u);
    EXPECT_EQ(ReadStationText(*reopened, u"FS0"), u"서울");
}

TEST(SqliteSettings, TransactionCreatingTheKeyRollsBackToo) {
    TempDir dir;
    auto store = SqliteSettingsBackend::Open(dir / "s.db");
    ASSERT_TRUE(store->beginTransaction());
    EXPECT_FALSE(store->beginTransaction()) << "no nesting";
    ASSERT_TRUE(WriteNumber(*store, u"X", 1));
    store->rollbackTransaction();
    EXPECT_FALSE(
        store->openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::Existing));
}

TEST(SqliteSettings, UnopenablePlacesFailWithoutCrashing) {
    TempDir dir;
    WriteBytes(dir / "plain", "not a directory");
    std::filesystem::create_directories(dir / "a-directory");
    for (const std::filesystem::path& place :
         {dir / "plain" / "settings.db", std::filesystem::path("/proc/velomar-test/settings.db"),
          dir / "a-directory", std::filesystem::path()}) {
        SCOPED_TRACE(place.string());
        SettingsOpenReport report;
        auto store = SqliteSettingsBackend::Open(place, &report);
        ASSERT_TRUE(store);
        EXPECT_FALSE(report.opened);
        EXPECT_FALSE(report.movedAside);
        EXPECT_FALSE(store->usable());
        EXPECT_FALSE(WriteNumber(*store, u"X", 1));
        EXPECT_FALSE(ReadNumber(*store, u"X"));
        EXPECT_FALSE(store->beginTransaction());
    }
    EXPECT_EQ(ReadBytes(dir / "plain"), "not a directory");
    EXPECT_TRUE(std::filesystem::is_directory(dir / "a-directory"));
}

TEST(SqliteSettings, ZeroLengthFileBecomesTheStore) {
    TempDir dir;
    WriteBytes(dir / "s.db", "");
    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(dir / "s.db", &report);
    EXPECT_TRUE(report.opened);
    EXPECT_FALSE(report.movedAside);
    EXPECT_TRUE(WriteNumber(*store, u"X", 1));
    EXPECT_TRUE(MovedAside(dir).empty());
}

struct BrokenCase {
    std::string label;
    std::function<void(const std::filesystem::path&)> damage;
};

// A store of ours with a few values, damaged afterwards.
void MakeStore(const std::filesystem::path& file) {
    auto store = SqliteSettingsBackend::Open(file);
    SettingsTransaction transaction(*store);
    for (int i = 0; i < 200; ++i) {
        WriteTextSetting(*store, kSettingsRoot, kSettingsKeyPath, FavoriteStartName(i),
                         u"서울서울서울서울서울서울서울서울서울");
    }
    transaction.commit();
}

class BrokenStoreFile : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenStoreFile, IsMovedAsideAndAFreshStoreWorks) {
    TempDir dir;
    const auto file = dir / "settings.db";
    GetParam().damage(file);
    const std::string before = ReadBytes(file);

    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(file, &report);
    ASSERT_TRUE(report.opened);
    ASSERT_TRUE(report.movedAside);
    EXPECT_EQ(ReadBytes(report.movedTo), before) << "moved, never changed";
    EXPECT_EQ(MovedAside(dir), std::vector<std::filesystem::path>{report.movedTo});
    const std::string name = report.movedTo.filename().string();
    EXPECT_TRUE(name.starts_with("settings.db.broken-")) << name;
    EXPECT_EQ(name.size(), std::string("settings.db.broken-20240101-120000").size()) << name;

    EXPECT_FALSE(ReadNumber(*store, u"FS0"));
    EXPECT_TRUE(WriteNumber(*store, u"X", 5));
    EXPECT_EQ(ReadNumber(*store, u"X"), 5u);

    // Opening again finds the fresh store, nothing more is moved.
    SettingsOpenReport again;
    auto reopened = SqliteSettingsBackend::Open(file, &again);
    EXPECT_FALSE(again.movedAside);
    EXPECT_EQ(ReadNumber(*reopened, u"X"), 5u);
}

INSTANTIATE_TEST_SUITE_P(
    Damage, BrokenStoreFile,
    ::testing::Values(BrokenCase{"TextFile",
                                 [](const auto& file) { WriteBytes(file, "StartStation=서울\n"); }},
                      BrokenCase{"ShortHeader",
                                 [](const auto& file) {
                                     WriteBytes(file, std::string("SQLite format 3\0", 16));
                                 }},
                      BrokenCase{"TruncatedStore",
                                 [](const auto& file) {
                                     MakeStore(file);
                                     std::filesystem::resize_file(
                                         file, std::filesystem::file_size(file) / 2);
                                 }},
                      BrokenCase{"CorruptPages",
                                 [](const auto& file) {
                                     MakeStore(file);
                                     std::string bytes = ReadBytes(file);
                                     for (std::size_t i = 4096; i < bytes.size(); ++i) {
                                         bytes[i] = static_cast<char>(i * 7);
                                     }
                                     WriteBytes(file, bytes);
                                 }}),
    [](const auto& info) { return info.param.label; });

TEST(SqliteSettings, SecondBrokenFileGetsItsOwnName) {
    TempDir dir;
    const auto file = dir / "s.db";
    WriteBytes(file, "first");
    SettingsOpenReport first;
    SqliteSettingsBackend::Open(file, &first);
    std::filesystem::remove(file);
    WriteBytes(file, "second");
    SettingsOpenReport second;
    SqliteSettingsBackend::Open(file, &second);
    ASSERT_TRUE(first.movedAside && second.movedAside);
    EXPECT_EQ(ReadBytes(first.movedTo), "first");
    EXPECT_EQ(ReadBytes(second.movedTo), "second");
}

TEST(SqliteSettings, AnotherProgramsDatabaseIsNeverTouched) {
    TempDir dir;
    for (const char* setup :
         {"CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT);"
          "INSERT INTO notes (body) VALUES ('keep me');",
          "PRAGMA application_id = 1234; CREATE TABLE t (x);",
          "PRAGMA journal_mode = WAL; CREATE TABLE t (x); INSERT INTO t VALUES (1);",
          "PRAGMA application_id = 99; PRAGMA user_version = 3;"}) {
        SCOPED_TRACE(setup);
        const auto file = dir / "other.db";
        std::filesystem::remove(file);
        RunSql(file, setup);
        const std::string before = ReadBytes(file);

        SettingsOpenReport report;
        auto store = SqliteSettingsBackend::Open(file, &report);
        EXPECT_FALSE(report.opened);
        EXPECT_TRUE(report.foreignDatabase);
        EXPECT_FALSE(report.movedAside);
        std::uint32_t number = 7;
        EXPECT_FALSE(ReadNumberSetting(*store, kSettingsRoot, kSettingsKeyPath, u"X", &number));
        EXPECT_EQ(number, 7u);
        EXPECT_FALSE(WriteNumber(*store, u"X", 1));
        store.reset();
        EXPECT_EQ(ReadBytes(file), before);
        EXPECT_TRUE(MovedAside(dir).empty());
    }
}

TEST(SqliteSettings, StoreSwitchedToWalGoesBackToTheRollbackJournal) {
    TempDir dir;
    const auto file = dir / "s.db";
    {
        auto store = SqliteSettingsBackend::Open(file);
        ASSERT_TRUE(WriteNumber(*store, u"X", 1));
    }
    RunSql(file, "PRAGMA journal_mode = WAL");
    auto store = SqliteSettingsBackend::Open(file);
    EXPECT_EQ(ReadNumber(*store, u"X"), 1u);
    store.reset();
    EXPECT_FALSE(std::filesystem::exists(file.string() + "-wal"));
}

// ---- Where the store lives -------------------------------------------------------------

class SettingsPathEnv : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            m_saved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
    }
    void TearDown() override {
        for (const auto& [name, value] : m_saved) {
            if (value) {
                ::setenv(name, value->c_str(), 1);
            } else {
                ::unsetenv(name);
            }
        }
    }
    static constexpr const char* kNames[] = {"VELOMAR_SETTINGS", "XDG_CONFIG_HOME", "HOME"};
    std::vector<std::pair<const char*, std::optional<std::string>>> m_saved;
};

TEST_F(SettingsPathEnv, FollowsTheEnvironmentInOrder) {
    ::setenv("HOME", "/home/k", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/home/k/.config/velomar/settings.sqlite3");
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/home/k/.config/velomar/settings.sqlite3");
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/cfg/velomar/settings.sqlite3");
    ::setenv("VELOMAR_SETTINGS", "", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/cfg/velomar/settings.sqlite3");
    ::setenv("VELOMAR_SETTINGS", "/tmp/mine.db", 1);
    EXPECT_EQ(DefaultSettingsPath(), "/tmp/mine.db");
}

TEST_F(SettingsPathEnv, NoHomeMeansNoStore) {
    EXPECT_EQ(DefaultSettingsPath(), std::filesystem::path());
}

}  // namespace
}  // namespace velomar

namespace velomar {
namespace {

// A writer that died mid-transaction leaves a hot journal and a half-written file; even with
// the header torn, SQLite's recovery brings the store back, so it must not be moved aside.
TEST(SqliteSettings, InterruptedWriteIsRecoveredNotMovedAside) {
    TempDir dir;
    const auto file = dir / "s.db";
    MakeStore(file);
    ChildProcess crash([&] {
        sqlite3* db = nullptr;
        sqlite3_open(file.c_str(), &db);
        // A one-page cache makes the changes spill into the file before any commit.
        sqlite3_exec(db,
                     "PRAGMA cache_size = 1; BEGIN;"
                     " UPDATE settings_values SET data = randomblob(300);"
                     " PRAGMA user_version = 77;",
                     nullptr, nullptr, nullptr);
        return true;  // exits with the transaction open: no rollback, no commit
    });
    crash.go();
    ASSERT_EQ(crash.wait(), 0);
    ASSERT_TRUE(std::filesystem::exists(file.string() + "-journal"));
    std::string bytes = ReadBytes(file);
    bytes.replace(0, 16, "torn header.....");
    WriteBytes(file, bytes);

    SettingsOpenReport report;
    auto store = SqliteSettingsBackend::Open(file, &report);
    EXPECT_TRUE(report.opened);
    EXPECT_FALSE(report.movedAside);
    EXPECT_EQ(ReadStationText(*store, FavoriteStartName(7)),
              u"서울서울서울서울서울서울서울서울서울");
}

}  // namespace
}  // namespace velomar
