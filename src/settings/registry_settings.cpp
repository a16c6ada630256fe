#ifdef _WIN32

#include "settings/registry_settings.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace velomar {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

// Windows wide strings are UTF-16 like ours; only the character type differs. The API
// wants terminated strings, so views are copied first.
std::wstring wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

// The API ends a name at its first NUL: such a name would silently reach another value.
bool hasNul(std::u16string_view text) {
    return text.find(u'\0') != std::u16string_view::npos;
}

// The registry's own limit for one value is far larger; settings never come near this.
constexpr std::size_t kLargestValue = 1 << 20;

class RegistryKey : public SettingsKey {
  public:
    explicit RegistryKey(HKEY key) : m_key(key) {}
    ~RegistryKey() override { RegCloseKey(m_key); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    QueryResult query(std::u16string_view name, std::span<std::byte> buffer) override {
        if (hasNul(name)) {
            return {QueryStatus::NotFound, 0, 0};
        }
        const std::wstring valueName = wide(name);
        DWORD type = 0;
        DWORD size = static_cast<DWORD>(buffer.size());
        // The registry writes nothing into a buffer that is too small.
        const LSTATUS status = RegQueryValueExW(
            m_key, valueName.c_str(), nullptr, &type,
            buffer.empty() ? nullptr : reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (status == ERROR_SUCCESS) {
            // With no buffer the call only reports the size: that counts as not fitting,
            // unless nothing is stored.
            if (buffer.empty() && size > 0) {
                return {QueryStatus::MoreData, type, size};
            }
            return {QueryStatus::Ok, type, size};
        }
        if (status == ERROR_MORE_DATA) {
            return {QueryStatus::MoreData, type, size};
        }
        if (status == ERROR_FILE_NOT_FOUND) {
            return {QueryStatus::NotFound, 0, 0};
        }
        return {QueryStatus::Failed, 0, 0};
    }

    bool set(std::u16string_view name, std::uint32_t type,
             std::span<const std::byte> data) override {
        if (hasNul(name) || data.size() > kLargestValue) {
            return false;
        }
        const std::wstring valueName = wide(name);
        // RegSetValueExW lengthens a text value whose last unit is not 0 when the unit just
        // past the data is 0, reading beyond what it was given. Handing it a copy followed by
        // a unit that is never 0 keeps the stored bytes exactly the caller's.
        std::vector<BYTE> bytes(data.size() + 3, BYTE{0xFF});
        std::copy(data.begin(), data.end(), reinterpret_cast<std::byte*>(bytes.data()));
        return RegSetValueExW(m_key, valueName.c_str(), 0, type, bytes.data(),
                              static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
    }

    bool remove(std::u16string_view name) override {
        if (hasNul(name)) {
            return false;
        }
        const std::wstring valueName = wide(name);
        return RegDeleteValueW(m_key, valueName.c_str()) == ERROR_SUCCESS;
    }

    std::vector<StoredValue> values() override {
        std::vector<StoredValue> all;
        DWORD longestName = 0;
        DWORD longestData = 0;
        if (RegQueryInfoKeyW(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
            return all;
        }
        std::wstring name(longestName + 1, L'\0');
        std::vector<std::byte> data(longestData);
        int retries = 0;
        for (DWORD index = 0;;) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataSize = static_cast<DWORD>(data.size());
            DWORD type = 0;
            const LSTATUS status = RegEnumValueW(
                m_key, index, name.data(), &nameLength, nullptr, &type,
                data.empty() ? nullptr : reinterpret_cast<BYTE*>(data.data()), &dataSize);
            if (status == ERROR_MORE_DATA && ++retries <= 3) {
                // Another program made a value longer since the sizes were asked: grow, retry.
                name.resize(std::max<std::size_t>(name.size() * 2, 256));
                data.resize(std::max<std::size_t>(data.size() * 2, dataSize));
                continue;
            }
            if (status != ERROR_SUCCESS) {
                break;  // ERROR_NO_MORE_ITEMS, or the key is gone
            }
            ++index;
            StoredValue value;
            value.name.assign(name.begin(), name.begin() + nameLength);
            value.type = type;
            value.data.assign(data.begin(), data.begin() + dataSize);
            all.push_back(std::move(value));
        }
        return all;
    }

  private:
    HKEY m_key;
};

}  // namespace

std::unique_ptr<SettingsKey> RegistrySettingsBackend::openKey(SettingsRoot root,
                                                              std::u16string_view path,
                                                              OpenMode mode) {
    if (root != SettingsRoot::CurrentUser || hasNul(path) || hasNul(m_base)) {
        return nullptr;
    }
    std::u16string full = m_base;
    if (!full.empty() && !path.empty()) {
        full += u'\\';
    }
    full += path;
    const std::wstring subKey = wide(full);
    HKEY key = nullptr;
    LSTATUS status = ERROR_SUCCESS;
    switch (mode) {
        case OpenMode::CreateForRead:
        case OpenMode::CreateForWrite: {
            const REGSAM access = mode == OpenMode::CreateForRead ? KEY_READ : KEY_WRITE;
            status = RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, access, nullptr, &key, nullptr);
            break;
        }
        case OpenMode::Existing:
            // Delete needs write access to the values; the key itself is never created.
            status =
                RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ | KEY_WRITE, &key);
            break;
    }
    if (status != ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<RegistryKey>(key);
}

}  // namespace velomar

#endif  // _WIN32
