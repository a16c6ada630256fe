#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "settings/settings_backend.h"
#include "settings/sqlite_statement.h"
#include "settings/sqlite_turnstile.h"

namespace velomar {

// What happened to the file at the store's place while opening it.
struct SettingsOpenReport {
    bool opened = false;      // the store is usable
    bool movedAside = false;  // an unusable file was renamed and a fresh store created
    std::filesystem::path movedTo;
    bool foreignDatabase = false;  // another program's database sits there; left untouched
    bool busy = false;             // another program held it locked beyond the busy timeout
    bool damaged = false;          // its reads cannot be trusted (an index that disagrees with the
                                   // values): nothing is read from it or written to it
};

// Marks a database file as ours ("VLMR").
inline constexpr std::int32_t kSettingsApplicationId = 0x564C4D52;
// How long any request waits for a lock another program holds.
inline constexpr std::chrono::milliseconds kSettingsBusyTimeout{5000};

// The registry's keys and values kept in one SQLite database. Names compare ASCII
// case-insensitively through a folded lookup column computed here, never by SQL collation.
// Values are never cached: every read goes to the file, so other processes' writes show.
// Failures are noted on the backend (SettingsBackend::failure): Busy when another program
// held the store locked beyond the busy timeout, Failed for everything else.
class SqliteSettingsBackend : public SettingsBackend {
  public:
    // Never nothing: when the store cannot be opened, the backend still exists and every
    // operation on it fails, as for a key that cannot be opened. `busyTimeout` is for tests.
    static std::unique_ptr<SqliteSettingsBackend> Open(
        const std::filesystem::path& file, SettingsOpenReport* report = nullptr,
        std::chrono::milliseconds busyTimeout = kSettingsBusyTimeout);
    ~SqliteSettingsBackend() override;
    SqliteSettingsBackend(const SqliteSettingsBackend&) = delete;
    SqliteSettingsBackend& operator=(const SqliteSettingsBackend&) = delete;

    bool usable() const { return m_db != nullptr; }
    // Why an unusable store could not be opened: Busy when another program held it locked.
    // Until the first request, failureText() gives SQLite's words for a damaged store.
    SettingsStatus openFailure() const { return m_openFailure; }
    const std::filesystem::path& file() const { return m_file; }
    // The failure of the last request in SQLite's words ("database is locked", "database
    // disk image is malformed"), for messages; empty when it did not fail in SQLite.
    std::string failureText() const override { return m_failureText; }

    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    void rollbackTransaction() override;

    // Used by the keys it hands out.
    sqlite3* db() const { return m_db; }
    bool inTransaction() const { return m_inTransaction; }
    // The statement for `sql` (a string literal), prepared once per connection and taking
    // its lock through the turnstile. Reset when the Statement ends, so it holds no lock.
    sqlite::Statement statement(const char* sql);
    // Notes the failure of a request that ended with SQLite code `rc`.
    void noteCode(int rc);

  private:
    SqliteSettingsBackend(std::filesystem::path file, std::chrono::milliseconds busyTimeout)
        : m_file(std::move(file)), m_lockWait(busyTimeout) {}
    sqlite::LockPath lockPath() { return {m_turnstile.get(), &m_lockWait}; }
    sqlite3_stmt* cachedStatement(const char* sql);
    bool unusable();
    int execTakingLock(const char* sql);

    std::filesystem::path m_file;
    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
    SettingsStatus m_openFailure = SettingsStatus::Failed;
    std::string m_openFailureText;
    std::string m_failureText;
    std::unique_ptr<Turnstile> m_turnstile;
    sqlite::LockWait m_lockWait;
    std::vector<std::pair<const char*, sqlite3_stmt*>> m_statements;
};

}  // namespace velomar
