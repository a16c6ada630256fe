#include "settings/sqlite_settings.h"

#include <sqlite3.h>

#include <string>
#include <system_error>

#include "settings/memory_settings.h"
#include "settings/sqlite_settings_key.h"
#include "settings/sqlite_store_file.h"

namespace velomar {

using sqlite::FileVerdict;

namespace {

// Moves a broken file (and its stale journal, which must not be rolled back into the fresh
// store) aside; false when the file cannot be moved.
bool moveAside(const std::filesystem::path& file, SettingsOpenReport& report) {
    std::error_code ec;
    const std::filesystem::path aside = sqlite::AsidePath(file);
    std::filesystem::rename(file, aside, ec);
    if (ec) {
        return false;
    }
    if (std::filesystem::exists(sqlite::JournalOf(file), ec)) {
        std::filesystem::rename(sqlite::JournalOf(file), sqlite::JournalOf(aside), ec);
    }
    report.movedAside = true;
    report.movedTo = aside;
    return true;
}

}  // namespace

std::unique_ptr<SqliteSettingsBackend> SqliteSettingsBackend::Open(
    const std::filesystem::path& file, SettingsOpenReport* report,
    std::chrono::milliseconds busyTimeout) {
    SettingsOpenReport local;
    SettingsOpenReport& out = report != nullptr ? *report : local;
    out = {};
    std::unique_ptr<SqliteSettingsBackend> backend(new SqliteSettingsBackend(file, busyTimeout));
    std::error_code ec;
    if (file.empty() || (file.has_parent_path() &&
                         !std::filesystem::create_directories(file.parent_path(), ec) && ec)) {
        return backend;
    }
    // A second round follows a move aside, or a file that changed under our feet.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const sqlite::FileIdentity before = sqlite::Identify(file);
        FileVerdict verdict = sqlite::Inspect(file);
        sqlite::Connection connection;
        if (verdict == FileVerdict::Fresh || verdict == FileVerdict::Ours ||
            verdict == FileVerdict::Unclear) {
            // Only beside a file that is, or becomes, ours.
            if (!backend->m_turnstile) {
                backend->m_turnstile = std::make_unique<Turnstile>(file);
            }
            connection = sqlite::Connect(file, backend->lockPath());
            verdict = connection.verdict;
        }
        switch (verdict) {
            case FileVerdict::Ours:
                backend->m_db = connection.db;
                out.opened = true;
                return backend;
            case FileVerdict::Foreign:
                out.foreignDatabase = true;
                return backend;
            case FileVerdict::Busy:
                out.busy = true;
                backend->m_openFailure = SettingsStatus::Busy;
                return backend;
            case FileVerdict::Damaged:
                out.damaged = true;
                backend->m_openFailureText = sqlite3_errstr(SQLITE_CORRUPT);
                backend->m_failureText = backend->m_openFailureText;
                return backend;
            case FileVerdict::Broken:
                // Another process may have replaced the file meanwhile; never move that.
                if (sqlite::Identify(file) != before) {
                    continue;
                }
                if (!moveAside(file, out)) {
                    return backend;
                }
                continue;
            default:
                return backend;
        }
    }
    return backend;
}

SqliteSettingsBackend::~SqliteSettingsBackend() {
    if (m_inTransaction) {
        rollbackTransaction();
    }
    for (const auto& [sql, statement] : m_statements) {
        sqlite3_finalize(statement);
    }
    sqlite3_close(m_db);
}

sqlite3_stmt* SqliteSettingsBackend::cachedStatement(const char* sql) {
    if (m_db == nullptr) {
        return nullptr;
    }
    for (const auto& [known, statement] : m_statements) {
        if (known == sql) {
            return statement;
        }
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(statement);
        return nullptr;
    }
    m_statements.emplace_back(sql, statement);
    return statement;
}

// Preparing costs more than the lookups themselves, so statements are kept per connection.
sqlite::Statement SqliteSettingsBackend::statement(const char* sql) {
    sqlite3_stmt* cached = cachedStatement(sql);
    if (cached == nullptr && m_db != nullptr) {
        noteCode(sqlite3_extended_errcode(m_db));
    }
    return sqlite::Statement(m_db, cached, lockPath());
}

void SqliteSettingsBackend::noteCode(int rc) {
    const SettingsStatus status = sqlite::StatusOfCode(rc);
    noteFailure(status == SettingsStatus::Ok ? SettingsStatus::Failed : status);
    m_failureText = sqlite3_errstr(rc);
}

// A store that could not be opened fails every request, busy when that was why.
bool SqliteSettingsBackend::unusable() {
    if (m_db != nullptr) {
        return false;
    }
    noteFailure(m_openFailure);
    m_failureText =
        m_openFailure == SettingsStatus::Busy ? "database is locked" : m_openFailureText;
    return true;
}

int SqliteSettingsBackend::execTakingLock(const char* sql) {
    const int rc = sqlite::Exec(m_db, sql, lockPath());
    if (rc != SQLITE_OK) {
        noteCode(rc);
    }
    return rc;
}

std::unique_ptr<SettingsKey> SqliteSettingsBackend::openKey(SettingsRoot root,
                                                            std::u16string_view path,
                                                            OpenMode mode) {
    if (unusable()) {
        return nullptr;
    }
    const auto rootValue = static_cast<std::int64_t>(root);
    const std::u16string folded = FoldNameCase(path);
    int rc = SQLITE_OK;
    {
        sqlite::Statement select =
            statement("SELECT 1 FROM keys WHERE root = ?1 AND path_fold = ?2");
        select.bind(1, rootValue).bind(2, folded);
        rc = select.step();
    }
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        noteCode(rc);
        return nullptr;
    }
    if (rc == SQLITE_DONE) {
        if (mode == OpenMode::Existing) {
            return nullptr;
        }
        // One statement: atomic by itself, inside the caller's transaction or not.
        sqlite::Statement insert =
            statement("INSERT OR IGNORE INTO keys (root, path, path_fold) VALUES (?1, ?2, ?3)");
        insert.bind(1, rootValue).bind(2, path).bind(3, folded);
        if (const int inserted = insert.step(); inserted != SQLITE_DONE) {
            noteCode(inserted);
            return nullptr;
        }
    }
    return std::make_unique<SqliteKey>(*this, root, path);
}

// BEGIN IMMEDIATE takes the write lock at once: a transaction that read under a shared lock
// and then wanted to write could not wait for the lock, as the other writer waits for it.
bool SqliteSettingsBackend::beginTransaction() {
    if (unusable()) {
        return false;
    }
    if (m_inTransaction) {
        noteFailure(SettingsStatus::Failed);
        return false;
    }
    m_inTransaction = execTakingLock("BEGIN IMMEDIATE") == SQLITE_OK;
    return m_inTransaction;
}

bool SqliteSettingsBackend::commitTransaction() {
    if (unusable()) {
        return false;
    }
    if (!m_inTransaction) {
        noteFailure(SettingsStatus::Failed);
        return false;
    }
    m_inTransaction = false;
    const int rc = sqlite::Exec(m_db, "COMMIT");
    if (rc == SQLITE_OK) {
        return true;
    }
    noteCode(rc);
    // COMMIT can fail while readers hold the file past the busy timeout; do not leave the
    // transaction hanging open.
    sqlite::Exec(m_db, "ROLLBACK");
    return false;
}

void SqliteSettingsBackend::rollbackTransaction() {
    if (m_db != nullptr && m_inTransaction) {
        sqlite::Exec(m_db, "ROLLBACK");
    }
    m_inTransaction = false;
}

}  // namespace velomar
