#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/settings_backend.h"

namespace velomar {

class SqliteSettingsBackend;

// One key of the SQLite store. Every call is one statement, atomic by itself; a failed one
// is noted on the backend.
class SqliteKey : public SettingsKey {
  public:
    SqliteKey(SqliteSettingsBackend& backend, SettingsRoot root, std::u16string_view path);

    QueryResult query(std::u16string_view name, std::span<std::byte> buffer) override;
    bool set(std::u16string_view name, std::uint32_t type,
             std::span<const std::byte> data) override;
    bool remove(std::u16string_view name) override;
    // Nothing when the listing cannot be read to its end: never a part passed off as all.
    std::vector<StoredValue> values() override;

  private:
    SqliteSettingsBackend& m_backend;
    std::int64_t m_root;
    std::u16string m_spelling;  // as the caller wrote it, for people reading the file
    std::u16string m_path;
};

}  // namespace velomar
