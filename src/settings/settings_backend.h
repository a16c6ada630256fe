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

// What became of one request to the store.
enum class SettingsStatus {
    Ok,
    Missing,   // no such value (for a delete: or no such key)
    Mismatch,  // the value is there but does not fit the room given, or is not a 4-byte number
    Busy,      // another program kept the store locked beyond the busy timeout
    Failed,    // the store cannot be opened, read or written: damaged, full disk, I/O error
};

// The store could not answer: nothing is known about the value.
constexpr bool IsStoreFailure(SettingsStatus status) {
    return status == SettingsStatus::Busy || status == SettingsStatus::Failed;
}

// For messages and test output: "ok", "missing", "mismatch", "busy", "failed".
const char* SettingsStatusName(SettingsStatus status);

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

    // Why a request of this backend or of its keys failed (openKey giving nothing, set or
    // remove false, query Failed, values() given up, begin or commit false), as far as the
    // backend can tell: Busy or Failed. It stays until cleared; the settings operations clear
    // it before each request. Ok means the backend did not say.
    SettingsStatus failure() const { return m_failure; }
    // The last failure in the store's own words ("database is locked"), for messages; empty
    // when it has none.
    virtual std::string failureText() const { return {}; }
    void noteFailure(SettingsStatus why) { m_failure = why; }
    void clearFailure() { m_failure = SettingsStatus::Ok; }
    // The failure as a status: Failed when the backend did not say why.
    SettingsStatus failureOr(SettingsStatus unsaid = SettingsStatus::Failed) const {
        return m_failure == SettingsStatus::Ok ? unsaid : m_failure;
    }

  private:
    SettingsStatus m_failure = SettingsStatus::Ok;
};

// Commits when commit() is called, rolls back otherwise.
class SettingsTransaction {
  public:
    explicit SettingsTransaction(SettingsBackend& backend) : m_backend(backend) {
        backend.clearFailure();
        m_active = backend.beginTransaction();
        m_began = m_active ? SettingsStatus::Ok : backend.failureOr();
    }
    ~SettingsTransaction() {
        if (m_active) {
            m_backend.rollbackTransaction();
        }
    }
    SettingsTransaction(const SettingsTransaction&) = delete;
    SettingsTransaction& operator=(const SettingsTransaction&) = delete;

    bool active() const { return m_active; }
    // Why the transaction did not begin (Busy: another program holds the store); Ok when it did.
    SettingsStatus beginStatus() const { return m_began; }
    bool commit() { return tryCommit() == SettingsStatus::Ok; }
    // Commits and says why that failed; nothing of the transaction is stored then.
    SettingsStatus tryCommit() {
        if (!m_active) {
            return m_began == SettingsStatus::Ok ? SettingsStatus::Failed : m_began;
        }
        m_active = false;
        m_backend.clearFailure();
        return m_backend.commitTransaction() ? SettingsStatus::Ok : m_backend.failureOr();
    }

  private:
    SettingsBackend& m_backend;
    bool m_active = false;
    SettingsStatus m_began = SettingsStatus::Ok;
};

}  // namespace velomar
