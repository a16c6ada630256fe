#pragma once

#include <map>
#include <set>
#include <utility>

#include "settings/settings_backend.h"

namespace velomar {

// Registry semantics kept in memory: for tests, and for runs that must not touch the disk.
class MemorySettingsBackend : public SettingsBackend {
  public:
    std::unique_ptr<SettingsKey> openKey(SettingsRoot root, std::u16string_view path,
                                         OpenMode mode) override;

    // Makes every openKey fail, as for a store that cannot be opened.
    void setUnavailable(bool unavailable) { m_unavailable = unavailable; }
    bool hasKey(SettingsRoot root, std::u16string_view path) const;

    // Lower-cased (ASCII) key path or value name -> stored value with its original name.
    using Values = std::map<std::u16string, StoredValue>;
    using KeyId = std::pair<SettingsRoot, std::u16string>;

  private:
    std::map<KeyId, Values> m_keys;
    bool m_unavailable = false;
};

// ASCII case folding, as the registry compares names.
std::u16string FoldNameCase(std::u16string_view name);

}  // namespace velomar
