#include "settings/browser_settings.h"

#include <emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

// Local storage through small JavaScript functions that never throw: the browser throws
// when the storage is refused (SecurityError) or full (QuotaExceededError), and an exception
// must not run through the compiled code. Status: 0 done, 1 no such item, -1 refused.
// clang-format off
EM_JS(int, velomar_storage_read, (const char* name, char** text), {
    try {
        var value = globalThis.localStorage.getItem(UTF8ToString(name));
        if (value === null) return 1;
        var size = lengthBytesUTF8(value) + 1;
        var room = _malloc(size);
        stringToUTF8(value, room, size);
        HEAPU32[text >> 2] = room;
        return 0;
    } catch (e) {
        return -1;
    }
});
EM_JS(int, velomar_storage_write, (const char* name, const char* text), {
    try {
        globalThis.localStorage.setItem(UTF8ToString(name), UTF8ToString(text));
        return 0;
    } catch (e) {
        return -1;
    }
});
EM_JS(int, velomar_storage_remove, (const char* name), {
    try {
        globalThis.localStorage.removeItem(UTF8ToString(name));
        return 0;
    } catch (e) {
        return -1;
    }
});
// clang-format on

namespace velomar {

namespace {

class BrowserKeyHandle : public SettingsKey {
  public:
    BrowserKeyHandle(BrowserSettingsBackend& backend, MemorySettingsBackend::KeyId id,
                     std::u16string path)
        : m_backend(backend), m_id(std::move(id)), m_path(std::move(path)) {}

    QueryResult query(std::u16string_view name, std::span<std::byte> buffer) override {
        BrowserStore* store = m_backend.current();
        if (store == nullptr) {
            return {QueryStatus::Failed, 0, 0};
        }
        const StoredValue* value = find(*store, name);
        if (value == nullptr) {
            return {QueryStatus::NotFound, 0, 0};
        }
        if (value->data.size() > buffer.size()) {
            return {QueryStatus::MoreData, value->type, value->data.size()};
        }
        std::copy(value->data.begin(), value->data.end(), buffer.begin());
        return {QueryStatus::Ok, value->type, value->data.size()};
    }

    bool set(std::u16string_view name, std::uint32_t type,
             std::span<const std::byte> data) override {
        BrowserStore* store = m_backend.current();
        if (store == nullptr) {
            return false;
        }
        // An open key stays usable, as in the registry, even if another tab deleted it.
        BrowserKey& key = (*store)[m_id];
        if (key.path.empty()) {
            key.path = m_path;
        }
        StoredValue& slot = key.values[FoldNameCase(name)];
        if (slot.name.empty()) {
            slot.name = name;
        }
        slot.type = type;
        slot.data.assign(data.begin(), data.end());
        return m_backend.changed();
    }

    bool remove(std::u16string_view name) override {
        BrowserStore* store = m_backend.current();
        if (store == nullptr) {
            return false;
        }
        const auto key = store->find(m_id);
        if (key == store->end() || key->second.values.erase(FoldNameCase(name)) == 0) {
            return false;
        }
        return m_backend.changed();
    }

    std::vector<StoredValue> values() override {
        std::vector<StoredValue> all;
        BrowserStore* store = m_backend.current();
        if (store == nullptr) {
            return all;
        }
        if (const auto key = store->find(m_id); key != store->end()) {
            for (const auto& [folded, value] : key->second.values) {
                all.push_back(value);
            }
        }
        return all;
    }

  private:
    const StoredValue* find(const BrowserStore& store, std::u16string_view name) const {
        const auto key = store.find(m_id);
        if (key == store.end()) {
            return nullptr;
        }
        const auto value = key->second.values.find(FoldNameCase(name));
        return value != key->second.values.end() ? &value->second : nullptr;
    }

    BrowserSettingsBackend& m_backend;
    MemorySettingsBackend::KeyId m_id;
    std::u16string m_path;
};

// ITEM.broken-YYYYmmdd-HHMMSS, as the file store names a file it moves aside.
std::string asideName(const std::string& item) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, ".broken-%Y%m%d-%H%M%S", &local);
    return item + stamp;
}

}  // namespace

BrowserSettingsBackend::BrowserSettingsBackend(std::string itemName)
    : m_itemName(std::move(itemName)) {}

bool BrowserSettingsBackend::fail(std::string why) {
    m_failureText = std::move(why);
    noteFailure(SettingsStatus::Failed);
    return false;
}

bool BrowserSettingsBackend::load() {
    char* text = nullptr;
    const int status = velomar_storage_read(m_itemName.c_str(), &text);
    if (status < 0) {
        m_store.reset();
        return fail("the browser refuses its storage");
    }
    if (status == 1) {
        m_store.emplace();
        return true;
    }
    const std::string stored(text);
    std::free(text);
    m_store = StoreFromText(stored);
    if (m_store) {
        return true;
    }
    // Not a store of ours: kept under another name, never overwritten.
    if (velomar_storage_write(asideName(m_itemName).c_str(), stored.c_str()) != 0 ||
        velomar_storage_remove(m_itemName.c_str()) != 0) {
        return fail("an unreadable store could not be moved aside");
    }
    m_store.emplace();
    return true;
}

bool BrowserSettingsBackend::save() {
    if (!m_store || velomar_storage_write(m_itemName.c_str(), StoreToText(*m_store).c_str()) != 0) {
        return fail("the browser refused to store the settings (storage full or switched off)");
    }
    return true;
}

BrowserStore* BrowserSettingsBackend::current() {
    if (!m_store && (m_inTransaction || !load())) {
        return nullptr;
    }
    return &*m_store;
}

bool BrowserSettingsBackend::changed() {
    if (m_inTransaction) {
        return true;
    }
    // A change the browser did not take is not kept: the next request reads the item.
    if (!save()) {
        m_store.reset();
        return false;
    }
    return true;
}

std::unique_ptr<SettingsKey> BrowserSettingsBackend::openKey(SettingsRoot root,
                                                             std::u16string_view path,
                                                             OpenMode mode) {
    // Every request outside a transaction reads the item afresh.
    if (!m_inTransaction && !load()) {
        return nullptr;
    }
    if (!m_store) {
        return nullptr;
    }
    MemorySettingsBackend::KeyId id{root, FoldNameCase(path)};
    if (!m_store->contains(id)) {
        if (mode == OpenMode::Existing) {
            return nullptr;
        }
        m_store->emplace(id, BrowserKey{std::u16string(path), {}});
        if (!changed()) {
            return nullptr;
        }
    }
    return std::make_unique<BrowserKeyHandle>(*this, std::move(id), std::u16string(path));
}

bool BrowserSettingsBackend::beginTransaction() {
    if (m_inTransaction) {
        return fail("a transaction is already open");
    }
    if (!load()) {
        return false;
    }
    m_inTransaction = true;
    return true;
}

bool BrowserSettingsBackend::commitTransaction() {
    if (!m_inTransaction) {
        return fail("no transaction is open");
    }
    m_inTransaction = false;
    const bool saved = save();
    m_store.reset();
    return saved;
}

void BrowserSettingsBackend::rollbackTransaction() {
    m_inTransaction = false;
    m_store.reset();
}

}  // namespace velomar
