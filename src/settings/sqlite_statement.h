#pragma once

// The few SQLite calls the settings store is made of, with the write lock taken through the
// turnstile whenever a call may have to wait for it.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings_backend.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velomar {

class Turnstile;

namespace sqlite {

// Waits for another connection's lock in short steps up to a time limit. SQLite's own
// handler sleeps up to 100 ms at a time, long enough to miss every moment the lock is free.
class LockWait {
  public:
    explicit LockWait(std::chrono::milliseconds timeout) : m_timeout(timeout) {}
    void install(sqlite3* db);
    std::chrono::milliseconds timeout() const { return m_timeout; }
    // The next waits count from `began` rather than from their own start: time spent at the
    // turnstile is part of the one timeout.
    void countFrom(std::chrono::steady_clock::time_point began) { m_countFrom = began; }
    void countFromEachWait() { m_countFrom.reset(); }

  private:
    static int wait(void* self, int count);
    std::chrono::milliseconds m_timeout;
    std::chrono::steady_clock::time_point m_began;
    std::optional<std::chrono::steady_clock::time_point> m_countFrom;
};

// Where a statement takes the store's lock: the turnstile to pass first and the wait that
// follows it. Without a turnstile the statement only waits.
struct LockPath {
    Turnstile* turnstile = nullptr;
    LockWait* wait = nullptr;
};

// Passes the turnstile for a call that may have to wait for the lock, and gives that wait
// only what is left of the timeout.
class LockTurn {
  public:
    explicit LockTurn(LockPath lock);
    ~LockTurn();
    LockTurn(const LockTurn&) = delete;
    LockTurn& operator=(const LockTurn&) = delete;

  private:
    LockPath m_lock;
    bool m_inside = false;
};

// Busy for a lock another program held beyond the timeout, Failed for everything else.
SettingsStatus StatusOfCode(int rc);

// The connection holds no lock now: no transaction, no statement part-way through.
bool HoldsNoLock(sqlite3* db);

// One prepared statement for one call. Either prepared here and finalized at the end, or
// borrowed from the connection's cache and reset at the end; either way no lock outlives it.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql, LockPath lock = {});
    Statement(sqlite3* db, sqlite3_stmt* cached, LockPath lock);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    sqlite3_stmt* get() const { return m_stmt; }

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, std::u16string_view text);
    Statement& bind(int index, std::span<const std::byte> data);

    // SQLITE_ROW, SQLITE_DONE or an (extended) error code.
    int step();

  private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_borrowed = false;
    bool m_bound = true;
    bool m_stepped = false;
    LockPath m_lock;
};

// Runs SQL without results; the extended error code, SQLITE_OK when it worked. With a lock
// path the SQL takes the write lock (BEGIN IMMEDIATE) and passes the turnstile first.
int Exec(sqlite3* db, const char* sql, LockPath lock = {});

// Reads one integer with a fixed query; the error code when it fails.
int ReadInteger(sqlite3* db, const char* sql, std::int64_t& value, LockPath lock = {});

std::u16string ColumnText16(sqlite3_stmt* stmt, int column);
std::vector<std::byte> ColumnBlob(sqlite3_stmt* stmt, int column);

}  // namespace sqlite
}  // namespace velomar
