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

}  // namespace

std::u16string FavoriteStartName(int index) {
    return favoriteName(u"FS", index);
}
std::u16string FavoriteEndName(int index) {
    return favoriteName(u"FE", index);
}

bool ReadTextSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                     std::u16string_view name, char16_t* buffer, std::size_t capacity) {
    if (buffer == nullptr) {
        return false;
    }
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::CreateForRead);
    if (!key) {
        return false;
    }
    const QueryResult result =
        key->query(name, std::as_writable_bytes(std::span(buffer, capacity)));
    if (capacity > 0) {
        buffer[capacity - 1] = u'\0';
    }
    return result.status == QueryStatus::Ok;
}

bool WriteTextSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                      std::u16string_view name, std::u16string_view text) {
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::CreateForWrite);
    if (!key) {
        return false;
    }
    std::u16string withTerminator(text);
    withTerminator.push_back(u'\0');
    return key->set(name, static_cast<std::uint32_t>(ValueType::Text),
                    std::as_bytes(std::span(withTerminator.data(), withTerminator.size())));
}

bool ReadNumberSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                       std::u16string_view name, std::uint32_t* out) {
    if (out == nullptr) {
        return false;
    }
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::CreateForRead);
    if (!key) {
        return false;
    }
    std::byte bytes[4] = {};
    const QueryResult result = key->query(name, bytes);
    const bool ok = result.status == QueryStatus::Ok && result.size == 4;
    std::uint32_t value = 0;
    if (ok) {
        for (int i = 3; i >= 0; --i) {
            value = (value << 8) | std::to_integer<std::uint32_t>(bytes[i]);
        }
    }
    *out = value;
    return ok;
}

bool WriteNumberSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                        std::u16string_view name, std::uint32_t value) {
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::CreateForWrite);
    if (!key) {
        return false;
    }
    const std::byte bytes[4] = {std::byte(value & 0xFF), std::byte((value >> 8) & 0xFF),
                                std::byte((value >> 16) & 0xFF), std::byte(value >> 24)};
    return key->set(name, static_cast<std::uint32_t>(ValueType::Number), bytes);
}

bool DeleteSetting(SettingsBackend& store, SettingsRoot root, std::u16string_view keyPath,
                   std::u16string_view name) {
    auto key = store.openKey(root, keyPath, SettingsBackend::OpenMode::Existing);
    if (!key) {
        return false;
    }
    return key->remove(name);
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
    ReadNumberSetting(store, root, keyPath, name, &value);
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
