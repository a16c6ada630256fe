#include "settings/sqlite_settings_key.h"

#include <sqlite3.h>

#include <algorithm>

#include "settings/memory_settings.h"
#include "settings/sqlite_settings.h"

namespace velomar {

SqliteKey::SqliteKey(SqliteSettingsBackend& backend, SettingsRoot root, std::u16string_view path)
    : m_backend(backend),
      m_root(static_cast<std::int64_t>(root)),
      m_spelling(path),
      m_path(FoldNameCase(path)) {}

QueryResult SqliteKey::query(std::u16string_view name, std::span<std::byte> buffer) {
    sqlite::Statement select = m_backend.statement(
        "SELECT type, data FROM settings_values"
        " WHERE root = ?1 AND path_fold = ?2 AND name_fold = ?3");
    select.bind(1, m_root).bind(2, m_path).bind(3, FoldNameCase(name));
    const int rc = select.step();
    if (rc == SQLITE_DONE) {
        return {QueryStatus::NotFound, 0, 0};
    }
    if (rc != SQLITE_ROW) {
        m_backend.noteCode(rc);
        return {QueryStatus::Failed, 0, 0};
    }
    const auto type = static_cast<std::uint32_t>(sqlite3_column_int64(select.get(), 0));
    const std::vector<std::byte> data = sqlite::ColumnBlob(select.get(), 1);
    if (data.size() > buffer.size()) {
        return {QueryStatus::MoreData, type, data.size()};
    }
    std::copy(data.begin(), data.end(), buffer.begin());
    return {QueryStatus::Ok, type, data.size()};
}

bool SqliteKey::set(std::u16string_view name, std::uint32_t type, std::span<const std::byte> data) {
    // One statement: it is atomic by itself. An existing value keeps its first spelling.
    sqlite::Statement upsert = m_backend.statement(
        "INSERT INTO settings_values (root, path, path_fold, name, name_fold, type, data)"
        " VALUES (?1, ?7, ?2, ?3, ?4, ?5, ?6)"
        " ON CONFLICT (root, path_fold, name_fold)"
        " DO UPDATE SET type = excluded.type, data = excluded.data");
    upsert.bind(1, m_root)
        .bind(2, m_path)
        .bind(3, name)
        .bind(4, FoldNameCase(name))
        .bind(5, static_cast<std::int64_t>(type))
        .bind(6, data)
        .bind(7, m_spelling);
    const int rc = upsert.step();
    if (rc != SQLITE_DONE) {
        m_backend.noteCode(rc);
        return false;
    }
    return true;
}

bool SqliteKey::remove(std::u16string_view name) {
    sqlite::Statement erase = m_backend.statement(
        "DELETE FROM settings_values"
        " WHERE root = ?1 AND path_fold = ?2 AND name_fold = ?3");
    erase.bind(1, m_root).bind(2, m_path).bind(3, FoldNameCase(name));
    const int rc = erase.step();
    if (rc != SQLITE_DONE) {
        m_backend.noteCode(rc);
        return false;
    }
    return sqlite3_changes(m_backend.db()) > 0;
}

std::vector<StoredValue> SqliteKey::values() {
    sqlite::Statement select = m_backend.statement(
        "SELECT name, type, data FROM settings_values"
        " WHERE root = ?1 AND path_fold = ?2 ORDER BY name_fold");
    select.bind(1, m_root).bind(2, m_path);
    std::vector<StoredValue> all;
    int rc = SQLITE_ROW;
    while ((rc = select.step()) == SQLITE_ROW) {
        StoredValue value;
        value.name = sqlite::ColumnText16(select.get(), 0);
        value.type = static_cast<std::uint32_t>(sqlite3_column_int64(select.get(), 1));
        value.data = sqlite::ColumnBlob(select.get(), 2);
        all.push_back(std::move(value));
    }
    if (rc != SQLITE_DONE) {
        m_backend.noteCode(rc);
        return {};
    }
    return all;
}

}  // namespace velomar
