#pragma once

// A settings backend for fault injection, usable by every test: it wraps another backend and
// makes any of its steps fail, or report that the store is busy, on demand. It also records
// the steps in the order they were asked for.

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "settings/settings_backend.h"
#include "settings/settings_store.h"

namespace velomar::testing_support {

constexpr SettingsStatus kBusy = SettingsStatus::Busy;
constexpr SettingsStatus kFailed = SettingsStatus::Failed;

enum class SettingsStep { OpenKey, Query, Set, Remove, Values, Begin, Commit };
inline constexpr std::size_t kSettingsStepCount = 7;

inline const char* SettingsStepName(SettingsStep step) {
    constexpr std::array<const char*, kSettingsStepCount> kNames = {
        "open", "query", "set", "remove", "values", "begin", "commit"};
    return kNames[static_cast<std::size_t>(step)];
}

class FaultySettingsBackend : public SettingsBackend {
  public:
    // With `snapshots`, transactions are the wrapper's own: begin saves the program's key
    // (kSettingsKeyPath), rollback and a failed commit put it back, so a backend without
    // transactions (the in-memory one) shows "whole or nothing" too. Otherwise transactions
    // go to the inner backend; a commit made to fail rolls it back there.
    explicit FaultySettingsBackend(SettingsBackend& inner, bool snapshots = false)
        : m_inner(inner), m_snapshots(snapshots) {}

    // Call number `nth` of `step` from now (1-based) fails with `why` (Busy or Failed), and
    // so do the `count` - 1 calls after it; count 0: every call from then on.
    void failOn(SettingsStep step, SettingsStatus why, int nth = 1, int count = 1) {
        Fault& fault = m_faults[index(step)];
        fault = {why, m_calls[index(step)] + nth, count};
    }
    void failAlways(SettingsStep step, SettingsStatus why) { failOn(step, why, 1, 0); }
    void clearFaults() { m_faults = {}; }
    int calls(SettingsStep step) const { return m_calls[index(step)]; }
    // "begin", "open", "query FS0", "set FS0", "remove FS0", "values", "commit", "rollback";
    // a step made to fail ends in " !busy" or " !failed".
    const std::vector<std::string>& log() const { return m_log; }
    void clearLog() { m_log.clear(); }

    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override {
        if (injected(SettingsStep::OpenKey, {})) {
            return nullptr;
        }
        auto key = m_inner.openKey(root, path, mode);
        if (!key) {
            passOnFailure();
            return nullptr;
        }
        return std::make_unique<Key>(std::move(key), *this);
    }
    bool beginTransaction() override {
        if (injected(SettingsStep::Begin, {})) {
            return false;
        }
        if (m_snapshots) {
            m_saved = takeSnapshot();
            return true;
        }
        return m_inner.beginTransaction() || passOnFailure();
    }
    bool commitTransaction() override {
        if (injected(SettingsStep::Commit, {})) {
            m_snapshots ? restore() : m_inner.rollbackTransaction();
            return false;
        }
        if (m_snapshots) {
            m_saved.reset();
            return true;
        }
        return m_inner.commitTransaction() || passOnFailure();
    }
    void rollbackTransaction() override {
        m_log.push_back("rollback");
        m_snapshots ? restore() : m_inner.rollbackTransaction();
    }

  private:
    struct Fault {
        SettingsStatus why = SettingsStatus::Ok;
        int from = 0;   // the first failing call
        int count = 0;  // 0: all from then on
    };
    struct Snapshot {
        bool keyExisted = false;
        std::vector<StoredValue> values;
    };

    class Key : public SettingsKey {
      public:
        Key(std::unique_ptr<SettingsKey> inner, FaultySettingsBackend& owner)
            : m_inner(std::move(inner)), m_owner(owner) {}
        QueryResult query(std::u16string_view name, std::span<std::byte> buffer) override {
            if (m_owner.injected(SettingsStep::Query, name)) {
                return {QueryStatus::Failed, 0, 0};
            }
            const QueryResult result = m_inner->query(name, buffer);
            if (result.status == QueryStatus::Failed) {
                m_owner.passOnFailure();
            }
            return result;
        }
        bool set(std::u16string_view name, std::uint32_t type,
                 std::span<const std::byte> data) override {
            if (m_owner.injected(SettingsStep::Set, name)) {
                return false;
            }
            return m_inner->set(name, type, data) || m_owner.passOnFailure();
        }
        bool remove(std::u16string_view name) override {
            if (m_owner.injected(SettingsStep::Remove, name)) {
                return false;
            }
            return m_inner->remove(name) || m_owner.passOnFailure();
        }
        std::vector<StoredValue> values() override {
            if (m_owner.injected(SettingsStep::Values, {})) {
                return {};
            }
            m_owner.m_inner.clearFailure();
            std::vector<StoredValue> all = m_inner->values();
            if (m_owner.m_inner.failure() != SettingsStatus::Ok) {
                m_owner.passOnFailure();
            }
            return all;
        }

      private:
        std::unique_ptr<SettingsKey> m_inner;
        FaultySettingsBackend& m_owner;
    };

    static std::size_t index(SettingsStep step) { return static_cast<std::size_t>(step); }

    // Counts and logs the call; true (with the failure noted) when it is made to fail.
    bool injected(SettingsStep step, std::u16string_view name) {
        const int call = ++m_calls[index(step)];
        std::string entry = SettingsStepName(step);
        if (!name.empty()) {
            entry += ' ';  // in steps: GCC 12 warns wrongly about " " + a temporary at -O2
            entry += ToUtf8(name);
        }
        const Fault& fault = m_faults[index(step)];
        const bool fails = fault.why != SettingsStatus::Ok && call >= fault.from &&
                           (fault.count == 0 || call < fault.from + fault.count);
        if (fails) {
            noteFailure(fault.why);
            entry += std::string(" !") + SettingsStatusName(fault.why);
        }
        m_log.push_back(std::move(entry));
        return fails;
    }

    // The inner backend's reason as this one's; false, for `return x || passOnFailure()`.
    bool passOnFailure() {
        if (m_inner.failure() != SettingsStatus::Ok) {
            noteFailure(m_inner.failure());
        }
        return false;
    }

    Snapshot takeSnapshot() {
        Snapshot snapshot;
        if (auto key = m_inner.openKey(kSettingsRoot, kSettingsKeyPath, OpenMode::Existing)) {
            snapshot.keyExisted = true;
            snapshot.values = key->values();
        }
        return snapshot;
    }

    void restore() {
        if (!m_saved) {
            return;
        }
        if (auto key = m_inner.openKey(kSettingsRoot, kSettingsKeyPath, OpenMode::Existing)) {
            for (const StoredValue& value : key->values()) {
                key->remove(value.name);
            }
            for (const StoredValue& value : m_saved->values) {
                key->set(value.name, value.type, value.data);
            }
        }
        m_saved.reset();
    }

    SettingsBackend& m_inner;
    bool m_snapshots;
    std::array<Fault, kSettingsStepCount> m_faults{};
    std::array<int, kSettingsStepCount> m_calls{};
    std::vector<std::string> m_log;
    std::optional<Snapshot> m_saved;
};

// Every value of the program's key, in the backend's order (none when the key is absent).
inline std::vector<StoredValue> StoredValuesOf(SettingsBackend& store) {
    auto key = store.openKey(kSettingsRoot, kSettingsKeyPath, SettingsBackend::OpenMode::Existing);
    return key ? key->values() : std::vector<StoredValue>{};
}

inline bool SameStoredValues(const std::vector<StoredValue>& a, const std::vector<StoredValue>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].data != b[i].data) {
            return false;
        }
    }
    return true;
}

}  // namespace velomar::testing_support
