#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "settings/settings_backend.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velomar {

// What happened to the file at the store's place while opening it.
struct SettingsOpenReport {
    bool opened = false;      // the store is usable
    bool movedAside = false;  // an unusable file was renamed and a fresh store created
    std::filesystem::path movedTo;
    bool foreignDatabase = false;  // another program's database sits there; left untouched
};

// Marks a database file as ours ("VLMR").
inline constexpr std::int32_t kSettingsApplicationId = 0x564C4D52;

// The registry's keys and values kept in one SQLite database. Names compare ASCII
// case-insensitively through a folded lookup column computed here, never by SQL collation.
// Values are never cached: every read goes to the file, so other processes' writes show.
class SqliteSettingsBackend : public SettingsBackend {
  public:
    // Never nothing: when the store cannot be opened, the backend still exists and every
    // operation on it fails, as for a key that cannot be opened.
    static std::unique_ptr<SqliteSettingsBackend> Open(const std::filesystem::path& file,
                                                       SettingsOpenReport* report = nullptr);
    ~SqliteSettingsBackend() override;
    SqliteSettingsBackend(const SqliteSettingsBackend&) = delete;
    SqliteSettingsBackend& operator=(const SqliteSettingsBackend&) = delete;

    bool usable() const { return m_db != nullptr; }
    const std::filesystem::path& file() const { return m_file; }

    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override;
    bool beginTransaction() override;
    bool commitTransaction() override;
    void rollbackTransaction() override;

    // Used by the keys it hands out.
    sqlite3* db() const { return m_db; }
    bool inTransaction() const { return m_inTransaction; }
    // The statement for `sql` (a string literal), prepared once per connection; nothing when
    // it cannot be prepared. Callers reset it after use so it holds no lock.
    sqlite3_stmt* cachedStatement(const char* sql);

  private:
    explicit SqliteSettingsBackend(std::filesystem::path file) : m_file(std::move(file)) {}

    std::filesystem::path m_file;
    sqlite3* m_db = nullptr;
    bool m_inTransaction = false;
    std::vector<std::pair<const char*, sqlite3_stmt*>> m_statements;
};

}  // namespace velomar
