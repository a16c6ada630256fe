#include "settings/memory_settings.h"

#include <algorithm>
#include <cstring>

namespace velomar {

std::u16string FoldNameCase(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return folded;
}

namespace {

class MemoryKey : public SettingsKey {
  public:
    explicit MemoryKey(MemorySettingsBackend::Values& values) : m_values(values) {}

    QueryResult query(std::u16string_view name, std::span<std::byte> buffer) override {
        const auto it = m_values.find(FoldNameCase(name));
        if (it == m_values.end()) {
            return {QueryStatus::NotFound, 0, 0};
        }
        const StoredValue& value = it->second;
        if (value.data.size() > buffer.size()) {
            return {QueryStatus::MoreData, value.type, value.data.size()};
        }
        std::copy(value.data.begin(), value.data.end(), buffer.begin());
        return {QueryStatus::Ok, value.type, value.data.size()};
    }

    bool set(std::u16string_view name, std::uint32_t type,
             std::span<const std::byte> data) override {
        auto& slot = m_values[FoldNameCase(name)];
        if (slot.name.empty()) {
            slot.name = name;
        }
        slot.type = type;
        slot.data.assign(data.begin(), data.end());
        return true;
    }

    bool remove(std::u16string_view name) override {
        return m_values.erase(FoldNameCase(name)) > 0;
    }

    std::vector<StoredValue> values() override {
        std::vector<StoredValue> all;
        for (const auto& [folded, value] : m_values) {
            all.push_back(value);
        }
        return all;
    }

  private:
    MemorySettingsBackend::Values& m_values;
};

}  // namespace

std::unique_ptr<SettingsKey> MemorySettingsBackend::openKey(SettingsRoot root,
                                                            std::u16string_view path,
                                                            OpenMode mode) {
    if (m_unavailable) {
        noteFailure(SettingsStatus::Failed);
        return nullptr;
    }
    const KeyId id{root, FoldNameCase(path)};
    auto it = m_keys.find(id);
    if (it == m_keys.end()) {
        if (mode == OpenMode::Existing) {
            return nullptr;
        }
        it = m_keys.emplace(id, Values{}).first;
    }
    return std::make_unique<MemoryKey>(it->second);
}

bool MemorySettingsBackend::hasKey(SettingsRoot root, std::u16string_view path) const {
    return m_keys.contains({root, FoldNameCase(path)});
}

}  // namespace velomar
