#include "settings/settings_store.h"

#include <cstring>

namespace velomar {

namespace {

std::u16string favoriteName(std::u16string_view prefix, int index) {
    std::u16string name(prefix);
    for (char c : std::to_string(index)) {
        name += static_cast<char16_t>(c);
    }
    return name;
}

// A query's answer as a status; the backend tells why one failed.
SettingsStatus statusOf(const QueryResult& result, const SettingsBackend& store) {
    switch (result.status) {
        case QueryStatus::Ok:
            return SettingsStatus::Ok;
        case QueryStatus::NotFound:
            return SettingsStatus::Missing;
        case QueryStatus::MoreData:
            return SettingsStatus::Mismatch;
        case QueryStatus::Failed:
            break;
    }
    return store.failureOr();
}

SettingsStatus write(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                     std::u16string_view name, ValueType type, std::span<const std::byte> data) {
    store.clearFailure();
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::CreateForWrite);
    if (!key) {
        return store.failureOr();
    }
    if (!key->set(name, static_cast<std::uint32_t>(type), data)) {
        return store.failureOr();
    }
    return SettingsStatus::Ok;
}

}  // namespace

std::u16string FavoriteStartName(int index) {
    return favoriteName(u"FS", index);
}
std::u16string FavoriteEndName(int index) {
    return favoriteName(u"FE", index);
}

const char* SettingsStatusName(SettingsStatus status) {
    switch (status) {
        case SettingsStatus::Ok:
            return "ok";
        case SettingsStatus::Missing:
            return "missing";
        case SettingsStatus::Mismatch:
            return "mismatch";
        case SettingsStatus::Busy:
            return "busy";
        case SettingsStatus::Failed:
            break;
    }
    return "failed";
}

SettingsStatus TryReadTextSetting(SettingsBackend& store, SettingsRoot root,
                                  std::u16string_view keyPath, std::u16string_view name,
                                  char16_t* buffer, std::size_t capacity) {
    if (buffer == nullptr) {
        return SettingsStatus::Failed;
    }
    store.clearFailure();
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::CreateForRead);
    if (!key) {
        return store.failureOr();
    }
    const QueryResult result =
        key->query(name, std::as_writable_bytes(std::span(buffer, capacity)));
    if (capacity > 0) {
        buffer[capacity - 1] = u'\0';
    }
    return statusOf(result, store);
}

SettingsStatus TryWriteTextSetting(SettingsBackend& store, SettingsRoot root,
                                   std::u16string_view keyPath, std::u16string_view name,
                                   std::u16string_view text) {
    std::u16string withTerminator(text);
    withTerminator.push_back(u'\0');
    return write(store, root, keyPath, name, ValueType::Text,
                 std::as_bytes(std::span(withTerminator.data(), withTerminator.size())));
}

SettingsStatus TryReadNumberSetting(SettingsBackend& store, SettingsRoot root,
                                    std::u16string_view keyPath, std::u16string_view name,
                                    std::uint32_t* out) {
    if (out == nullptr) {
        return SettingsStatus::Failed;
    }
    store.clearFailure();
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::CreateForRead);
    if (!key) {
        return store.failureOr();
    }
    std::byte bytes[4] = {};
    const QueryResult result = key->query(name, bytes);
    SettingsStatus status = statusOf(result, store);
    if (status == SettingsStatus::Ok && result.size != 4) {
        status = SettingsStatus::Mismatch;
    }
    std::uint32_t value = 0;
    if (status == SettingsStatus::Ok) {
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | std::to_integer<std::uint32_t>(bytes[i]);
        }
    }
    *out = value;
    return status;
}

SettingsStatus TryWriteNumberSetting(SettingsBackend& store, SettingsRoot root,
                                     std::u16string_view keyPath, std::u16string_view name,
                                     std::uint32_t value) {
    const std::byte bytes[4] = {std::byte(value & 0xFF), std::byte((value >> 8) & 0xFF),
                                std::byte((value >> 16) & 0xFF), std::byte(value >> 24)};
    return write(store, root, keyPath, name, ValueType::Number, bytes);
}

SettingsStatus TryDeleteSetting(SettingsBackend& store, SettingsRoot root,
                                std::u16string_view keyPath, std::u16string_view name) {
    store.clearFailure();
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::Existing);
    if (!key) {
        return store.failureOr(SettingsStatus::Missing);
    }
    if (key->remove(name)) {
        return SettingsStatus::Ok;
    }
    return store.failureOr(SettingsStatus::Missing);
}

SettingsStatus TryListSettings(SettingsBackend& store, SettingsRoot root,
                               std::u16string_view keyPath, std::vector<StoredValue>& values) {
    values.clear();
    store.clearFailure();
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::Existing);
    if (!key) {
        return IsStoreFailure(store.failure()) ? store.failure() : SettingsStatus::Ok;
    }
    values = key->values();
    if (IsStoreFailure(store.failure())) {
        values.clear();
        return store.failure();
    }
    return SettingsStatus::Ok;
}

bool ReadTextSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                     std::u16string_view name, char16_t* buffer, std::size_t capacity) {
    return TryReadTextSetting(store, root, keyPath, name, buffer, capacity) == SettingsStatus::Ok;
}

bool WriteTextSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                      std::u16string_view name, std::u16string_view text) {
    return TryWriteTextSetting(store, root, keyPath, name, text) == SettingsStatus::Ok;
}

bool ReadNumberSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                       std::u16string_view name, std::uint32_t* out) {
    return TryReadNumberSetting(store, root, keyPath, name, out) == SettingsStatus::Ok;
}

bool WriteNumberSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                        std::u16string_view name, std::uint32_t value) {
    return TryWriteNumberSetting(store, root, keyPath, name, value) == SettingsStatus::Ok;
}

bool DeleteSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                   std::u16string_view name) {
    return TryDeleteSetting(store, root, keyPath, name) == SettingsStatus::Ok;
}

bool UpdateNumberSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                         std::u16string_view name,
                         const std::function<std::uint32_t(std::uint32_t)>& update,
                         std::uint32_t* result) {
    if (!update) {
        return false;
    }
    SettingsTransaction transaction(store);
    if (!transaction.active()) {
        return false;
    }
    std::uint32_t value = 0;
    // Missing or not a number counts as 0; a read that failed must not become a 0 stored.
    if (IsStoreFailure(TryReadNumberSetting(store, root, keyPath, name, &value))) {
        return false;
    }
    const std::uint32_t updated = update(value);
    if (!WriteNumberSetting(store, root, keyPath, name, updated) || !transaction.commit()) {
        return false;
    }
    if (result != nullptr) {
        *result = updated;
    }
    return true;
}

std::optional<std::u16string> ReadStationText(SettingsBackend& store, std::u16string_view name) {
    char16_t buffer[kStationTextCapacity] = {};
    if (!ReadTextSetting(store, kSettingsRoot, kSettingsKeyPath, name, buffer,
                         kStationTextCapacity)) {
        return std::nullopt;
    }
    return std::u16string(buffer);
}

}  // namespace velomar
