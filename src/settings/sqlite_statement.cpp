#include "settings/sqlite_statement.h"

#include <sqlite3.h>

#include <thread>

#include "settings/sqlite_turnstile.h"

namespace velomar::sqlite {

void LockWait::install(sqlite3* db) {
    sqlite3_busy_handler(db, &LockWait::wait, this);
}

int LockWait::wait(void* self, int count) {
    auto& state = *static_cast<LockWait*>(self);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0) {
        state.m_began = state.m_countFrom.value_or(now);
    }
    if (now - state.m_began >= state.m_timeout) {
        return 0;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    return 1;
}

LockTurn::LockTurn(LockPath lock) : m_lock(lock) {
    if (m_lock.turnstile == nullptr || m_lock.wait == nullptr) {
        return;
    }
    const auto began = std::chrono::steady_clock::now();
    m_inside = m_lock.turnstile->enter(m_lock.wait->timeout());
    m_lock.wait->countFrom(began);
}

LockTurn::~LockTurn() {
    if (m_lock.wait != nullptr && m_lock.turnstile != nullptr) {
        m_lock.wait->countFromEachWait();
    }
    if (m_inside) {
        m_lock.turnstile->leave();
    }
}

SettingsStatus StatusOfCode(int rc) {
    switch (rc & 0xFF) {
        case SQLITE_OK:
        case SQLITE_ROW:
        case SQLITE_DONE:
            return SettingsStatus::Ok;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return SettingsStatus::Busy;
        default:
            return SettingsStatus::Failed;
    }
}

bool HoldsNoLock(sqlite3* db) {
    if (sqlite3_get_autocommit(db) == 0) {
        return false;
    }
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s != nullptr;
         s = sqlite3_next_stmt(db, s)) {
        if (sqlite3_stmt_busy(s) != 0) {
            return false;
        }
    }
    return true;
}

Statement::Statement(sqlite3* db, const char* sql, LockPath lock) : m_db(db), m_lock(lock) {
    if (db == nullptr || sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::Statement(sqlite3* db, sqlite3_stmt* cached, LockPath lock)
    : m_db(db), m_stmt(cached), m_borrowed(true), m_lock(lock) {}

Statement::~Statement() {
    if (m_borrowed && m_stmt != nullptr) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    } else if (!m_borrowed) {
        sqlite3_finalize(m_stmt);
    }
}

Statement& Statement::bind(int index, std::int64_t value) {
    m_bound = m_bound && ok() && sqlite3_bind_int64(m_stmt, index, value) == SQLITE_OK;
    return *this;
}

Statement& Statement::bind(int index, std::u16string_view text) {
    m_bound = m_bound && ok() &&
              sqlite3_bind_text16(m_stmt, index, text.data(), static_cast<int>(text.size() * 2),
                                  SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
}

Statement& Statement::bind(int index, std::span<const std::byte> data) {
    // A zero-length blob must still be a blob, not NULL.
    static const std::byte kEmpty{};
    const void* bytes = data.empty() ? &kEmpty : data.data();
    m_bound = m_bound && ok() &&
              sqlite3_bind_blob(m_stmt, index, bytes, static_cast<int>(data.size()),
                                SQLITE_TRANSIENT) == SQLITE_OK;
    return *this;
}

int Statement::step() {
    if (!ok() || !m_bound) {
        return SQLITE_ERROR;
    }
    int rc = SQLITE_OK;
    // Only the first step of a write that starts from no lock may wait for the write lock.
    // Readers keep out of the turnstile: they may read while a writer waits, and short polls
    // find the moments between another's commits.
    if (!m_stepped && m_lock.turnstile != nullptr && sqlite3_stmt_readonly(m_stmt) == 0 &&
        HoldsNoLock(m_db)) {
        const LockTurn turn(m_lock);
        rc = sqlite3_step(m_stmt);
    } else {
        rc = sqlite3_step(m_stmt);
    }
    m_stepped = true;
    return rc;
}

int Exec(sqlite3* db, const char* sql, LockPath lock) {
    int rc = SQLITE_OK;
    if (lock.turnstile != nullptr && HoldsNoLock(db)) {
        const LockTurn turn(lock);
        rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    } else {
        rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    }
    return rc == SQLITE_OK ? SQLITE_OK : sqlite3_extended_errcode(db);
}

int ReadInteger(sqlite3* db, const char* sql, std::int64_t& value, LockPath lock) {
    Statement statement(db, sql, lock);
    if (!statement.ok()) {
        return sqlite3_errcode(db) == SQLITE_OK ? SQLITE_ERROR : sqlite3_extended_errcode(db);
    }
    const int rc = statement.step();
    if (rc != SQLITE_ROW) {
        return rc == SQLITE_DONE ? SQLITE_ERROR : rc;
    }
    value = sqlite3_column_int64(statement.get(), 0);
    return SQLITE_OK;
}

std::u16string ColumnText16(sqlite3_stmt* stmt, int column) {
    const auto* text = static_cast<const char16_t*>(sqlite3_column_text16(stmt, column));
    const int bytes = sqlite3_column_bytes16(stmt, column);
    if (text == nullptr) {
        return {};
    }
    return std::u16string(text, static_cast<std::size_t>(bytes) / 2);
}

std::vector<std::byte> ColumnBlob(sqlite3_stmt* stmt, int column) {
    const auto* data = static_cast<const std::byte*>(sqlite3_column_blob(stmt, column));
    const int size = sqlite3_column_bytes(stmt, column);
    if (data == nullptr || size <= 0) {
        return {};
    }
    return std::vector<std::byte>(data, data + size);
}

}  // namespace velomar::sqlite
