#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velomar {

enum class SettingsRoot : std::uint32_t { CurrentUser = 0x80000001 };

// Value types as the registry numbers them.
enum class ValueType : std::uint32_t { Text = 1, Number = 4 };

enum class QueryStatus { Ok, NotFound, MoreData, Failed };

struct QueryResult {
    QueryStatus status = QueryStatus::Failed;
    std::uint32_t type = 0;
    std::size_t size = 0;  // bytes stored (also when they did not fit)
};

struct StoredValue {
    std::u16string name;
    std::uint32_t type = 0;
    std::vector<std::byte> data;
};

// An open key. Value names compare case-insensitively (ASCII letters), as in the registry.
class SettingsKey {
  public:
    virtual ~SettingsKey() = default;
    // Copies the value into `buffer` when it fits; MoreData (buffer untouched) when it does
    // not. Any stored type is returned.
    virtual QueryResult query(std::u16string_view name, std::span<std::byte> buffer) = 0;
    virtual bool set(std::u16string_view name, std::uint32_t type,
                     std::span<const std::byte> data) = 0;
    // False when the value does not exist.
    virtual bool remove(std::u16string_view name) = 0;
    virtual std::vector<StoredValue> values() = 0;
};

// The registry primitives the five settings operations are built on.
class SettingsBackend {
  public:
    enum class OpenMode {
        CreateForRead,   // open, creating the key when missing, with read access
        CreateForWrite,  // open, creating the key when missing, with write access
        Existing,        // open only a key that exists
    };

    virtual ~SettingsBackend() = default;
    // Nothing when the key cannot be opened (or created).
    virtual std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                                 OpenMode mode) = 0;

    // Groups several changes so that no reader, and no crash, sees half of them. Nested
    // calls are not supported. Backends without transactions succeed and do nothing.
    virtual bool beginTransaction() { return true; }
    virtual bool commitTransaction() { return true; }
    virtual void rollbackTransaction() {}
};

// Commits when commit() is called, rolls back otherwise.
class SettingsTransaction {
  public:
    explicit SettingsTransaction(SettingsBackend& backend)
        : m_backend(backend), m_active(backend.beginTransaction()) {}
    ~SettingsTransaction() {
        if (m_active) {
            m_backend.rollbackTransaction();
        }
    }
    SettingsTransaction(const SettingsTransaction&) = delete;
    SettingsTransaction& operator=(const SettingsTransaction&) = delete;

    bool active() const { return m_active; }
    bool commit() {
        const bool ok = m_active && m_backend.commitTransaction();
        m_active = false;
        return ok;
    }

  private:
    SettingsBackend& m_backend;
    bool m_active;
};

}  // namespace velomar
